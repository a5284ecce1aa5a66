#include "output/card_export.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

namespace card_export {

QStringList Export_Formats() { return {QStringLiteral("PNG"), QStringLiteral("TIFF")}; }

QString Create_Back_Card_Path(const QString& path)
{
    const QFileInfo info(path);
    const QString name = QStringLiteral("%1_Back.%2").arg(info.completeBaseName(), info.suffix());
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? name : path.left(slash + 1) + name;
}

QString Create_Run_Folder(const QString& parent)
{
    const QString base = QStringLiteral("VELT Festrune");
    QDir dir(parent);
    if (parent.isEmpty() || !(dir.exists() || QDir().mkpath(parent)))
        return {};
    for (int n = 1; n < 100000; ++n) {
        const QString name = n == 1 ? base : QStringLiteral("%1 %2").arg(base).arg(n);
        if (QFileInfo::exists(dir.filePath(name)))
            continue;
        // mkdir fails when another run took the name in between: try the next.
        if (!dir.mkdir(name)) {
            if (QFileInfo::exists(dir.filePath(name)))
                continue;
            return {};
        }
        const QString made = dir.filePath(name);
        QFile::setPermissions(made, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                        | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                                        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
        return made;
    }
    return {};
}

QImage Combine_Front_Back(const QImage& front, const QImage& back)
{
    if (front.isNull() || back.isNull())
        return {};
    QImage out(front.width(), front.height() * 2, QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return {};
    out.fill(Qt::transparent);
    out.setDotsPerMeterX(front.dotsPerMeterX());
    out.setDotsPerMeterY(front.dotsPerMeterY());
    QPainter painter(&out);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, front);
    painter.drawImage(0, front.height(), back);
    return out;
}

bool Write_Picture(const QImage& picture, const QString& path, QString* error)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QByteArray format = suffix == QLatin1String("tif") || suffix == QLatin1String("tiff") ? "tiff" : "png";
    auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (picture.isNull())
        return fail(QStringLiteral("The picture is empty."));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    QImageWriter writer(&file, format);
    // Fast deflate (zlib level 1): a tenth of the stored size for about
    // twice the encoding time of none. Qt's PNG writer takes the level from
    // the quality, (100 - quality) * 9 / 91; its compression option is
    // ignored and would leave the pixels stored uncompressed.
    if (format == "png")
        writer.setQuality(89);
    if (!writer.write(picture)) {
        file.cancelWriting();
        return fail(writer.errorString());
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace card_export
