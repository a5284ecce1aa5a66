// One benchmark case per run, timed inside the process:
//   spreadsheet_bench read <workbook.xlsx> [rows expected, 100001 by default]
//       open, header read and full read of sheet 1, keeping the rows (0
//       expected: a sheet refused for the read's memory budget)
//   spreadsheet_bench write <target.xlsx> <resource folder holding Template.xlsx> <columns>
//       WriteWorkbook of a header and 100,000 rows of 1 column (the series
//       export) or of 10 columns (five of text, five of numbers)
// Prints "seconds=<s> ..." on one line, with the resident size before the
// timed step; run_spreadsheet_bench.py runs it.
#include "app/Globals.h"
#include "batch/SpreadsheetWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>

#include <cstdio>

namespace {

double seconds(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e9; }

double residentMB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
    }
    return 0;
}

// The values spreadsheet_peer.py writes too. One column: even positions
// numbers, odd ones names or codes with leading zeros. Ten columns: five
// texts and five numbers per row.
SpreadsheetWriter::Rows benchRows(int columns)
{
    SpreadsheetWriter::Rows rows;
    rows.reserve(100001);
    if (columns == 1) {
        rows.append(QStringList{QStringLiteral("Batch Value")});
        for (int i = 0; i < 100000; ++i) {
            QString v;
            if (i % 2 == 0)
                v = QString::number(i * 7);
            else if (i % 4 == 1)
                v = QStringLiteral("Name %1").arg(i);
            else
                v = QStringLiteral("%1").arg(i, 7, 10, QLatin1Char('0'));
            rows.append(QStringList{v});
        }
        return rows;
    }
    static const char* const kinds[] = {"Name", "Street", "City", "Code", "Note"};
    QStringList header;
    for (int k = 1; k <= 10; ++k)
        header.append(QStringLiteral("Col%1").arg(k));
    rows.append(header);
    for (int i = 0; i < 100000; ++i) {
        QStringList row;
        row.reserve(10);
        for (int k = 0; k < 5; ++k)
            row.append(QStringLiteral("%1 %2").arg(QLatin1String(kinds[k])).arg(i * 5 + k));
        for (int k = 5; k < 10; ++k)
            row.append(k % 2 ? QString::number(i * k) : QStringLiteral("%1.%2").arg(i % 100000).arg(k * 10 + 1));
        rows.append(row);
    }
    return rows;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.info=false\n*.debug=false"));
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("read")) {
        const double base = residentMB();
        QElapsedTimer total;
        total.start();
        SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(args[2]), true);
        const double opened = seconds(total);
        Excel_Sheet_Number = 1;
        const auto header = SpreadsheetWriter::ReadData_only_column();
        const double headed = seconds(total);
        const auto rows = SpreadsheetWriter::ReadWorkbook(QUrl(), false);
        const double done = seconds(total);
        std::printf("seconds=%.4f open=%.4f header=%.4f rows=%.4f nrows=%lld ncols=%d base=%.1f\n", done, opened,
                    headed - opened, done - headed, (long long)rows.size(), Excel_Sheet_Columns, base);
        SpreadsheetWriter::Release_Data();
        const qsizetype expected = args.size() >= 4 ? args[3].toLongLong() : 100001;
        return rows.size() == expected && header.size() == 1 ? 0 : 1;
    }
    if (args.size() >= 5 && args[1] == QLatin1String("write")) {
        Resource_Path = args[3];
        const auto rows = benchRows(args[4].toInt());
        const double base = residentMB();
        QElapsedTimer total;
        total.start();
        const bool ok = SpreadsheetWriter::WriteWorkbook(QUrl::fromLocalFile(args[2]), rows, true);
        std::printf("seconds=%.4f rows=%lld base=%.1f\n", seconds(total), (long long)rows.size() - 1, base);
        return ok ? 0 : 1;
    }
    std::fprintf(stderr, "usage: spreadsheet_bench read <xlsx> | write <xlsx> <resource folder> <columns>\n");
    return 2;
}
