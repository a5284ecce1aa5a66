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

    // Drawing and sizing (QBXText_draw.cpp). Measuring lays out the string
    // exactly as it is drawn: trimmed, in the record's font, case and kerning.
    void drawContentsInView(QPainter* painter, const DrawingContext& context, bool isBeingCreateOrEdited) override;
    QRectF drawingBounds() const override;
    QSizeF naturalSize() const;
    // The width of the widest line with no wrapping (only the text's own
    // line breaks).
    double unwrappedWidth() const;
    void makeNaturalSize() override;
    void setHeightToMatchContents();
    // The string that is drawn: the storage's characters (or the seed text
    // before the storage exists), trimmed, with the case applied.
    QString drawnString() const;
    // The font that is drawn: the record's font resolved on this machine,
    // with the kerning as letter spacing.
    QFont drawnFont() const;
    // Property dictionary (QBXKinds_properties.cpp).
    QVariantMap properties() override;
    void initWithProperties(const QVariantMap& properties) override;

protected:
    void copyKindStateTo(QBXGraphic& copy) const override;
};
