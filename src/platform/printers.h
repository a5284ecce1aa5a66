#pragma once
// The names of the printers the system offers, in the order the print
// system lists them. Tests replace the source to stand in for a printer set.
#include <QStringList>
#include <functional>

namespace platform {

QStringList printerNames();
// Replaces the source of printerNames(); an empty one restores the system's.
void setPrinterNamesSource(std::function<QStringList()> source);

} // namespace platform
