#pragma once
// The list rules every picture browser owner shares: adding items, listing a
// picture folder, selection, reordering, removal, dragging out and zoom. An
// owner derives from this class, gives it its browser view and says in
// `Picture_Chosen` what a chosen picture means to it.
#include "platform/image_browser.h"
#include "wizards/MyImageObject.h"

#include <QString>

class QSlider;
class QWidget;
#include <QStringList>
#include <optional>
#include <vector>

class Picture_Browser_List : public platform::ImageBrowserOwner {
public:
    virtual ~Picture_Browser_List() = default;

    // The owner's items, in display order.
    std::vector<MyImageObject> images;
    platform::ImageBrowserView* imageBrowser = nullptr;

    // The entries of a picture folder that a browser lists: files whose
    // extension, lower-cased, is "png" or "jpg", sorted by name so the first
    // picture is always the same. None when the path is not a folder.
    static std::optional<QStringList> Picture_Folder_Entries(const QString& folder);

    // Trims the path (white space and newlines at both ends); an empty path
    // adds nothing. Reloads the browser.
    void addImageWithPath(const QString& path, const QString& imageName, const QString& image_UID);
    // Lists a picture folder (entry name as title and identifier); a path
    // that is not a folder leaves the list as it was. One reload in all.
    void Load_Picture_Folder(const QString& folder);
    void Reload_Browser();
    // A picture file that can really be read (an existing file that decodes).
    static bool Is_Readable_Picture(const QString& path);

    // Moves the items to the drop index, less the number of them that stood
    // before it, keeping their order. Pure list work, for every owner.
    static void Move_Items(std::vector<MyImageObject>& list, const std::vector<int>& indexes, int destinationIndex);

    // platform::ImageBrowserOwner
    int numberOfItemsInImageBrowser(platform::ImageBrowserView* browser) override;
    const platform::ImageBrowserItem* imageBrowser_itemAtIndex(platform::ImageBrowserView* browser,
                                                               int index) override;
    void imageBrowser_removeItemsAtIndexes(platform::ImageBrowserView* browser,
                                           const std::vector<int>& indexes) override;
    bool imageBrowser_moveItemsAtIndexes_toIndex(platform::ImageBrowserView* browser, const std::vector<int>& indexes,
                                                 int destinationIndex) override;
    bool imageBrowser_writeItemsAtIndexes_toPasteboard(platform::ImageBrowserView* browser,
                                                       const std::vector<int>& indexes) override;
    void imageBrowser_cellWasDoubleClickedAtIndex(platform::ImageBrowserView* browser, int index) override;
    // The lowest selected index becomes the choice; an empty selection keeps
    // the previous one.
    void imageBrowserSelectionDidChange(platform::ImageBrowserView* browser) override;
    void zoomSliderDidChange(double value);

    // Makes the browser view over this owner (reordering allowed) and a zoom
    // slider whose 0 to 100 is the zoom 0 to 1.
    QSlider* Make_Browser_And_Zoom(QWidget* parent);
    // Sets the slider and the browser to the zoom without a slider action.
    void Set_Zoom(QSlider* slider, double zoom);

protected:
    // The path of the item at the lowest selected index.
    virtual void Picture_Chosen(const QString& path) = 0;
};
