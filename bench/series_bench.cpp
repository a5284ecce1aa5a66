// Series import and generation, medians of 7 runs each, offscreen:
//  (a) a 100,000-line CSV (3 columns, quoted commas, non-ASCII) made by
//      Python's csv module, imported by the wizard into a series file and
//      into the manager's value list; peer: Python's csv reading the file and
//      writing its fields one per line, as a plain write and as the same
//      durable write the series file gets (temporary file, fdatasync,
//      rename over the old file);
//  (b) 1,000,000 sequential values with prefix, suffix and padding, into a
//      series file and into the value list.
//   series_bench [csv|generate]   runs both cases, or only the one named
#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "batch/BatchUi.h"
#include "batch/BatchWizard.h"
#include "batch/Generate_List.h"
#include "batch/Import_Wizard.h"
#include "bench_support.h"
#include "platform/modal.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRuns = 7;

double medianOf(const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(t.nsecsElapsed() / 1e9);
    }
    return statsOf(times).median;
}

const char* kMake = R"(
import csv, sys
with open(sys.argv[1], 'w', newline='', encoding='utf-8') as f:
    w = csv.writer(f)
    for i in range(100000):
        w.writerow(['Nom %d, été' % i, 'Ünïcode 漢字 %d' % i, 'plain%d' % i])
)";

const char* kPeer = R"(
import csv, os, statistics, sys, time
def copy(target, durable):
    t = time.perf_counter()
    path = target + '.tmp' if durable else target
    with open(sys.argv[1], newline='', encoding='utf-8') as f, open(path, 'w', encoding='utf-8') as out:
        for row in csv.reader(f):
            for field in row:
                out.write(field + '\n')
        if durable:
            out.flush()
            os.fdatasync(out.fileno())
    if durable:
        os.replace(path, target)
    return time.perf_counter() - t
for durable in (False, True):
    print(statistics.median(copy(sys.argv[2], durable) for _ in range(int(sys.argv[3]))))
)";

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    QApplication app(argc, argv);
    BenchResponder responder;
    platform::modal::setResponder(&responder);
    Data_Folder_Path = dir.filePath(QStringLiteral("DataSet"));
    QDir().mkpath(Data_Folder_Path);
    batch::Open_Wait_Milliseconds = 0;

    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    BatchWizard* manager = BatchWizard::defaultInstance();

    if (only.isEmpty() || only == QLatin1String("csv")) {
        const QString csv = dir.filePath(QStringLiteral("big.csv"));
        if (QProcess::execute(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(kMake), csv}) != 0)
            return 1;
        Import_Wizard* wizard = Import_Wizard::defaultInstance();
        wizard->file_name_Insert = 0;
        wizard->Text_file_name->setText(QStringLiteral("Imported"));
        const double importFile = medianOf([&] {
            wizard->file_name_required = 1;
            wizard->Create_And_Save_Text_Data_Sheet(csv);
        });
        const double importList = medianOf([&] {
            manager->ListData_value->clear();
            wizard->file_name_required = 0;
            wizard->Create_And_Save_Text_Data_Sheet(csv);
            QCoreApplication::processEvents();
        });
        const int imported = manager->ListData_value->count();

        QProcess peer;
        peer.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(kPeer), csv,
                                                         dir.filePath(QStringLiteral("peer.txt")), QString::number(kRuns)});
        peer.waitForFinished(-1);
        const QList<QByteArray> peerTimes = peer.readAllStandardOutput().trimmed().split('\n');
        const double plain = peerTimes.value(0).toDouble();
        const double durable = peerTimes.value(1).toDouble();

        std::printf("(a) CSV 100000 lines x 3 fields (%d values), medians of %d runs\n", imported, kRuns);
        std::printf("    wizard to series file : %.3f s\n", importFile);
        std::printf("    wizard to value list  : %.3f s\n", importList);
        std::printf("    Python csv, plain write   : %.3f s  (peer/ours %.2fx)\n", plain, plain / importFile);
        std::printf("    Python csv, durable write : %.3f s  (peer/ours %.2fx)\n", durable, durable / importFile);
    }

    if (only.isEmpty() || only == QLatin1String("generate")) {
        Generate_List* gen = Generate_List::defaultInstance();
        gen->file_name_Insert = 0;
        auto setUp = [&](int required) {
            gen->file_name_required = required;
            gen->radioButton_Sequntial->setChecked(true);
            gen->seq_file_name->setText(QStringLiteral("Generated"));
            gen->prefix_txt->setText(QStringLiteral("ID-"));
            gen->suffix_txt->setText(QStringLiteral("-X"));
            gen->from_txt->setText(QStringLiteral("1"));
            gen->to_txt->setText(QStringLiteral("1000000"));
            gen->manage_digit_chk->setChecked(true);
        };
        const double genFile = medianOf([&] {
            setUp(1);
            gen->OKPressed();
        });
        const double genList = medianOf([&] {
            manager->ListData_value->clear();
            setUp(0);
            gen->OKPressed();
            QCoreApplication::processEvents();
        });
        std::printf("(b) 1000000 sequential values, prefix, suffix, padding (%d in list), medians of %d runs\n",
                    manager->ListData_value->count(), kRuns);
        std::printf("    generator to file     : %.3f s\n", genFile);
        std::printf("    generator to list     : %.3f s\n", genList);
    }
    platform::modal::setResponder(nullptr);
    return 0;
}
