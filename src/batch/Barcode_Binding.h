#pragma once
// The one barcode call data binding makes: the picture of a barcode graphic's
// own settings with a row's value. Safe on any thread: the graphic's settings
// are loaded into the barcode designer and the picture is made and handed
// over (Barcode_output_image) under the designer's generation lock, so only
// one generation runs at a time; no widget is touched.
#include "drawing/QBXGraphic.h"

#include <QImage>
#include <QStringList>

class Barcode_Gen;

// Symbology titles by position: a graphic's barcode_font_index names one.
const QStringList& Barcode_Symbology_Titles();
// Data Matrix size titles by position (dm_format_index), "Auto" first.
const QStringList& DataMatrix_Format_Titles();

// Loads every barcode setting kept on the graphic into the designer (symbology,
// values, header and footer with their check boxes, alignments, sizes, QR,
// PDF417 and Data Matrix settings, margins, fonts, colours). The caller holds
// the generation lock when the designer is shared.
void Load_Barcode_Settings(Barcode_Gen& gen, const QBXGraphic& graphic);

// The barcode picture of value with the graphic's settings and the given
// header and footer, as a raster tagged with the designer's resolution; a
// null image when the value cannot be encoded.
QImage Barcode_Picture_For_Graphic(const QBXGraphic& settings, const QString& value, const QString& header,
                                   const QString& footer);
