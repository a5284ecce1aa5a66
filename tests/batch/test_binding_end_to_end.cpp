// A workbook written by openpyxl, read by our reader, chosen columns B and D
// put into the binding table, bound text graphics filled card by card.
#include "batch/Binding_Table_Model.h"
#include "batch/DataBinding.h"
#include "batch/SpreadsheetWriter.h"
#include "support_binding.h"

#include "support/process_runner.h"
#include <QUrl>
#include <gtest/gtest.h>

TEST(BindingEndToEnd, WorkbookColumnsReachTheirCards)
{
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("people.xlsx"));
    const QString script = QStringLiteral(
        "import openpyxl, sys\n"
        "wb = openpyxl.Workbook(); ws = wb.active\n"
        "ws.append(['Id', ' Name ', 'Skip', 'City'])\n"
        "ws.append([1, 'Zoë', 'x', 'Zürich'])\n"
        "ws.append([2, None, 'x', '東京'])\n"
        "ws.append([3, '  Ada  ', 'x', None])\n"
        "wb.save(sys.argv[1])\n");
    const testsupport::ProcessResult python = testsupport::python(script, {book});
    ASSERT_EQ(python.exitCode, 0) << python.err.toStdString();

    Excel_Sheet_Number = 1;
    SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(book), true);
    const SpreadsheetWriter::Rows rows = SpreadsheetWriter::ReadWorkbook(QUrl(), false).toLists();
    SpreadsheetWriter::Release_Data();
    ASSERT_EQ(rows.size(), 4);

    // The picker's binding mode: columns B and D, header row skipped.
    Binding_Table_Model table;
    table.Set_Sheet_Columns({rows[0].value(1), rows[0].value(3)});
    for (qsizetype r = 1; r < rows.size(); ++r)
        table.Create_List_By_Array({rows[r].value(1), rows[r].value(3)}, 2);
    EXPECT_EQ(table.Header_Titles(),
              (QStringList{Binding_Table_Model::Row_Number_Title(), QStringLiteral("Name"), QStringLiteral("City")}));

    auto name = Column_Text(1);
    auto city = Column_Text(2);
    auto number = Column_Text(0);
    Binding_Design design;
    design.front = {name, city, number};
    Data_Binding binding;
    binding.Check_Series_Or_Excel_Use_or_not(design, {}, table.ListData());
    ASSERT_EQ(binding.counts.Total_Batch_Excel_Card, 3);
    Binding_Run_Snapshot run(binding, design, table.ListData());
    const QStringList names{QStringLiteral("Zoë"), QString(), QStringLiteral("Ada")};
    const QStringList cities{QStringLiteral("Zürich"), QStringLiteral("東京"), QString()};
    for (int i = 0; i < 3; ++i) {
        const GraphicList& card = run.Fill_Side(i, QStringLiteral("F"));
        EXPECT_EQ(Shown_Text(card[0]), names[i]) << i;
        EXPECT_EQ(Shown_Text(card[1]), cities[i]) << i;
        EXPECT_EQ(Shown_Text(card[2]), QString::number(i + 1));
    }
}
