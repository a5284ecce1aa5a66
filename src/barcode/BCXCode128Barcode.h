#pragma once
// Code 128. Fixed sets A, B and C, or the automatic mode that starts in the
// best set and changes sets inside the symbol the way ISO/IEC 15417 Annex E
// recommends, so every value is encoded exactly. In a fixed set A or B a
// character of the other set is written as Shift plus its value there.
#include <vector>

#include "barcode/BCXBarcode.h"

class BCXCode128Barcode : public BCXBarcode {
public:
    // 0 set A, 1 set B, 2 set C, 3 automatic.
    explicit BCXCode128Barcode(int codeSet = 3) : m_codeSet(codeSet) {}
    const char* className() const override { return "BCXCode128Barcode"; }
    std::unique_ptr<BCXBarcode> create() const override { return std::make_unique<BCXCode128Barcode>(m_requestedSet); }

    int codeSet() const { return m_codeSet; }
    void setCodeSet(int set);

    bool initWithContent_printsCaption(const QString& content, bool printsCaption) override;
    void setContent(const QString& content) override;
    void generateChecksum() override;
    std::string_view initiator() const override;
    std::string_view terminator() const override { return "1100011101011"; }
    std::string_view _encodeChar(char c) const override;
    std::string barcode() const override;
    QString contentProblem() const override;

    // The value of a character in set A (0) or B (1), -1 when it has none.
    static int _valueForChar(char c, int set);
    static bool _canEncodeChar_withSet(char c, int set);
    // The pattern of a character in set A or B, "" when the set lacks it.
    static std::string_view _encodeChar_withSet(char c, int set);
    // The start set the automatic mode takes for the content.
    int _bestCodeSetForContent() const;
    // The pattern written before a character that the fixed set 0 or 1
    // lacks (Shift); "" for any other set.
    static std::string_view _shiftCharacterForSet(int set);
    // The pattern of a symbol value 0..106 written in decimal, "" otherwise.
    static std::string_view _encodeNumberPair(const QString& number);
    // The pattern of a symbol value 0..106, "" otherwise.
    static std::string_view patternOfValue(int value);
    // The symbol values after the start: data, set changes and shifts.
    const std::vector<unsigned char>& symbolValues() const { return m_values; }

private:
    void encode();

    int m_codeSet;
    int m_requestedSet = m_codeSet;
    int m_startSet = 1;
    std::vector<unsigned char> m_values;
    QString m_problem;
};
