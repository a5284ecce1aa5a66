// Pictures read for the window: the check of a chosen file and the pictures
// the canvas shows, both read off the main thread, and what is said of a
// picture whose data is damaged.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "drawing/PaintStyle.h"
#include "drawing/PictureStore.h"
#include "drawing/QBXGraphicView.h"
#include "platform/busy_work.h"
#include "platform/picture/picture_decode.h"

bool QBXWindowController::Check_Picture_File(const QString& path)
{
    // Decoded small: the header and the data are both read, at little cost.
    QString why;
    drawing::PicturePtr picture;
    platform::runWhileBusy([&] { picture = drawing::loadPicture(path, QSize(1, 1), &why); });
    if (picture) {
        if (!picture->notice.isEmpty())
            Show_MessageBox(platform::shownInPart(path, picture->notice));
        return true;
    }
    if (!why.isEmpty())
        why[0] = why[0].toUpper();
    Show_MessageBox(QStringLiteral("This file cannot be used as a picture:\n%1\n\n%2.").arg(path, why));
    return false;
}

void QBXWindowController::Read_Shown_Pictures(bool sayShownInPart)
{
    QBXGraphicView* canvas = currentSideCanvas();
    if (!canvas)
        return;
    const auto pictures = canvas->picturesShown(
        drawing::picturePixelsPerPoint(canvas->zoom() * canvas->devicePixelRatioF(), false), canvas->bounds());
    if (pictures.empty())
        return;
    // What each shows is looked up off the main thread too: a picture the
    // store has let go since is decoded again there, not in the window.
    std::vector<drawing::PicturePtr> shown;
    platform::runWhileBusy([&] {
        drawing::decodeTogether(pictures);
        if (sayShownInPart)
            for (const auto& [stored, need] : pictures)
                shown.push_back(drawing::pictureFor(stored, need));
    });
    // Found read: each damaged one is said once.
    QStringList said;
    for (size_t i = 0; i < shown.size(); ++i)
        if (shown[i] && !shown[i]->notice.isEmpty()) {
            const platform::StoredPicture& stored = pictures[i].first;
            said << platform::shownInPart(
                stored.path().isEmpty() ? QStringLiteral("stored in the design") : stored.path(), shown[i]->notice);
        }
    said.removeDuplicates();
    if (!said.isEmpty())
        Show_MessageBox(said.join(QLatin1Char('\n')));
}
