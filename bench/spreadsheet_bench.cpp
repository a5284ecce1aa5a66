// One benchmark case per run, timed inside the process:
//   spreadsheet_bench read <workbook.xlsx>
//       open, header read and full read of sheet 1, keeping the rows
//   spreadsheet_bench write <target.xlsx> <resource folder holding Template.xlsx>
//       WriteWorkbook of a header and 100,000 values (the series export)
// Prints "seconds=<s> ..." on one line; run_spreadsheet_bench.py runs it.
#include "app/Globals.h"
#include "batch/SpreadsheetWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>

#include <cstdio>

namespace {

double seconds(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e9; }

// The values the peer script writes too: even positions numbers, odd ones
// names or codes with leading zeros.
SpreadsheetWriter::Rows seriesValues()
{
    SpreadsheetWriter::Rows rows;
    rows.reserve(100001);
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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.info=false\n*.debug=false"));
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("read")) {
        QElapsedTimer total;
        total.start();
        SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(args[2]), true);
        const double opened = seconds(total);
        Excel_Sheet_Number = 1;
        const auto header = SpreadsheetWriter::ReadData_only_column();
        const double headed = seconds(total);
        const auto rows = SpreadsheetWriter::ReadWorkbook(QUrl(), false);
        const double done = seconds(total);
        std::printf("seconds=%.4f open=%.4f header=%.4f rows=%.4f nrows=%lld ncols=%d\n", done, opened,
                    headed - opened, done - headed, (long long)rows.size(), Excel_Sheet_Columns);
        SpreadsheetWriter::Release_Data();
        return rows.size() == 100001 && header.size() == 1 ? 0 : 1;
    }
    if (args.size() >= 4 && args[1] == QLatin1String("write")) {
        Resource_Path = args[3];
        const auto rows = seriesValues();
        QElapsedTimer total;
        total.start();
        const bool ok = SpreadsheetWriter::WriteWorkbook(QUrl::fromLocalFile(args[2]), rows, true);
        std::printf("seconds=%.4f values=%lld\n", seconds(total), (long long)rows.size() - 1);
        return ok ? 0 : 1;
    }
    std::fprintf(stderr, "usage: spreadsheet_bench read <xlsx> | write <xlsx> <resource folder>\n");
    return 2;
}
