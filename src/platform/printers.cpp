#include "platform/printers.h"

#include <QPrinterInfo>

namespace platform {
namespace {
std::function<QStringList()>& source()
{
    static std::function<QStringList()> s;
    return s;
}
} // namespace

QStringList printerNames()
{
    if (source())
        return source()();
    return QPrinterInfo::availablePrinterNames();
}

void setPrinterNamesSource(std::function<QStringList()> s)
{
    source() = std::move(s);
}

} // namespace platform
