#pragma once
// Helpers of the batch tests: a private data folder, raw series files and
// small designs built in code.
#include "batch/Card_Problems.h"
#include "drawing/QBXBarcode.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXText.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary data folder; series files are written into it byte for byte.
struct TempSeriesFolder {
    QTemporaryDir dir;
    QString path() const { return dir.path(); }
    void write(const QString& fileName, const QByteArray& bytes) const;
    QByteArray read(const QString& fileName) const;
};

std::shared_ptr<QBXText> Series_Text(const QString& series, int index = 0);
std::shared_ptr<QBXImage> Series_Picture(const QString& series);
std::shared_ptr<QBXBarcode> Series_Barcode(const QString& series);
std::shared_ptr<QBXText> Column_Text(int column);
// Writes a 2x2 PNG of the colour and returns its path.
QString Tiny_Png(const QString& folder, const QString& name, Qt::GlobalColor colour);
// The text a text graphic now shows.
QString Shown_Text(const GraphicPtr& graphic);
// Each problem as its own line.
QStringList Problem_Lines(const QList<Card_Problem>& problems);

#include <ostream>
// Readable QString values in test failures.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
