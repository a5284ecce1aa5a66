#include "platform/printers.h"

#include "platform/modal.h"

#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

namespace platform {
namespace {
std::function<QList<Printer_Desc>()>& source()
{
    static std::function<QList<Printer_Desc>()> s;
    return s;
}
} // namespace

QStringList printerNames()
{
    if (source()) {
        QStringList names;
        for (const Printer_Desc& p : source()())
            names.append(p.name);
        return names;
    }
    return QPrinterInfo::availablePrinterNames();
}

std::optional<Printer_Desc> printerDesc(const QString& name)
{
    if (source()) {
        for (const Printer_Desc& p : source()())
            if (p.name == name)
                return p;
        return std::nullopt;
    }
    const QPrinterInfo info = QPrinterInfo::printerInfo(name);
    if (info.isNull())
        return std::nullopt;
    Printer_Desc desc;
    desc.name = name;
    const QPageSize paper = info.defaultPageSize();
    if (paper.isValid())
        desc.paper = paper;
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setPageSize(desc.paper);
    printer.setPageOrientation(QPageLayout::Portrait);
    // The minimum margins come in the layout's own unit; the desc holds points.
    const QPageLayout layout = printer.pageLayout();
    const QRectF full = layout.fullRect(), points = layout.fullRectPoints();
    const double k = full.width() > 0 ? points.width() / full.width() : 1.0;
    const QMarginsF m = layout.minimumMargins();
    desc.margins = QMarginsF(m.left() * k, m.top() * k, m.right() * k, m.bottom() * k);
    return desc;
}

void setPrinterSource(std::function<QList<Printer_Desc>()> s)
{
    source() = std::move(s);
}

void Print_Settings::setPrinter(const Printer_Desc& printer)
{
    printer_ = printer;
}

QSizeF Print_Settings::paperSize() const
{
    // From millimetres: whole points would round A4 to 595 x 842.
    const QSizeF portrait = printer_.paper.size(QPageSize::Millimeter) * (72.0 / 25.4);
    return orientation_ == QPageLayout::Landscape ? portrait.transposed() : portrait;
}

QRectF Print_Settings::imageableRect() const
{
    const QSizeF paper = paperSize();
    QMarginsF m = printer_.margins; // left, top, right, bottom of the portrait sheet
    if (orientation_ == QPageLayout::Landscape) // the sheet turned a quarter anticlockwise
        m = QMarginsF(printer_.margins.top(), printer_.margins.right(), printer_.margins.bottom(),
                      printer_.margins.left());
    const double w = std::max(0.0, paper.width() - m.left() - m.right());
    const double h = std::max(0.0, paper.height() - m.top() - m.bottom());
    return QRectF(m.left(), m.bottom(), w, h);
}

bool Print_Settings::apply(QPrinter& printer) const
{
    if (!printer_.pdf_file.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printer_.pdf_file);
    } else {
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(printer_.name);
    }
    // A printer with hardware margins refuses a page layout with smaller
    // ones, paper and orientation included: the paper goes first (the printer
    // gives it its own least margins), then the orientation, then the whole
    // sheet is made addressable so painting starts at the paper's corner.
    // The cards' layout keeps them inside the margins the window shows.
    printer.setPageSize(printer_.paper);
    printer.setPageOrientation(orientation_);
    printer.setFullPage(true);
    const QPageLayout taken = printer.pageLayout();
    return taken.pageSize().isEquivalentTo(printer_.paper) && taken.orientation() == orientation_;
}

void Print_Settings::takeFrom(const QPrinter& printer)
{
    const QPageLayout layout = printer.pageLayout();
    if (layout.pageSize().isValid())
        printer_.paper = layout.pageSize();
    orientation_ = layout.orientation();
}

bool runPageSetup(Print_Settings& settings, QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    // A paper the printer refuses: the panel shows what it took instead.
    static_cast<void>(settings.apply(printer));
    QPageSetupDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Page Setup"));
    if (modal::run(dialog) != 1)
        return false;
    settings.takeFrom(printer);
    return true;
}

} // namespace platform
