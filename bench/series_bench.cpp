// Series import and generation, best of 3 runs each, offscreen:
//  (a) a 100,000-line CSV (3 columns, quoted commas, non-ASCII) made by
//      Python's csv module, imported by the wizard into a series file and
//      into the manager's value list; peer: Python's csv reading the file and
//      writing its fields one per line;
//  (b) 1,000,000 sequential values with prefix, suffix and padding, into a
//      series file and into the value list.
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

namespace {

double bestOf3(const std::function<void()>& work)
{
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        best = std::min(best, t.nsecsElapsed() / 1e9);
    }
    return best;
}

const char* kMake = R"(
import csv, sys
with open(sys.argv[1], 'w', newline='', encoding='utf-8') as f:
    w = csv.writer(f)
    for i in range(100000):
        w.writerow(['Nom %d, été' % i, 'Ünïcode 漢字 %d' % i, 'plain%d' % i])
)";

const char* kPeer = R"(
import csv, sys, time
best = 1e9
for _ in range(3):
    t = time.perf_counter()
    with open(sys.argv[1], newline='', encoding='utf-8') as f, open(sys.argv[2], 'w', encoding='utf-8') as out:
        for row in csv.reader(f):
            for field in row:
                out.write(field + '\n')
    best = min(best, time.perf_counter() - t)
print(best)
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

    const QString csv = dir.filePath(QStringLiteral("big.csv"));
    if (QProcess::execute(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(kMake), csv}) != 0)
        return 1;

    BatchWizard* manager = BatchWizard::defaultInstance();
    Import_Wizard* wizard = Import_Wizard::defaultInstance();
    wizard->file_name_Insert = 0;
    wizard->Text_file_name->setText(QStringLiteral("Imported"));
    const double importFile = bestOf3([&] {
        wizard->file_name_required = 1;
        wizard->Create_And_Save_Text_Data_Sheet(csv);
    });
    const double importList = bestOf3([&] {
        manager->ListData_value->clear();
        wizard->file_name_required = 0;
        wizard->Create_And_Save_Text_Data_Sheet(csv);
        QCoreApplication::processEvents();
    });
    const int imported = manager->ListData_value->count();

    QProcess peer;
    peer.start(QStringLiteral("/usr/bin/python3"),
               {QStringLiteral("-c"), QString::fromUtf8(kPeer), csv, dir.filePath(QStringLiteral("peer.txt"))});
    peer.waitForFinished(-1);
    const double python = peer.readAllStandardOutput().trimmed().toDouble();

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
    const double genFile = bestOf3([&] {
        setUp(1);
        gen->OKPressed();
    });
    const double genList = bestOf3([&] {
        manager->ListData_value->clear();
        setUp(0);
        gen->OKPressed();
        QCoreApplication::processEvents();
    });

    std::printf("(a) CSV 100000 lines x 3 fields (%d values)\n", imported);
    std::printf("    wizard to series file : %.3f s\n", importFile);
    std::printf("    wizard to value list  : %.3f s\n", importList);
    std::printf("    Python csv peer       : %.3f s  (ratio file/peer %.2f)\n", python, importFile / python);
    std::printf("(b) 1000000 sequential values, prefix, suffix, padding (%d in list)\n",
                manager->ListData_value->count());
    std::printf("    generator to file     : %.3f s\n", genFile);
    std::printf("    generator to list     : %.3f s\n", genList);
    platform::modal::setResponder(nullptr);
    return 0;
}
