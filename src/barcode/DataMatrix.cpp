#include "barcode/DataMatrix.h"

DataMatrix::DataMatrix(int64_t dimension)
    : _dimension(dimension > 0 ? dimension : 0)
    , _data(static_cast<size_t>(_dimension * _dimension), 0)
{
}

void DataMatrix::set(int8_t value, int64_t x, int64_t y)
{
    if (x < 0 || y < 0 || x >= _dimension || y >= _dimension)
        return;
    _data[static_cast<size_t>(y * _dimension + x)] = value;
}

int8_t DataMatrix::valueAt(int64_t x, int64_t y) const
{
    if (x < 0 || y < 0 || x >= _dimension || y >= _dimension)
        return 0;
    return _data[static_cast<size_t>(y * _dimension + x)];
}

QString DataMatrix::description() const
{
    QString out;
    out.reserve(static_cast<qsizetype>(_dimension * (_dimension + 1)));
    for (int64_t y = 0; y < _dimension; ++y) {
        for (int64_t x = 0; x < _dimension; ++x)
            out += QString::number(valueAt(x, y));
        out += QLatin1Char('\n');
    }
    return out;
}
