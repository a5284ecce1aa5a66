#include "wizards/Picture_Browser_List.h"

#include "platform/picture/picture_decode.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>

std::optional<QStringList> Picture_Browser_List::Picture_Folder_Entries(const QString& folder)
{
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir())
        return std::nullopt;
    const QDir dir(folder);
    QStringList pictures;
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        const QString suffix = entry.suffix().toLower();
        if (suffix == QLatin1String("png") || suffix == QLatin1String("jpg"))
            pictures.append(entry.fileName());
    }
    return pictures;
}

void Picture_Browser_List::addImageWithPath(const QString& path, const QString& imageName, const QString& image_UID)
{
    const QString trimmed = path.trimmed();
    if (trimmed.isEmpty())
        return;
    MyImageObject item = MyImageObject::initWithImage_Path(trimmed, imageName, image_UID);
    item.setPath(trimmed);
    images.push_back(std::move(item));
    Reload_Browser();
}

void Picture_Browser_List::Load_Picture_Folder(const QString& folder)
{
    const std::optional<QStringList> entries = Picture_Folder_Entries(folder);
    if (!entries)
        return;
    if (imageBrowser)
        imageBrowser->beginBatch();
    images.clear();
    Reload_Browser();
    const QDir dir(folder);
    for (const QString& name : *entries)
        addImageWithPath(dir.filePath(name), name, name);
    if (imageBrowser)
        imageBrowser->endBatch();
}

void Picture_Browser_List::Reload_Browser()
{
    if (imageBrowser)
        imageBrowser->reloadData();
}

bool Picture_Browser_List::Is_Readable_Picture(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    // A damaged file (its data ending early) is not offered.
    QString why;
    return !platform::readPicture(path, &why, 256).isNull() && why.isEmpty();
}

void Picture_Browser_List::Move_Items(std::vector<MyImageObject>& list, const std::vector<int>& indexes,
                                      int destinationIndex)
{
    std::vector<int> rows;
    for (int r : indexes) {
        if (r >= 0 && r < int(list.size()))
            rows.push_back(r);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.empty())
        return;
    int destination = std::clamp(destinationIndex, 0, int(list.size()));
    std::vector<MyImageObject> moved;
    for (int r : rows) {
        moved.push_back(list[r]);
        if (r < destinationIndex)
            --destination;
    }
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        list.erase(list.begin() + *it);
    destination = std::clamp(destination, 0, int(list.size()));
    list.insert(list.begin() + destination, moved.begin(), moved.end());
}

int Picture_Browser_List::numberOfItemsInImageBrowser(platform::ImageBrowserView*)
{
    return int(images.size());
}

const platform::ImageBrowserItem* Picture_Browser_List::imageBrowser_itemAtIndex(platform::ImageBrowserView*,
                                                                                 int index)
{
    if (index < 0 || index >= int(images.size()))
        return nullptr;
    return &images[size_t(index)];
}

void Picture_Browser_List::imageBrowser_removeItemsAtIndexes(platform::ImageBrowserView*, const std::vector<int>&)
{
    // Nothing is removed from a picture list; the view only redraws.
    Reload_Browser();
}

bool Picture_Browser_List::imageBrowser_moveItemsAtIndexes_toIndex(platform::ImageBrowserView*,
                                                                   const std::vector<int>& indexes,
                                                                   int destinationIndex)
{
    Move_Items(images, indexes, destinationIndex);
    Reload_Browser();
    return true;
}

bool Picture_Browser_List::imageBrowser_writeItemsAtIndexes_toPasteboard(platform::ImageBrowserView*,
                                                                         const std::vector<int>&)
{
    return false;
}

void Picture_Browser_List::imageBrowser_cellWasDoubleClickedAtIndex(platform::ImageBrowserView*, int)
{
}

void Picture_Browser_List::imageBrowserSelectionDidChange(platform::ImageBrowserView* browser)
{
    if (browser != imageBrowser || !browser)
        return;
    const std::vector<int> selected = browser->selectionIndexes();
    if (selected.empty())
        return;
    const platform::ImageBrowserItem* item = imageBrowser_itemAtIndex(browser, selected.front());
    if (item)
        Picture_Chosen(static_cast<const MyImageObject*>(item)->valueForKey(QStringLiteral("path")));
}

QSlider* Picture_Browser_List::Make_Browser_And_Zoom(QWidget* parent)
{
    imageBrowser = new platform::ImageBrowserView(parent);
    imageBrowser->setObjectName(QStringLiteral("imageBrowser"));
    imageBrowser->setOwner(this);
    imageBrowser->setAllowsReordering(true);
    imageBrowser->setAnimates(true);
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QStringLiteral("_zoom_slider"));
    slider->setRange(0, 100);
    slider->setMaximumWidth(160);
    QObject::connect(slider, &QSlider::valueChanged, slider, [this](int value) { zoomSliderDidChange(value / 100.0); });
    return slider;
}

void Picture_Browser_List::Set_Zoom(QSlider* slider, double zoom)
{
    const QSignalBlocker block(slider);
    slider->setValue(int(zoom * 100 + 0.5));
    if (imageBrowser)
        imageBrowser->setZoomValue(zoom);
}

void Picture_Browser_List::zoomSliderDidChange(double value)
{
    if (imageBrowser)
        imageBrowser->setZoomValue(value);
}
