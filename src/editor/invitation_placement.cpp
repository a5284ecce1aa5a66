// The start wizard's texts laid down the front of a new card as text
// graphics with their "PARTY_*" ids, over the wizard's background picture.
#include "editor/QBXWindowController.h"

#include "drawing/QBXGraphicView.h"

#include <algorithm>

void QBXWindowController::Fill_Party_Invidation_Details()
{
    if (!_graphicView)
        return;
    // The creation makes text graphics with the text tool.
    Selected_Control_Tool = 2;

    const double W = Front_card_Prop.Card_Size.width();
    // A 40-point margin each side; a card too narrow for that (under 160
    // points) gives its texts half its width.
    const float w = float(std::max(W - 80.0, W / 2.0));
    const float xc = float((W - double(w)) / 2.0);
    float y = 40.0f;
    float x = xc;

    auto place = [this](float px, float py, float pw, float ph, const QString& text, const QString& id) {
        _graphicView->createGraphicOfClass(QStringLiteral("QBXText"), nullptr, true, QRectF(px, py, pw, ph),
                                           QStringLiteral("F"), text, id);
    };

    if (!Invite_Title.isEmpty()) {
        place(xc, y, w, 30, Invite_Title, QStringLiteral("PARTY_TITLE"));
        y += 50;
    }
    x = 30;
    if (!Invite_To.isEmpty()) {
        place(30, y, w, 20, QStringLiteral("Dear ") + Invite_To + QStringLiteral(","), QStringLiteral("PARTY_TO"));
        y += 30;
    }
    if (!Invite_Message.isEmpty()) {
        place(x + 20, y, w, 80, Invite_Message, QStringLiteral("PARTY_MSG"));
        y += 80;
    }
    if (!Invite_Date.isEmpty()) {
        QString text = Invite_Date;
        if (!Invite_Time.isEmpty())
            text += QStringLiteral(" at ") + Invite_Time;
        place(30, y, w, 20, text, QStringLiteral("PARTY_DATE"));
        y += 30;
    } else {
        if (!Invite_Time.isEmpty()) {
            place(30, y, w, 20, QStringLiteral("AT ") + Invite_Time, QStringLiteral("PARTY_TIME"));
            y += 30;
        }
        y += 30;
    }
    if (!Invite_Venue.isEmpty()) {
        place(30, y, w, 60, QStringLiteral("Venue:\n") + Invite_Venue, QStringLiteral("PARTY_VENUE"));
        y += 70;
    } else {
        y += 20;
    }
    x = xc;
    if (!Invite_From.isEmpty())
        place(x, y, w, 40, QStringLiteral("From:\n") + Invite_From, QStringLiteral("PARTY_FROM"));

    set_Front_BG_Image(Invite_BG_IMG);
}
