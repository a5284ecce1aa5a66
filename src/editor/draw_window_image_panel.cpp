// The picture choosers of the image panel used by the picture tools.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "barcode/BarcodeGlobals.h"
#include "drawing/QBXImage.h"
#include "platform/modal.h"
#include "wizards/Image_Library.h"

#include <QLineEdit>

bool QBXWindowController::Browse_User_Image_Manually()
{
    const std::optional<QString> chosen = platform::modal::openFile(
        QStringLiteral("Choose a picture"), QString(),
        {QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("jpe"), QStringLiteral("jfif"),
         QStringLiteral("gif"), QStringLiteral("bmp"), QStringLiteral("png"), QStringLiteral("tif"),
         QStringLiteral("tiff")});
    if (!chosen || chosen->isEmpty()) {
        Library_Selected_Image = QStringLiteral("");
        return false;
    }
    Library_Selected_Image = *chosen;
    return true;
}

int QBXWindowController::Open_Image_Library_Window(const QString& mode)
{
    Image_Library* library = Image_Library::defaultInstance();
    library->control_or_BG = mode;
    const int result = library->Open_Library_Window();
    if (result == 1)
        lib_window_sel_file = library->selected_image;
    return result;
}

// The picture tab's controls come with the image panel; the host loads the
// file path and the data-source part.
void QBXWindowController::Load_Image_Panel(const GraphicPtr&) {}

void QBXWindowController::Update_Image_Graphics()
{
    if (Not_Draw_Only_Prop_Change.load())
        return;
    Refresh_Panel_Canvas();
}

namespace {

void Set_Current_Picture(QBXWindowController& c, const QString& path)
{
    const GraphicPtr g = c.panelCurrentGraphic();
    if (!g || g->className() != QLatin1String("QBXImage"))
        return;
    static_cast<QBXImage&>(*g).setFilePath(path);
    if (c.Manual_image_path)
        c.Manual_image_path->setText(path);
    c.Update_Image_Graphics();
}

} // namespace

void QBXWindowController::Manual_Image_Browse_Btn(QObject*)
{
    if (Browse_User_Image_Manually())
        Set_Current_Picture(*this, Library_Selected_Image);
}

void QBXWindowController::Manual_Library_Browse_Btn(QObject*)
{
    if (Open_Image_Library_Window(QStringLiteral("C")) != 1)
        return;
    Library_Selected_Image = lib_window_sel_file;
    Set_Current_Picture(*this, Library_Selected_Image);
}
