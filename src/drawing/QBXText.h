#pragma once
// A block of text laid into the bounds, drawn in the record's font, colour,
// alignment, kerning and case. Its text lives in the record's text storage
// (Text_contents), made on first use from Text_Value.
#include "drawing/QBXGraphic.h"

class QBXText : public QBXGraphic {
public:
    QBXText() = default;

    std::optional<TextStorage> contents_val;     // a storage of its own (scripting only)
    bool _contentsBeingChangedByScripting = false;
    bool _boundsBeingChangedToMatchContents = false;

    QString className() const override;
    GraphicPtr newOfSameKind() const override;
    bool canSetDrawingStroke() const override { return false; }
    // The base keys; plus "undoContents" while a script changes the text;
    // minus "bounds" while the height follows the text.
    QStringList keysForValuesToObserveForUndo() const override;
    std::optional<QString> presentablePropertyNameForKey(const QString& key) const override;

protected:
    void copyKindStateTo(QBXGraphic& copy) const override;
};
