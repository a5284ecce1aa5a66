#pragma once
// The PDF417 encoder view: runs the encoder on a text, turns the painted
// rows into a 1-bit picture stretched to the view's frame, raises it to the
// 2-D picture resolution and keeps it. A plain class: the designer's panel
// shows it through paint().
#include "barcode/pdf417_codec.h"
#include "platform/PointPicture.h"

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
    // A copy of the last good picture (null when there is none).
    PointPicture getImage() const { return pdf417_Picture; }
    void setErrorLevel(int level);
    int getErrorLevel() const { return errorLevel; }
    // The action: encodes *inString when it is set, else logs the problem.
    void draw();
    // Draws the current state into bounds.
    void paint(QPainter& painter, const QRectF& bounds) const;

    PointPicture pdf417_Picture;
    pdf417_codec_param p;
    bool dragSessionInProgress = false;
    int errorLevel = 2;
    bool isDragTarget = false;
    bool isDragSource = false;
    int imageState = 1;
    const QString* inString = nullptr;

private:
    QSizeF m_frame;
};
