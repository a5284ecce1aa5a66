#pragma once
// The page set-up of one card side: border, fill, background picture, shape,
// name, size and location, card-size preset and category, and the colour and
// font for content placed on the side. A plain value holder.
#include "platform/stored_picture.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <cstdint>

// The largest side of a card in millimetres: the start wizard's and the card
// panel's size steppers stop there, and a design log with a larger front is
// refused.
inline constexpr int kMaxCardSideMM = 500;

class Card_Property {
public:
    Card_Property();
    Card_Property(const Card_Property&) = default;
    Card_Property& operator=(const Card_Property&) = default;

    bool Card_border_chk = false;
    bool Card_fill_chk = false;
    QColor Card_bordr_clr;
    QColor Card_fill_clr;
    QColor Card_fill_Grd_1_clr;
    QColor Card_fill_Grd_2_clr;
    QColor Card_hatch_bk_clr;
    int32_t Card_bor_Stepper = 1;
    int32_t Card_grad_Stepper = 0;
    int32_t Card_Cat_index = 0;
    float Card_alpha_Stepper = 100.0f;
    QString Card_border_style = QStringLiteral("S");
    QString Card_fill_style = QStringLiteral("S");
    QString Card_hatch_style = QStringLiteral("");
    QString Card_Side = QStringLiteral("2");
    QString Card_Side_Name = QStringLiteral("F");
    QString Card_Shape = QStringLiteral("R");
    QString Card_Name = QStringLiteral("Untitled");
    QString Card_Preset = QStringLiteral("Horizontal");
    QString Card_Category = QStringLiteral("PVC Card");
    QString Card_Sub_Category = QStringLiteral("CR80-Credit Card Size");
    QString Card_Create_Mode = QStringLiteral("W");
    QString Card_BG_Image_Path = QStringLiteral("");
    QString Card_BG_Image_Layout = QStringLiteral("Stretch");
    platform::StoredPicture Card_BG_Image; // the picture stored with the design
    QPointF Card_Location;
    QSizeF Card_Size;
    QColor Card_Content_clr;
    QFont Card_Content_font;

    // A copy: colours, picture, strings, font, point and size are values here.
    Card_Property copyWithZone() const { return *this; }

    // Stored form: a keyed archive with one entry per field under its name.
    // Missing, wrong-typed or non-finite entries read as the defaults above.
    QByteArray encodeWithCoder() const;
    static Card_Property initWithCoder(const QByteArray& data, bool* ok = nullptr);

    bool operator==(const Card_Property& other) const;

    // Card outline code <-> the row of the card-shape choice (and the global
    // Card_Shape): "R" 0, "RR" 1, "E" 2; any other code 0, any other row "E".
    static int Card_Shape_Index(const QString& code);
    static QString Card_Shape_Code(int index);
    // Number of sides: "1" for a one-sided card, "2" otherwise (the global
    // CARD_SIDE_STR); the sides choice lists two sides at 0 and one at 1.
    static QString Card_Sides_Str(const QString& cardSide);
    static int Card_Sides_Index(const QString& cardSide);
};
