#include "barcode/PDF417_View.h"

#include "app/AppHelpers.h"
#include "barcode/BarcodeGlobals.h"
#include "barcode/Barcode_Gen.h"

#include <QImage>
#include <QPainter>
#include <cstring>

namespace {
// The given error level, and bars black (a 1 bit is white).
constexpr int kOptions = PDF417_USE_ERROR_LEVEL | PDF417_INVERT_BITMAP;
}

PDF417_View::PDF417_View()
{
    pdf417_codec_init(&p);
}

PDF417_View::~PDF417_View()
{
    pdf417_codec_free(&p);
}

void PDF417_View::setErrorLevel(int level)
{
    errorLevel = level;
    Show_NSLog_Message(QStringLiteral("ErrorLevel set to %1").arg(QString::number(level)));
}

void PDF417_View::draw()
{
    if (inString == nullptr) {
        Show_NSLog_Message(QStringLiteral("ERROR! inString must respond to -(NSString*)string method"));
        return;
    }
    drawWithText(*inString);
}

int PDF417_View::drawWithText(const QString& text)
{
    m_tooLong = false;
    if (text.isEmpty()) {
        imageState = 1;
        return imageState;
    }
    // The encoder takes Latin-1 bytes; a character beyond cannot be written.
    for (const QChar c : text) {
        if (c.unicode() > 0xFF) {
            Show_NSLog_Message(QStringLiteral("PDF417 cannot encode the character U+%1.")
                                   .arg(QString::number(c.unicode(), 16).toUpper()));
            imageState = 2;
            return imageState;
        }
    }
    const QByteArray bytes = text.toLatin1();

    // The previous bitmap goes before the record is prepared again.
    pdf417_codec_free(&p);
    pdf417_codec_init(&p);
    p.text = bytes.constData();
    p.lenText = static_cast<int>(bytes.size());
    p.options = kOptions;
    p.errorLevel = errorLevel;
    p.aspectRatio = 1.0f;
    if (fixedColumns > 0) {
        p.options |= PDF417_FIXED_COLUMNS;
        p.codeColumns = fixedColumns;
    }
    paintCode(&p);
    p.text = "";
    if (p.error != 0) {
        m_tooLong = p.error == PDF417_ERROR_TEXT_TOO_BIG;
        Show_NSLog_Message(
            QStringLiteral("Error encountered while drawing barcode, error %1.").arg(QString::number(p.error)));
        pdf417_codec_free(&p);
        imageState = 2;
        return imageState;
    }

    const int dpi = Current_Used_Dpi();
    if (!(m_frame.width() > 0) || !(m_frame.height() > 0) || dpi <= 0) {
        Show_NSLog_Message(QStringLiteral("PDF417 picture of %1 x %2 points at %3 dpi cannot be made.")
                               .arg(QString::number(m_frame.width()), QString::number(m_frame.height()),
                                    QString::number(dpi)));
        imageState = 2;
        return imageState;
    }
    // One pixel per module and per row; a 1 bit is white (the bitmap is inverted).
    QImage rows(p.bitColumns, p.codeRows, QImage::Format_Mono);
    if (rows.isNull()) {
        imageState = 2;
        return imageState;
    }
    rows.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    const int bytesPerRow = p.lenBits / p.codeRows;
    for (int r = 0; r < p.codeRows; ++r)
        std::memcpy(rows.scanLine(r), p.outBits + static_cast<size_t>(r) * static_cast<size_t>(bytesPerRow),
                    static_cast<size_t>(bytesPerRow));

    PointPicture raised = Current_Barcode_Gen().Increase_DPI(PointPicture::fromImage(rows, m_frame), dpi);
    if (raised.isNull()) {
        imageState = 2;
        return imageState;
    }
    pdf417_Picture = raised;
    pdf417_Rows = rows;
    imageState = 0;
    return imageState;
}

bool PDF417_View::fits(const QByteArray& latin1, int errorLevel)
{
    return pdf417_fits(latin1.constData(), static_cast<int>(latin1.size()), kOptions, errorLevel);
}

void PDF417_View::paint(QPainter& painter, const QRectF& bounds) const
{
    switch (imageState) {
    case 0:
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        pdf417_Picture.draw(painter, bounds);
        painter.restore();
        break;
    case 1:
        painter.fillRect(bounds, Qt::lightGray);
        break;
    default:
        painter.fillRect(bounds, Qt::white);
        painter.drawText(bounds, QStringLiteral("There was a problem drawing the barcode."));
        break;
    }
    if (dragSessionInProgress) {
        painter.save();
        painter.setPen(Qt::red);
        painter.drawRect(bounds);
        painter.restore();
    }
}
