#pragma once
// The PDF417 encoder view: runs the encoder on a text, turns the painted
// rows into a 1-bit picture stretched to the view's frame, raises it to the
// 2-D picture resolution and keeps it. A plain class: the designer's panel
// shows it through paint().
#include "barcode/pdf417_codec.h"
#include "platform/PointPicture.h"

#include <QImage>
#include <QSizeF>
#include <QString>

class QPainter;
class QRectF;

class PDF417_View
{
public:
    PDF417_View();
    ~PDF417_View();
    PDF417_View(const PDF417_View&) = delete;
    PDF417_View& operator=(const PDF417_View&) = delete;

    // The frame size in points: the picture's point size.
    void setFrameSize(QSizeF size) { m_frame = size; }
    QSizeF frameSize() const { return m_frame; }

    // Encodes the text; returns imageState: 0 picture ready, 1 empty text,
    // 2 error. The last good picture is kept on 1 and 2.
    int drawWithText(const QString& text);
    // True when drawWithText at this error level takes these Latin-1 bytes.
    static bool fits(const QByteArray& latin1, int errorLevel);
    // A copy of the last good picture (null when there is none).
    PointPicture getImage() const { return pdf417_Picture; }
    // The last good encoding, one pixel per module and per row.
    const QImage& moduleRows() const { return pdf417_Rows; }
    // The last encoding failed because the text is more than a symbol holds.
    bool tooLong() const { return m_tooLong; }
    void setErrorLevel(int level);
    int getErrorLevel() const { return errorLevel; }
    // The action: encodes *inString when it is set, else logs the problem.
    void draw();
    // Draws the current state into bounds.
    void paint(QPainter& painter, const QRectF& bounds) const;

    PointPicture pdf417_Picture;
    QImage pdf417_Rows;
    pdf417_codec_param p;
    // Data columns the next encodings use; 0 lets the encoder choose them
    // from the aspect ratio.
    int fixedColumns = 0;
    bool dragSessionInProgress = false;
    int errorLevel = 2;
    bool isDragTarget = false;
    bool isDragSource = false;
    int imageState = 1;
    const QString* inString = nullptr;

private:
    QSizeF m_frame;
    bool m_tooLong = false;
};
