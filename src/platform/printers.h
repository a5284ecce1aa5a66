#pragma once
// The printers the system offers and the print settings of a print run: the
// printer, its paper, the margins it cannot print and the orientation.
// Names come in the order the print system (CUPS) lists them. Tests replace
// the source with stand-in printers, which may write PDF files instead of
// spooling.
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QStringList>

#include <functional>
#include <optional>

class QPrinter;
class QWidget;

namespace platform {

struct Printer_Desc {
    QString name;
    QPageSize paper = QPageSize(QPageSize::A4);
    QMarginsF margins; // unprintable, in points, of the portrait sheet
    QString pdf_file;  // a stand-in printer writes this PDF file instead
};

QStringList printerNames();
// The printer of that name with its default paper and unprintable margins.
std::optional<Printer_Desc> printerDesc(const QString& name);
// Replaces the printer list; an empty source restores the system's.
void setPrinterSource(std::function<QList<Printer_Desc>()> source);

// The window's own print settings.
class Print_Settings {
public:
    Print_Settings() = default;
    explicit Print_Settings(Printer_Desc printer) : printer_(std::move(printer)) {}

    const Printer_Desc& printer() const { return printer_; }
    // Another printer: its paper and margins, the orientation kept.
    void setPrinter(const Printer_Desc& printer);
    QString paperName() const { return printer_.paper.name(); }
    // The paper in points, turned by the orientation.
    QSizeF paperSize() const;
    // The printable part of the paper in points, origin at its bottom left.
    QRectF imageableRect() const;
    QPageLayout::Orientation orientation() const { return orientation_; }
    void setOrientation(QPageLayout::Orientation orientation) { orientation_ = orientation; }

    // Readies a printer for these settings: printer or PDF file, paper,
    // orientation, the whole sheet addressable from the paper's top left
    // corner. False when the printer does not take this paper or orientation.
    [[nodiscard]] bool apply(QPrinter& printer) const;
    // Takes paper and orientation back from a printer (after page setup).
    void takeFrom(const QPrinter& printer);

private:
    Printer_Desc printer_;
    QPageLayout::Orientation orientation_ = QPageLayout::Portrait;
};

// The page layout panel on the settings, run through the modal seam; true
// (settings changed) when it ends with OK.
bool runPageSetup(Print_Settings& settings, QWidget* parent);

} // namespace platform
