#pragma once
// The retail symbologies EAN-13, EAN-8, UPC-A and UPC-E. Every digit is 7
// modules: L code (odd parity, left half), R code (L inverted, right half)
// and G code (R reversed, even parity, left half). A tenth of the width on
// each side holds the digits printed outside the bars.
#include "barcode/BCXBarcode.h"

namespace upcean {
// "1" for every "0" and "0" for every other character.
std::string swapHandedness(std::string_view pattern);
// swapHandedness of the pattern read backwards.
std::string swapParity(std::string_view pattern);
// Mod-10 check digit (0..9) of digits weighted 3, 1, 3, ... from the right.
int mod10Check(std::string_view digits);
bool allDigits(std::string_view s);
}

class BCXAbstractUPCEANBarcode : public BCXBarcode {
public:
    const char* className() const override { return "BCXAbstractUPCEANBarcode"; }
    void calculateWidth() override;
    float firstBar() const override { return 0.1f * m_width; }
    float lastBar() const override { return 0.9f * m_width - m_barWidth; }
    std::string_view _encodeChar(char c) const override;
    std::string_view initiator() const override { return "101"; }
    std::string_view terminator() const override { return "101"; }
    int digitsToLeft() const override { return 1; }
    int digitsToRight() const override { return 1; }
    QString rightCaption() const override;
    void generateChecksum() override;

protected:
    static std::string_view lCode(char digit);
    static std::string_view rCode(char digit);
    static std::string_view gCode(char digit);
    // The content's digits from..to (1-based, inclusive) that exist.
    QString digits(int from, int to) const;
    QString checkText() const;
    // Check digit of the stored content, or -1 when it is not all digits.
    int computedCheck() const;
};

class BCXEAN13Barcode : public BCXAbstractUPCEANBarcode {
public:
    const char* className() const override { return "BCXEAN13Barcode"; }
    std::unique_ptr<BCXBarcode> create() const override { return std::make_unique<BCXEAN13Barcode>(); }
    bool initWithContent_printsCaption(const QString& content, bool printsCaption) override;
    std::string barcode() const override;
    QString caption() const override;
    int digitsToRight() const override { return 0; }
    QString rightCaption() const override { return QLatin1String(""); }
    void generateChecksum() override;
    QString contentProblem() const override;
    // Whether position (1..6) of the left half takes the G code for the
    // leading digit.
    static bool _parityForSystemDigit_forIndex(char digit, int index);
};

class BCXEAN8Barcode : public BCXEAN13Barcode {
public:
    const char* className() const override { return "BCXEAN8Barcode"; }
    std::unique_ptr<BCXBarcode> create() const override { return std::make_unique<BCXEAN8Barcode>(); }
    bool initWithContent_printsCaption(const QString& content, bool printsCaption) override;
    std::string barcode() const override;
    QString caption() const override;
    int digitsToLeft() const override { return 0; }
    int digitsToRight() const override { return 0; }
    void generateChecksum() override;
    QString contentProblem() const override;

private:
    bool m_wrongLength = false;
};

class BCXUPCABarcode : public BCXAbstractUPCEANBarcode {
public:
    const char* className() const override { return "BCXUPCABarcode"; }
    std::unique_ptr<BCXBarcode> create() const override { return std::make_unique<BCXUPCABarcode>(); }
    bool initWithContent_printsCaption(const QString& content, bool printsCaption) override;
    std::string barcode() const override;
    QString caption() const override;
    void generateChecksum() override;
    QString contentProblem() const override;
};

class BCXUPCEBarcode : public BCXUPCABarcode {
public:
    const char* className() const override { return "BCXUPCEBarcode"; }
    std::unique_ptr<BCXBarcode> create() const override { return std::make_unique<BCXUPCEBarcode>(); }
    bool initWithContent_printsCaption(const QString& content, bool printsCaption) override;
    std::string barcode() const override;
    std::string_view terminator() const override { return "010101"; }
    QString caption() const override;
    void generateChecksum() override;
    QString contentProblem() const override;
    // Whether position (1..6) takes the G code, by check digit and number system.
    bool parityForDigit(int position) const;
    // The six UPC-E digits of a 12-digit UPC-A, or "" when it has no UPC-E
    // form (the zeros each rule needs are tested).
    static QString UPCAToUPCE(const QString& upca);
    static std::string upcaToUpce(std::string_view upca);
    // The 11 UPC-A digits (without check) that a 7-digit UPC-E stands for.
    static std::string expandToUPCA(std::string_view upce7);

private:
    bool m_noUPCEForm = false;
};
