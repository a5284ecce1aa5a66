#pragma once
// Code 39 and its full-ASCII form. Narrow elements are 1 module, wide ones
// 2; every character is 5 bars and 4 spaces (3 wide) and one narrow gap, 13
// modules. No check character.
#include "barcode/BCXBarcode.h"

class BCXCode39Barcode : public BCXBarcode {
public:
    const char* className() const override { return "BCXCode39Barcode"; }
    std::unique_ptr<BCXBarcode> create() const override { return std::make_unique<BCXCode39Barcode>(); }
    // Upper-cases the text.
    bool initWithContent_printsCaption(const QString& content, bool printsCaption) override;
    std::string_view _encodeChar(char c) const override;
    std::string_view initiator() const override { return pattern('*'); }
    std::string_view terminator() const override { return pattern('*'); }
    // "*" marks start and stop, so it cannot stand inside the data.
    QString contentProblem() const override;
    // The pattern of one of the 44 Code 39 characters, "" for any other.
    static std::string_view pattern(char c);
};

class BCXExtendedCode39Barcode : public BCXCode39Barcode {
public:
    const char* className() const override { return "BCXExtendedCode39Barcode"; }
    std::unique_ptr<BCXBarcode> create() const override { return std::make_unique<BCXExtendedCode39Barcode>(); }
    // Keeps the case of the text.
    bool initWithContent_printsCaption(const QString& content, bool printsCaption) override;
    // A character's own pattern, or the two patterns of its full-ASCII pair.
    std::string_view _encodeChar(char c) const override;
    QString contentProblem() const override;
    // The full-ASCII pair of a character ("" when it has none or needs none).
    static const char* fullAsciiPair(char c);
};
