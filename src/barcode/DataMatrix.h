#pragma once
// A square matrix of QR modules (x from the left, y from the top; 1 dark,
// 0 light) as the QR front end hands it from the encoder to the painter.
// Not to be confused with the Data Matrix symbology.
#include <QString>
#include <cstdint>
#include <vector>

class DataMatrix
{
public:
    explicit DataMatrix(int64_t dimension);

    void set(int8_t value, int64_t x, int64_t y);
    int8_t valueAt(int64_t x, int64_t y) const;
    int64_t dimension() const { return _dimension; }
    // One line per row, each cell written as a number, each line ended by "\n".
    QString description() const;

private:
    int64_t _dimension = 0;
    std::vector<int8_t> _data;   // row-major, _dimension x _dimension
};
