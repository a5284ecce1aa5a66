// Card background picture setters and the card panel's write-back, as far as
// the card-background command needs them.
#include "editor/QBXWindowController.h"

namespace {
void usePicture(Card_Property& record, const QString& path)
{
    record.Card_fill_chk = true;
    record.Card_fill_style = QStringLiteral("I");
    record.Card_BG_Image_Path = path;
}
} // namespace

void QBXWindowController::set_Front_BG_Image(const QString& path)
{
    usePicture(Front_card_Prop, path);
    Refresh_Canvas();
}

void QBXWindowController::set_Back_BG_Image(const QString& path)
{
    usePicture(Back_card_Prop, path);
    Refresh_Canvas();
}

void QBXWindowController::Update_Card_Graphics()
{
    Refresh_Canvas();
}
