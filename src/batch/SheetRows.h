#pragma once
// The rows of one worksheet as the workbook reader keeps them. A sheet of
// hundreds of thousands of rows would cost a list per row and a string per
// value; here every cell is 8 bytes (an index into the shared-string table
// or the place of a text of its own), the cells of many rows lie in one
// array, and texts of their own lie in one buffer per block of rows: one
// byte per character for Latin-1 text (numbers, dates, codes), two for
// other text. A cell becomes a QString only when it is asked for.
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

namespace xlsx {

// One cell as kept.
struct KeptCell
{
    enum Kind : quint32 { Empty = 0, Shared = 1u << 30, Latin1 = 2u << 30, Utf16 = 3u << 30 };
    static constexpr quint32 kKindMask = 3u << 30;
    static constexpr quint32 kMaxLength = (1u << 30) - 1;

    quint32 at = 0;   // shared-string index, or offset of the text in its buffer
    quint32 what = 0; // kind, and length of a text of its own

    Kind kind() const { return Kind(what & kKindMask); }
    quint32 length() const { return what & ~kKindMask; }
};

// Rows read in one piece, in order: the cells of row k are
// cells[rowEnds[k - 1] .. rowEnds[k]) (from 0 for the first), position by
// position from column A; positions past a row's last cell are empty.
struct RowBlock
{
    std::vector<quint32> rowEnds;
    std::vector<quint32> rowNumbers; // while reading: each row's number in the sheet
    std::vector<KeptCell> cells;
    std::string latin1;
    std::u16string utf16;
};

// The rows of a sheet: implicitly shared and cheap to copy. Every row is
// as wide as the widest; cells without a value read "".
class SheetRows
{
public:
    // One row; valid while the SheetRows it came from (or a copy) lives.
    class Row
    {
    public:
        qsizetype size() const { return width; }
        bool isEmpty() const { return width == 0; }
        QString at(qsizetype column) const;
        QString operator[](qsizetype column) const { return at(column); }
        // at(), or a null text outside the row.
        QString value(qsizetype column) const { return column >= 0 && column < width ? at(column) : QString(); }
        QStringList toList() const;

    private:
        friend class SheetRows;
        const QStringList* shared = nullptr;
        const RowBlock* block = nullptr;
        const KeptCell* cells = nullptr;
        qsizetype count = 0; // cells kept
        qsizetype width = 0;
    };

    class const_iterator
    {
    public:
        Row operator*() const { return rows->at(index); }
        const_iterator& operator++()
        {
            ++index;
            return *this;
        }
        bool operator==(const const_iterator& other) const { return index == other.index; }
        bool operator!=(const const_iterator& other) const { return index != other.index; }

    private:
        friend class SheetRows;
        const SheetRows* rows = nullptr;
        qsizetype index = 0;
    };

    SheetRows() = default;
    // The blocks' rows in order, shared-string cells taken from `shared`.
    SheetRows(const QStringList& shared, std::vector<RowBlock> blocks, int width);

    qsizetype size() const { return count; }
    bool isEmpty() const { return count == 0; }
    int width() const { return d ? d->width : 0; }
    Row at(qsizetype row) const;
    Row operator[](qsizetype row) const { return at(row); }
    Row first() const { return at(0); }
    // The rows from `from` on, sharing these rows' storage.
    SheetRows mid(qsizetype from) const;
    void clear() { *this = SheetRows(); }
    const_iterator begin() const { return iterator(0); }
    const_iterator end() const { return iterator(count); }

    QList<QStringList> toLists() const;

private:
    struct Data
    {
        QStringList shared;
        std::vector<RowBlock> blocks;
        std::vector<qsizetype> starts; // first row of each block
        int width = 0;
    };
    const_iterator iterator(qsizetype index) const
    {
        const_iterator it;
        it.rows = this;
        it.index = index;
        return it;
    }

    std::shared_ptr<const Data> d;
    qsizetype offset = 0; // first row of d shown
    qsizetype count = 0;
};

} // namespace xlsx
