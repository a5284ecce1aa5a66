// Placeholder of the 2-D drawing entry until the 2-D pipeline (QR Code,
// PDF417, Data Matrix) provides it: no symbol is drawn, so every 2-D
// generation ends with no picture. Remove this file when Barcode_Gen_2d.cpp
// defines Barcode_Gen::Draw_2D_Symbol.
#include "barcode/Barcode_Gen.h"

bool Barcode_Gen::Draw_2D_Symbol(const QString& title, const QString&)
{
    image_2d = {};
    last_failure = QStringLiteral("%1 is not available.").arg(title);
    return false;
}
