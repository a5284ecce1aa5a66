// The picture browser item, the list rules every browser shares, and the
// browser view with its threaded thumbnails.
#include "platform/image_browser.h"
#include "support/bounded_wait.h"
#include "wizards/Picture_Browser_List.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class Owner : public Picture_Browser_List {
public:
    Owner()
    {
        view.setOwner(this);
        imageBrowser = &view;
        view.setAllowsReordering(true);
    }
    QStringList names() const
    {
        QStringList out;
        for (const MyImageObject& item : images)
            out << item.image_Name;
        return out;
    }
    QStringList chosen;
    platform::ImageBrowserView view;

protected:
    void Picture_Chosen(const QString& path) override { chosen << path; }
};

void solid(const QString& path, QColor colour, const char* format = nullptr)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(path, format));
}

void waitForThumbnails()
{
    platform::ThumbnailLoader& loader = platform::ThumbnailLoader::instance();
    EXPECT_TRUE(waitUntil([&] {
        withinDeadline("the thumbnail readers", [&] { loader.waitForDone(); });
        return loader.pendingCount() == 0;
    }));
    QApplication::processEvents();
}

QColor centreOf(const QVariant& decoration)
{
    const QImage image = decoration.value<QPixmap>().toImage();
    return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
}

} // namespace

TEST(PictureItem, KeepsPathNameAndIdentifier)
{
    const MyImageObject item = MyImageObject::initWithImage_Path("/p/a.png", "a.png", "uid-1");
    EXPECT_EQ(item.imageRepresentation(), QStringLiteral("/p/a.png"));
    EXPECT_EQ(item.valueForKey("path"), QStringLiteral("/p/a.png"));
    EXPECT_EQ(item.imageTitle(), QStringLiteral("a.png"));
    EXPECT_EQ(item.imageSubtitle(), QStringLiteral("a.png"));
    EXPECT_EQ(item.imageUID(), QStringLiteral("uid-1"));
    QImage picture(4, 4, QImage::Format_RGB32);
    const MyImageObject byPicture = MyImageObject::initWithImage(picture, "n", "u");
    EXPECT_TRUE(byPicture.imageRepresentation().isEmpty());
    EXPECT_FALSE(byPicture.image.isNull());
}

TEST(PictureList, FolderListingTakesPngAndJpgFilesOnly)
{
    QTemporaryDir dir;
    const QDir d(dir.path());
    for (const char* name : {"A.PNG", "b.Jpg", "c.jpeg", "d.gif", "noext"})
        QFile(d.filePath(name)).open(QIODevice::WriteOnly);
    ASSERT_TRUE(d.mkdir("e.png"));
    Owner owner;
    owner.Load_Picture_Folder(dir.path());
    EXPECT_EQ(owner.names(), (QStringList{"A.PNG", "b.Jpg"}));
    EXPECT_EQ(owner.images[0].path, d.filePath("A.PNG"));
    EXPECT_EQ(owner.images[1].image_UID, QStringLiteral("b.Jpg"));
    EXPECT_EQ(owner.view.model()->rowCount(), 2);

    // A path that is no folder leaves the list as it was.
    owner.Load_Picture_Folder(d.filePath("A.PNG"));
    owner.Load_Picture_Folder(d.filePath("missing"));
    EXPECT_EQ(owner.names().size(), 2);
    // An empty folder empties it.
    ASSERT_TRUE(d.mkdir("empty"));
    owner.Load_Picture_Folder(d.filePath("empty"));
    EXPECT_TRUE(owner.images.empty());
}

TEST(PictureList, AddingTrimsPathsAndSkipsBlankOnes)
{
    Owner owner;
    owner.addImageWithPath("   ", "blank", "blank");
    owner.addImageWithPath(" \n", "newline", "newline");
    EXPECT_TRUE(owner.images.empty());
    owner.addImageWithPath("/x/pic.png\n", " name ", " id ");
    ASSERT_EQ(owner.images.size(), 1u);
    EXPECT_EQ(owner.images[0].path, QStringLiteral("/x/pic.png"));
    EXPECT_EQ(owner.images[0].image_Name, QStringLiteral(" name "));
    EXPECT_EQ(owner.images[0].image_UID, QStringLiteral(" id "));
}

TEST(PictureList, MovesKeepOrderAndLengthAndDeleteRemovesNothing)
{
    Owner owner;
    for (const char* n : {"A", "B", "C"})
        owner.addImageWithPath(QStringLiteral("/p/") + n, n, n);
    owner.imageBrowser_moveItemsAtIndexes_toIndex(&owner.view, {0}, 3);
    EXPECT_EQ(owner.names(), (QStringList{"B", "C", "A"}));
    owner.imageBrowser_moveItemsAtIndexes_toIndex(&owner.view, {2}, 0);
    EXPECT_EQ(owner.names(), (QStringList{"A", "B", "C"}));
    owner.imageBrowser_moveItemsAtIndexes_toIndex(&owner.view, {0, 1}, 3);
    EXPECT_EQ(owner.names(), (QStringList{"C", "A", "B"}));
    // A drop through the view's model goes to the owner's move.
    QMimeData* data = owner.view.model()->mimeData({owner.view.model()->index(2, 0)});
    owner.view.model()->dropMimeData(data, Qt::MoveAction, 0, 0, QModelIndex());
    delete data;
    EXPECT_EQ(owner.names(), (QStringList{"B", "C", "A"}));

    // The delete key removes nothing.
    owner.view.setSelectionIndexes({1});
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(&owner.view, &del);
    EXPECT_EQ(owner.names(), (QStringList{"B", "C", "A"}));
    EXPECT_FALSE(owner.imageBrowser_writeItemsAtIndexes_toPasteboard(&owner.view, {0}));
}

TEST(PictureList, LowestSelectedIndexIsChosenAndAnEmptySelectionKeepsIt)
{
    Owner owner;
    for (const char* n : {"A", "B", "C", "D"})
        owner.addImageWithPath(QStringLiteral("/p/") + n, n, n);
    owner.view.setSelectionIndexes({3, 1, 2});
    ASSERT_FALSE(owner.chosen.isEmpty());
    EXPECT_EQ(owner.chosen.last(), QStringLiteral("/p/B"));
    const qsizetype before = owner.chosen.size();
    owner.view.setSelectionIndexes({});
    EXPECT_EQ(owner.chosen.size(), before);
}

TEST(PictureBrowser, BadFilesGetThePlaceholderAndGoodOnesTheirPicture)
{
    QTemporaryDir dir;
    const QDir d(dir.path());
    solid(d.filePath("1good.png"), Qt::red);
    solid(d.filePath("2good.jpg"), Qt::blue, "JPG");
    QFile(d.filePath("3empty.png")).open(QIODevice::WriteOnly);
    {
        QFile text(d.filePath("4text.png"));
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("not a picture at all");
    }
    {
        QFile good(d.filePath("1good.png"));
        ASSERT_TRUE(good.open(QIODevice::ReadOnly));
        const QByteArray bytes = good.readAll();
        QFile cut(d.filePath("5cut.png"));
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
        cut.write(bytes.left(bytes.size() / 2));
    }
    {
        // A header that claims a picture far over the allocation limit.
        QFile huge(d.filePath("6huge.png"));
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        QByteArray png = QByteArray::fromHex("89504e470d0a1a0a0000000d49484452");
        png += QByteArray::fromHex("0000ea600000ea600806000000");
        huge.write(png + QByteArray(64, '\0'));
    }
    Owner owner;
    owner.Load_Picture_Folder(dir.path());
    ASSERT_EQ(owner.images.size(), 6u);
    platform::ImageBrowserModel* model = owner.view.browserModel();
    owner.view.prefetch(6);
    waitForThumbnails();
    EXPECT_EQ(centreOf(model->data(model->index(0), Qt::DecorationRole)), QColor(Qt::red));
    EXPECT_LT(qAbs(centreOf(model->data(model->index(1), Qt::DecorationRole)).blue() - 255), 8);
    EXPECT_FALSE(model->isPlaceholderFor(0));
    for (int row = 2; row < 6; ++row)
        EXPECT_TRUE(model->isPlaceholderFor(row)) << row;
}

TEST(PictureBrowser, ThumbnailsArrivingAfterReorderOrReloadLandOnTheirOwnItems)
{
    QTemporaryDir dir;
    const QDir d(dir.path());
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    for (int i = 0; i < 4; ++i)
        solid(d.filePath(QStringLiteral("p%1.png").arg(i)), colours[i]);
    Owner owner;
    owner.Load_Picture_Folder(dir.path());
    platform::ThumbnailLoader::instance().clear();
    platform::ImageBrowserModel* model = owner.view.browserModel();
    owner.view.prefetch(4); // reads queued for the rows as they are now
    owner.imageBrowser_moveItemsAtIndexes_toIndex(&owner.view, {0, 1}, 4);
    waitForThumbnails();
    for (int row = 0; row < 4; ++row) {
        const QString name = owner.images[size_t(row)].image_Name;
        const int colour = name.mid(1, 1).toInt();
        EXPECT_EQ(centreOf(model->data(model->index(row), Qt::DecorationRole)), colours[colour]) << row;
    }

    // Results for items that went away land nowhere.
    platform::ThumbnailLoader::instance().clear();
    owner.view.prefetch(4);
    ASSERT_TRUE(d.mkdir("other"));
    owner.Load_Picture_Folder(d.filePath("other"));
    waitForThumbnails();
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_EQ(model->readyCount(), 0);
}
