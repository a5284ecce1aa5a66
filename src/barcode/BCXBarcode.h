#pragma once
// The model of one linear barcode: data, check character, module widths and
// heights, caption, header and footer. It turns the data into a module
// string ("1" one bar module, "0" one space module: start pattern, data,
// check character, stop pattern) that the off-screen view paints. Every
// symbology is a subclass that supplies its patterns, check and validity.
//
// Fonts and margins are not part of the model: the band sizes and the bar
// height read the designer (Barcode_Gen_Var) at the moment they are asked.
#include <QString>
#include <memory>
#include <string>
#include <string_view>

class QDataStream;

class BCXBarcode {
public:
    BCXBarcode() = default;
    virtual ~BCXBarcode() = default;
    BCXBarcode(const BCXBarcode&) = delete;
    BCXBarcode& operator=(const BCXBarcode&) = delete;

    virtual const char* className() const { return "BCXBarcode"; }
    // A fresh, uninitialised object of the same class (Code 128 keeps its set).
    virtual std::unique_ptr<BCXBarcode> create() const { return std::make_unique<BCXBarcode>(); }

    // Initialisation: false (nothing usable) when content is a null string.
    bool initWithContent(const QString& content);
    virtual bool initWithContent_printsCaption(const QString& content, bool printsCaption);
    virtual bool initWithContent_printsCaption_andBarWidth_andHeight_andFontSize_andCheckDigit(
        const QString& content, bool printsCaption, float barWidth, float height, float fontSize,
        signed char checkDigit);

    // Setters.
    virtual void setContent(const QString& content);
    void setHeader(const QString& text) { m_header = text; }
    void setFooter(const QString& text) { m_footer = text; }
    virtual void setHeight(float h) { m_height = h; }
    void setWidth(float w) { m_width = w; }
    virtual void setBarWidth(float w) { m_barWidth = w; }
    void setCheckDigit(signed char c);
    void setPrintsCaption(bool f) { m_printsCaption = f; }
    void setPrintsHeader(bool f) { m_printsHeader = f; }
    void setPrintsFooter(bool f) { m_printsFooter = f; }
    void setCaptionHeight(float v) { m_captionHeight = v; }
    void setHeaderHeight(float v) { m_headerHeight = v; }
    void setFooterHeight(float v) { m_footerHeight = v; }
    void setHeaderWidth(float v) { m_headerWidth = v; }
    void setFooterWidth(float v) { m_footerWidth = v; }
    // Band sizes from the designer's fonts, in inches: the caption 1.35 cap
    // heights, header and footer the font's line as drawn. Header and footer
    // also measure their text, so set the text first.
    void setCaptionFontSize(float size);
    void setHeaderFontSize(float size);
    void setFooterFontSize(float size);

    virtual void calculateWidth();
    bool isSizeValid() const { return true; }
    virtual void generateChecksum() {}
    // Valid when contentProblem() is empty. Content that is not plain ASCII
    // is invalid for every symbology.
    bool isContentValid() const { return contentProblem().isEmpty(); }
    // Why the content cannot be encoded, for the dialog and the data
    // binding; empty when it can.
    virtual QString contentProblem() const;
    // What the symbol holds other than the value given, said after the
    // quoted value ("is cut to ..."); empty when it holds the value whole.
    virtual QString contentChange() const { return {}; }

    virtual std::string_view initiator() const { return {}; }
    virtual std::string_view terminator() const { return {}; }
    virtual std::string_view _encodeChar(char c) const;
    // Data patterns followed by the check character's pattern.
    virtual std::string barcode() const;
    // initiator + barcode + terminator (kept until content or check changes).
    const std::string& completeBarcode() const;

    virtual int digitsToLeft() const { return 0; }
    virtual int digitsToRight() const { return 0; }
    virtual QString leftCaption() const;
    virtual QString caption() const;
    virtual QString rightCaption() const;
    QString header() const { return m_header; }
    QString footer() const { return m_footer; }

    // Top and bottom of the bar ending at module index, in points above the
    // symbol's baseline. The base class gives every bar the room left by the
    // bands: height less caption, header, footer bands, their margins and
    // twice the top/bottom margin; bottoms are 0.
    virtual float barTop(int index) const;
    virtual float barBottom(int index) const;
    // Total height taken by the bands and margins around the bars (points).
    float bandsHeight() const;
    virtual float firstBar() const { return 0; }
    virtual float lastBar() const { return m_width - m_barWidth; }

    QString description() const;
    bool isEqual(const BCXBarcode& other) const { return content() == other.content(); }
    // A new barcode of the same class with this one's content, caption flag,
    // bar width, height, caption font size and check digit.
    std::unique_ptr<BCXBarcode> copy() const;
    // Sequential archive: content, printsCaption, barWidth, width, height,
    // caption_fontSize, captionHeight, checkDigit.
    void encodeWithCoder(QDataStream& out) const;
    static std::unique_ptr<BCXBarcode> initWithCoder(QDataStream& in, const BCXBarcode& prototype);

    // Getters.
    QString content() const { return m_content; }
    float height() const { return m_height; }
    float width() const { return m_width; }
    signed char checkDigit() const { return m_checkDigit; }
    virtual bool printsCaption() const { return m_printsCaption; }
    virtual bool printsHeader() const { return m_printsHeader; }
    virtual bool printsFooter() const { return m_printsFooter; }
    float barWidth() const { return m_barWidth; }
    float captionHeight() const { return m_captionHeight; }
    float headerHeight() const { return m_headerHeight; }
    float footerHeight() const { return m_footerHeight; }
    float headerWidth() const { return m_headerWidth; }
    float footerWidth() const { return m_footerWidth; }
    float caption_fontSize() const { return m_captionFontSize; }
    float header_fontSize() const { return m_headerFontSize; }
    float footer_fontSize() const { return m_footerFontSize; }

protected:
    // The content as ASCII bytes; isAscii() false when any character is not.
    const std::string& ascii() const { return m_ascii; }
    bool isAscii() const { return m_isAscii; }
    void invalidateModules() { m_completeValid = false; }
    // Initialisers that compute the width again once their check character
    // is known skip the chain's own width step (the module string would be
    // built twice).
    void calculateWidthUnlessDeferred()
    {
        if (!m_deferWidth)
            calculateWidth();
    }
    // The base class's initialisation without its width step.
    bool initWithoutWidth(const QString& content, bool printsCaption)
    {
        DeferWidth defer(*this);
        return BCXBarcode::initWithContent_printsCaption(content, printsCaption);
    }
    struct DeferWidth {
        explicit DeferWidth(BCXBarcode& b) : barcode(b), previous(b.m_deferWidth) { b.m_deferWidth = true; }
        ~DeferWidth() { barcode.m_deferWidth = previous; }
        BCXBarcode& barcode;
        bool previous;
    };
    // "" when every byte has a pattern, else the reason.
    QString problemOfPatterns(const QString& symbology) const;

    signed char m_checkDigit = -1;
    float m_barWidth = 0;
    QString m_content;
    QString m_header;
    QString m_footer;
    float m_height = 0;
    float m_width = 0;
    bool m_printsCaption = false;
    bool m_printsHeader = false;
    bool m_printsFooter = false;
    float m_captionFontSize = 0;
    float m_headerFontSize = 0;
    float m_footerFontSize = 0;
    float m_captionHeight = 0;
    float m_headerHeight = 0;
    float m_footerHeight = 0;
    float m_headerWidth = 0;
    float m_footerWidth = 0;

private:
    std::string m_ascii;
    bool m_isAscii = true;
    bool m_contentSet = false;
    bool m_deferWidth = false;
    mutable std::string m_complete;
    mutable bool m_completeValid = false;
};

// Reason given for a value with a character outside ASCII.
QString nonAsciiProblem();
// The text with a to z as capitals and every other character unchanged
// (a full upper-casing would turn some non-ASCII letters into ASCII ones).
QString upperAscii(const QString& text);
