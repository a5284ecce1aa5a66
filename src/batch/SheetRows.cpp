#include "batch/SheetRows.h"

#include <algorithm>

namespace xlsx {

QString SheetRows::Row::at(qsizetype column) const
{
    static const QString empty = QStringLiteral("");
    if (column < 0 || column >= count)
        return empty;
    const KeptCell cell = cells[column];
    switch (cell.kind()) {
    case KeptCell::Shared:
        return shared->at(cell.at);
    case KeptCell::Latin1:
        return QString::fromLatin1(block->latin1.data() + cell.at, qsizetype(cell.length()));
    case KeptCell::Utf16:
        return QString(reinterpret_cast<const QChar*>(block->utf16.data() + cell.at), qsizetype(cell.length()));
    case KeptCell::Empty:
        break;
    }
    return empty;
}

QStringList SheetRows::Row::toList() const
{
    QStringList list;
    list.reserve(width);
    for (qsizetype c = 0; c < width; ++c)
        list.append(at(c));
    return list;
}

SheetRows::SheetRows(const QStringList& shared, std::vector<RowBlock> blocks, int width)
{
    auto data = std::make_shared<Data>();
    data->shared = shared;
    data->width = width;
    for (RowBlock& block : blocks) {
        if (block.rowEnds.empty())
            continue;
        data->starts.push_back(count);
        count += qsizetype(block.rowEnds.size());
        data->blocks.push_back(std::move(block));
    }
    d = std::move(data);
}

SheetRows::Row SheetRows::at(qsizetype row) const
{
    Row r;
    if (row < 0 || row >= count)
        return r;
    const qsizetype index = offset + row;
    const size_t b = size_t(std::upper_bound(d->starts.begin(), d->starts.end(), index) - d->starts.begin()) - 1;
    const RowBlock& block = d->blocks[b];
    const size_t k = size_t(index - d->starts[b]);
    const quint32 from = k == 0 ? 0 : block.rowEnds[k - 1];
    r.shared = &d->shared;
    r.block = &block;
    r.cells = block.cells.data() + from;
    r.count = qsizetype(block.rowEnds[k] - from);
    r.width = d->width;
    return r;
}

SheetRows SheetRows::mid(qsizetype from) const
{
    SheetRows rows = *this;
    from = std::clamp<qsizetype>(from, 0, count);
    rows.offset += from;
    rows.count -= from;
    return rows;
}

QList<QStringList> SheetRows::toLists() const
{
    QList<QStringList> lists;
    lists.reserve(count);
    for (const Row row : *this)
        lists.append(row.toList());
    return lists;
}

} // namespace xlsx
