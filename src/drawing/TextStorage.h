#pragma once
// The rich text of a text graphic: its characters with one font and one
// foreground colour. A plain value; the text graphic draws the characters in
// its own font and colour, and measures with these.
#include <QColor>
#include <QFont>
#include <QString>

struct TextStorage {
    QString text;
    QFont font;
    QColor color;

    bool operator==(const TextStorage& other) const
    {
        return text == other.text && font == other.font && font.family() == other.font.family()
            && color == other.color;
    }
    bool operator!=(const TextStorage& other) const { return !(*this == other); }
};
