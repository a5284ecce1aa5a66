#pragma once
// Interleaved and Industrial 2 of 5, Codabar, and MSI (Modified Plessey) in
// its decimal and hexadecimal forms.
#include "barcode/BCXBarcode.h"

// Interleaved 2 of 5: digits in pairs, the first as bars, the second as the
// spaces between them; narrow 1 module, wide 3. Odd counts get a leading 0.
class BCXInterleavedTwoOfFiveBarcode : public BCXBarcode {
public:
    const char* className() const override { return "BCXInterleavedTwoOfFiveBarcode"; }
    std::unique_ptr<BCXBarcode> create() const override { return std::make_unique<BCXInterleavedTwoOfFiveBarcode>(); }
    std::string barcode() const override;
    std::string_view initiator() const override { return "1010"; }
    std::string_view terminator() const override { return "11101"; }
    QString contentProblem() const override;
    // True when element bar (0..4) of the digit is narrow.
    static bool _getBarForDigit_forBarNumber(char digit, int bar);

protected:
    // The content followed by the check character when one is set.
    std::string digitsWithCheck() const;
};

// Industrial 2 of 5: every element a bar (narrow 1, wide 3 modules), each
// followed by a 2-module space; start bars wide, wide, narrow; stop bars
// wide, narrow, wide.
class BCXIndustrialTwoOfFiveBarcode : public BCXInterleavedTwoOfFiveBarcode {
public:
    const char* className() const override { return "BCXIndustrialTwoOfFiveBarcode"; }
    std::unique_ptr<BCXBarcode> create() const override { return std::make_unique<BCXIndustrialTwoOfFiveBarcode>(); }
    std::string barcode() const override;
    std::string_view initiator() const override { return "1110011100100"; }
    std::string_view terminator() const override { return "1110010011100"; }
    QString contentProblem() const override;
};

// Codabar: the value carries its own start and stop letters A to D; a
// one-module space separates the characters.
class BCXCodabarBarcode : public BCXBarcode {
public:
    const char* className() const override { return "BCXCodabarBarcode"; }
    std::unique_ptr<BCXBarcode> create() const override { return std::make_unique<BCXCodabarBarcode>(); }
    std::string_view _encodeChar(char c) const override;
    std::string barcode() const override;
    QString contentProblem() const override;
};

// MSI (Modified Plessey): four bits per digit, most significant first, a 1
// bit "1110" and a 0 bit "1000"; start one 1 bit, stop narrow bar, wide
// space, narrow bar; a mod-10 check digit.
class BCXModifiedPlesseyBarcode : public BCXBarcode {
public:
    const char* className() const override { return "BCXModifiedPlesseyBarcode"; }
    std::unique_ptr<BCXBarcode> create() const override { return std::make_unique<BCXModifiedPlesseyBarcode>(); }
    // Upper-cases the text, then computes the check digit.
    bool initWithContent_printsCaption(const QString& content, bool printsCaption) override;
    std::string_view _encodeChar(char c) const override;
    std::string_view initiator() const override { return "1110"; }
    std::string_view terminator() const override { return "10001"; }
    void generateChecksum() override;
    QString contentProblem() const override;
    // The bit patterns of a value 0..15.
    static std::string_view bits(int value);
};

class BCXModifiedPlesseyHexBarcode : public BCXModifiedPlesseyBarcode {
public:
    const char* className() const override { return "BCXModifiedPlesseyHexBarcode"; }
    std::unique_ptr<BCXBarcode> create() const override { return std::make_unique<BCXModifiedPlesseyHexBarcode>(); }
    std::string_view _encodeChar(char c) const override;
    QString contentProblem() const override;
};
