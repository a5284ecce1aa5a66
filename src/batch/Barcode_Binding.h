#pragma once
// The one barcode call data binding makes: the picture of a barcode graphic's
// own settings with a row's value. Safe on any thread, and threads do not wait
// for each other: the graphic's settings are copied into a record of the
// run's own, the picture is made from it, and neither the shared designer nor
// Barcode_output_image is touched; no widget is either.
#include "batch/Card_Problems.h"
#include "drawing/QBXGraphic.h"
#include "platform/PointPicture.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QMutex>
#include <QStringList>

#include <functional>

class Barcode_Gen;

// Symbology titles by position: a graphic's barcode_font_index names one.
const QStringList& Barcode_Symbology_Titles();
// Data Matrix size titles by position (dm_format_index), "Auto" first.
const QStringList& DataMatrix_Format_Titles();
// Picture resolution choices by position (dpi_val_index): "Auto" first,
// fixed resolutions, "Custom" last.
const QStringList& Barcode_Resolution_Titles();

// Loads every barcode setting kept on the graphic into the designer (symbology,
// values, header and footer with their check boxes, alignments, sizes, QR,
// PDF417 and Data Matrix settings, margins, fonts, colours). The caller holds
// the generation lock when the designer is shared. A run record keeps the QR
// version, error correction and resolution to itself; the shared designer
// sets QR_Version_Val, QR_EC_Level_Val and USED_DPI_VALUE. A stored index
// outside its list gives the list's default item, a size or margin that is
// no usable number its default or nearest allowed value (logged once).
void Load_Barcode_Settings(Barcode_Gen& gen, const QBXGraphic& graphic);

// Writes the designer's settings back into the graphic: the same fields the
// load reads, positions for the lists. Binding fields and picture untouched.
void Store_Barcode_Settings(QBXGraphic& graphic, const Barcode_Gen& gen);

// What made too-fine rows of a run read, by the row's geometry (its
// settings, module, modules across and picture size): rows drawn alike read
// alike, so what makes them read is sought once. Any thread may use it.
struct Barcode_Remedies {
    QMutex mutex;
    QHash<QString, std::pair<int, double>> found; // dpi, frame width
};

// A barcode made for a row: the picture in points as the generator drew it
// (bars and captions, drawn anew at any resolution), the resolution the
// designer keeps its raster at, and why there is no picture.
struct Barcode_Row_Picture {
    PointPicture picture;
    int dpi = 600;
    // Why no picture was made, a sentence in the user's words (the
    // symbology and its limit, the character it cannot hold); empty when a
    // picture was made.
    QString failure;
    // What the picture holds other than the value, said after the quoted
    // value ("is cut to ..."); empty when it holds the value whole.
    QString change;
    // A run's picture whose modules are too fine for its device to read:
    // what they are and what would make them read ("the Code 128 barcode
    // has bars of 0.7 px (0.25 mm) at 72 dpi; it reads at 150 dpi, ...");
    // empty otherwise.
    QString too_fine;
    // What that line offers, each made and found readable before it is
    // said: a resolution of the output (0: none) and a frame width in
    // points (0: none).
    int remedy_dpi = 0;
    double remedy_frame_width = 0;
    // A run's narrowest module as drawn, in device pixels (0: not known),
    // and whether it lies on whole pixels.
    double module_pixels = 0;
    bool whole_pixels = false;
    // The raster at the designer's resolution; null for a null picture.
    QImage raster() const { return picture.isNull() ? QImage() : picture.toImage(dpi); }
};

// What a row's picture is made for. Outside a run: the designer's own
// picture (the symbol's raster). In a run: the picture drawn at the output's
// resolution `dpi` (a 2-D symbol's modules as rectangles), filling the frame
// the canvas shows the design's picture in (`frame`, points; empty: not
// known) and never larger, its modules on whole device pixels where they
// fit.
struct Barcode_Run_Target {
    bool in_run = false;
    double dpi = 0;
    QSizeF frame;
    // What a too-fine row's line may offer: the resolutions this output
    // can be set to besides dpi, whether it is a mail (always 72 dpi: it
    // names the export's resolutions as exporting instead), and the largest
    // frame that fits on the card from the frame's corner (empty: no frame
    // is offered).
    QList<int> resolutions;
    bool mailed = false;
    QSizeF largest_frame;
    // The barcode as the line names it (empty: Barcode_Name).
    QString name;
    // Where a run keeps what it found (none: each row seeks its own).
    Barcode_Remedies* remedies = nullptr;
};

// The resolutions the export offers.
const QList<int>& Export_Resolutions();
// The barcode of value with the graphic's settings and the given header and
// footer; a null picture, with its cause, when the value cannot be encoded.
Barcode_Row_Picture Barcode_Row_Picture_For_Graphic(const QBXGraphic& settings, const QString& value,
                                                    const QString& header, const QString& footer,
                                                    const Barcode_Run_Target& target = {});

// The run row of target made in a frame `width` points wide: a linear
// row's frame is only wider, a 2-D row's frame and design symbol grow
// alike. How a frame a too-fine line offers is made and asked.
Barcode_Row_Picture Barcode_Row_Picture_In_Frame(const QBXGraphic& settings, const QString& value,
                                                 const QString& header, const QString& footer,
                                                 const Barcode_Run_Target& target, double width);

// The same barcode as a raster tagged with the designer's resolution; a
// null image when the value cannot be encoded.
QImage Barcode_Picture_For_Graphic(const QBXGraphic& settings, const QString& value, const QString& header,
                                   const QString& footer);

// The frame the canvas shows a barcode graphic's design picture in: its
// top-left corner at the graphic's, the picture's own size (as read back
// from its raster; runs take it in whole points).
QSizeF Barcode_Frame_Size(const QBXGraphic& graphic);

// The barcode as a sentence names it: "the Code 128 headed \"HEADER\"" when
// it shows a header (its first 20 characters), else "the Code 128 barcode".
QString Barcode_Name(const QBXGraphic& graphic);

// The names of the visible, printed barcodes of a side, each its own: a name two
// barcodes share is told apart by where the frame lies ("the Code 128
// barcode 20 mm from the left, 12 mm from the top").
QHash<const QBXGraphic*, QString> Barcode_Names(const GraphicList& side);

// The design's value of the graphic drawn at target.dpi as the canvas shows
// it (its stored picture, not snapped to the device's pixels): why its
// modules are too fine to read there, with the resolution that would make
// them read, "" when they read. `name` names the barcode.
QString Design_Barcode_Too_Fine(const QBXGraphic& graphic, const QString& name, const Barcode_Run_Target& target);

// The problems of a side's visible, printed barcodes as the design shows
// them (card 0): past the card's edge, too fine to read at target.dpi.
// `skip` leaves out the barcodes a run fills with its rows.
QList<Card_Problem> Design_Barcode_Problems(const GraphicList& side, const QRectF& card,
                                            const Barcode_Run_Target& target,
                                            const std::function<bool(const QBXGraphic&)>& skip = {});

// The largest frame from the graphic's corner that fits in `card`.
QSizeF Largest_Frame_On_Card(const QBXGraphic& graphic, const QRectF& card);
