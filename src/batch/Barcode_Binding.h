#pragma once
// The one barcode call data binding makes: the picture of a barcode graphic's
// own settings with a row's value. Safe on any thread, and threads do not wait
// for each other: the graphic's settings are copied into a record of the
// run's own, the picture is made from it, and neither the shared designer nor
// Barcode_output_image is touched; no widget is either.
#include "drawing/QBXGraphic.h"
#include "platform/PointPicture.h"

#include <QImage>
#include <QStringList>

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
    // what they are and what would make them read ("Code 128 bars of
    // 0.7 px at 72 dpi; it reads from 150 dpi, ..."); empty otherwise.
    QString too_fine;
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
};
// The barcode of value with the graphic's settings and the given header and
// footer; a null picture, with its cause, when the value cannot be encoded.
Barcode_Row_Picture Barcode_Row_Picture_For_Graphic(const QBXGraphic& settings, const QString& value,
                                                    const QString& header, const QString& footer,
                                                    const Barcode_Run_Target& target = {});

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

// The design's value of the graphic drawn at `dpi` as the canvas shows it
// (its stored picture, not snapped to the device's pixels): why its
// modules are too fine to read there, "" when they read.
QString Design_Barcode_Too_Fine(const QBXGraphic& graphic, double dpi);
