#pragma once
// One item of a picture browser: a picture file with the title shown under
// its thumbnail and the identifier by which the browser tells items apart.
// The item never reads the picture; the browser reads the file at its path.
#include "platform/image_browser.h"

#include <QImage>
#include <QString>

class MyImageObject : public platform::ImageBrowserItem {
public:
    MyImageObject() = default;
    // The initialiser every browser uses; `image` stays empty.
    static MyImageObject initWithImage_Path(const QString& path, const QString& image_Name, const QString& image_UID);
    // Keeps a copy of the picture; `path` stays empty, so the browser shows
    // no picture for it.
    static MyImageObject initWithImage(const QImage& image, const QString& image_Name, const QString& image_UID);

    void setPath(const QString& value) { path = value; }

    // Path representation: the path of a picture file.
    static QString imageRepresentationType() { return QStringLiteral("IKImageBrowserPathRepresentationType"); }
    QString imageRepresentation() const override { return path; }
    QString imageUID() const override { return image_UID; }
    QString imageTitle() const override { return image_Name; }
    QString imageSubtitle() const override { return image_Name; }
    // Key-value reading: "path" is the only key.
    QString valueForKey(const QString& key) const;

    QString path;
    QImage image;
    QString image_Name;
    QString image_UID;
};
