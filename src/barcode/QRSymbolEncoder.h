#pragma once
// QR front end: checks that a text fits the requested version and level,
// encodes it into a square module matrix, and paints that matrix into a
// square picture at the 2-D picture resolution.
#include "barcode/DataMatrix.h"
#include "platform/PointPicture.h"

#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>

class QRSymbolEncoder
{
public:
    // Character capacities of ISO/IEC 18004, indexed (version - 1) * 4 + level.
    static const int64_t* QR_Numric_size_array();
    static const int64_t* QR_AlphaNumric_size_array();
    static const int64_t* QR_8_BIT_size_array();
    static const int64_t* QR_Kanji_size_array();

    // Level 0..3 (L, M, Q, H), version 0 (automatic) or 1..40. Null when the
    // text does not fit the version checked (40 for automatic) or the
    // arguments are out of range; a matrix of side 0 when the encoder fails.
    // The text goes in as UTF-8 bytes, always as 8-bit data (never Kanji).
    static std::unique_ptr<DataMatrix> encodeWithECLevel(int level, int version, const QString& text);
    static std::unique_ptr<DataMatrix> encodeCStringWithECLevel(int level, int version, const char* cstring);
    // The same for bytes of any value, NUL included: every byte is encoded.
    // A value is refused only when the segments the encoder writes do not
    // fit the requested version (version 40 when automatic) at the level.
    static std::unique_ptr<DataMatrix> encodeBytes(int level, int version, const QByteArray& bytes);
    // True when encodeBytes takes the bytes at the level and version; only
    // their segments are worked out.
    static bool fits(int level, int version, const QByteArray& bytes);

    // The square painting of side max(S, n + 8) pixels: the symbol with
    // four modules of opaque white around it, transparent beyond. Null image
    // for an empty matrix, S <= 0 or S smaller than the symbol.
    static QImage paintDataMatrix(const DataMatrix* matrix, int imageDimension);
    // That painting shown as a picture of S x S points, raised to USED_DPI_VALUE
    // by the designer's resolution raise; null when there is no painting or
    // the resolution is not positive.
    static PointPicture renderDataMatrix(const DataMatrix* matrix, int imageDimension);
};
