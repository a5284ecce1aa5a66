// File handling and drawing of the signature kind.
#include "drawing/QBXSignature.h"

#include "drawing/KindDrawing.h"
#include "drawing/PaintStyle.h"

#include <QDir>
#include <QPainter>

using namespace drawing;

std::shared_ptr<QBXSignature> QBXSignature::initWithPosition(const QPointF& centre, const QImage& contents,
                                                             const QString& sign_or_FP)
{
    auto g = std::make_shared<QBXSignature>();
    g->_contents_img = contents;
    g->Set_Sign_Or_FP(sign_or_FP);
    g->file_path = g->samplePath();
    g->Set_Control_File_path(g->file_path);
    const QSizeF s = g->_contents_img.pointSize();
    g->setBounds(QRectF(centre.x() - s.width() / 2, centre.y() - s.height() / 2, s.width(), s.height()));
    return g;
}

QString QBXSignature::samplePath() const
{
    const QString name = sign_or_fingureprint == QLatin1String("S") ? QStringLiteral("sign_sample.png")
                                                                    : QStringLiteral("fingerprints.png");
    return QDir(resourceFolder()).filePath(name);
}

void QBXSignature::setFilePath(const QString& path)
{
    const QString p = path == QLatin1String("Default") ? samplePath() : path;
    file_path = p;
    Set_Control_File_path(p);
    _contents_img = platform::StoredPicture::fromFile(standardizedPath(p));
}

platform::StoredPicture QBXSignature::pictureShown() const
{
    if (!file_path.isNull() && file_path == _file_path)
        return _contents_img;
    const QString p = _file_path == QLatin1String("Default") ? samplePath() : _file_path;
    return p.isEmpty() ? platform::StoredPicture() : platform::StoredPicture::fromFile(standardizedPath(p));
}

PicturePtr QBXSignature::pictureForDrawing(QSize need) const
{
    if (!file_path.isNull() && file_path == _file_path)
        return pictureFor(_contents_img, need);
    // The record's path changed (panel, design file, data row): show that file.
    const QString p = _file_path == QLatin1String("Default") ? samplePath() : _file_path;
    return loadPicture(standardizedPath(p), need);
}

void QBXSignature::drawContentsInView(QPainter* painter, const DrawingContext& context, bool)
{
    if (!ctrl_is_visible || !painter)
        return;
    QRectF b;
    if (!usableBounds(bounds(), &b, QStringLiteral("Signature")))
        return;
    strokeFrame(*painter, *this, b);
    const PicturePtr pic = pictureForDrawing(picturePixelsNeeded(pictureScale(*painter)));
    if (pic && b.width() > 0 && b.height() > 0) {
        // Stretched to fill the bounds in each direction on its own.
        painter->save();
        painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter->drawImage(b, pic->image);
        painter->restore();
    }
    askRefresh(context);
}
