#pragma once
// Postal symbologies whose information lies in the bar heights: POSTNET and
// PLANET (full and half bars), RM4SCC and the Japan Post customer barcode
// (four-state bars). Each bar is one "1" module, each gap one or two "0"
// modules; barTop and barBottom give each bar's extent above the baseline.
#include "barcode/BCXBarcode.h"

// Four-state bar states: bit 2 ascender, bit 1 descender.
enum BarState { kTracker = 0, kDescender = 1, kAscender = 2, kFullBar = 3 };

class BCXPostnetBarcode : public BCXBarcode {
public:
    const char* className() const override { return "BCXPostnetBarcode"; }
    std::unique_ptr<BCXBarcode> create() const override { return std::make_unique<BCXPostnetBarcode>(); }
    bool initWithContent_printsCaption(const QString& content, bool printsCaption) override;
    std::string_view initiator() const override { return "100"; }
    std::string_view terminator() const override { return "1"; }
    std::string_view _encodeChar(char) const override { return "100100100100100"; }
    float barTop(int index) const override;
    float tallestBar() const;
    // Height in inches of bar (1..5) of the digit at digitIndex (the check
    // digit after the last one); 0 for a character that is not a digit.
    virtual float _heightForDigit_andBar(int digitIndex, int bar) const;
    void generateChecksum() override;
    QString contentProblem() const override;

protected:
    // Whether bar (1..5) of the digit is a full bar in POSTNET.
    static bool isFullBar(char digit, int bar);
    char digitAt(int digitIndex) const;
};

class BCXPlanetBarcode : public BCXPostnetBarcode {
public:
    const char* className() const override { return "BCXPlanetBarcode"; }
    std::unique_ptr<BCXBarcode> create() const override { return std::make_unique<BCXPlanetBarcode>(); }
    float _heightForDigit_andBar(int digitIndex, int bar) const override;
    QString contentProblem() const override;
};

class BCXRoyalMailBarcode : public BCXBarcode {
public:
    const char* className() const override { return "BCXRoyalMailBarcode"; }
    std::unique_ptr<BCXBarcode> create() const override { return std::make_unique<BCXRoyalMailBarcode>(); }
    // Lower case is taken as capitals.
    bool initWithContent_printsCaption(const QString& content, bool printsCaption) override;
    bool printsCaption() const override { return true; }
    bool printsHeader() const override { return true; }
    bool printsFooter() const override { return true; }
    std::string_view initiator() const override { return "10"; }
    std::string_view terminator() const override { return "1"; }
    std::string_view _encodeChar(char) const override { return "10101010"; }
    BarState _barDescriptor(int index) const;
    float barTop(int index) const override;
    float barBottom(int index) const override;
    void generateChecksum() override;
    QString contentProblem() const override;
    // The four bar states of a table character (0-9, A-Z); trackers otherwise.
    static void statesOf(char c, BarState out[4]);
};

class JapanPostBarcode : public BCXBarcode {
public:
    const char* className() const override { return "JapanPostBarcode"; }
    std::unique_ptr<BCXBarcode> create() const override { return std::make_unique<JapanPostBarcode>(); }
    bool initWithContent_printsCaption_andBarWidth_andHeight_andFontSize_andCheckDigit(
        const QString& content, bool printsCaption, float barWidth, float height, float fontSize,
        signed char checkDigit) override;
    // The height clamps to 8..11.5 into the symbol's point size (pitch and
    // bar heights); the picture height itself is kept as given.
    void setHeight(float h) override;
    // Clamps to 8/6..11.5/6 and sets the point size to six bar widths.
    void setBarWidth(float w) override;
    void setContent(const QString& content) override;
    void generateChecksum() override;
    QString contentProblem() const override;
    // A value longer than the symbol's 20 character symbols is cut.
    QString contentChange() const override { return m_change; }
    std::string barcode() const override;
    bool printsCaption() const override { return true; }
    bool printsHeader() const override { return true; }
    bool printsFooter() const override { return true; }
    std::string_view initiator() const override { return "1010"; }
    std::string_view terminator() const override { return "101"; }
    std::string_view _encodeChar(char) const override { return "101010"; }
    float barTop(int index) const override;
    float barBottom(int index) const override;
    void calculateWidth() override;
    QString japanpostContents() const { return m_japanpostContents; }
    float pointSize() const { return m_pointSize; }
    BarState barState(int index) const;
    // Bar states of a character of the 20-character form or the check.
    static bool statesOf(char c, BarState out[3]);

private:
    QString m_japanpostContents;
    QString m_change;
    float m_pointSize = 10;
};

// The tallest bar a symbology draws, in points; 0 when the bars fill the
// room the bands leave.
float tallestBarOf(const BCXBarcode& barcode);
