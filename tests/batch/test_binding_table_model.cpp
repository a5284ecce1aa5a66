// The spreadsheet binding table as a model: rows keep their number and place,
// cells are trimmed and padded, design-log entries come back without shifting.
#include "batch/Binding_Table_Model.h"
#include "batch/Data_From_Excel.h"
#include "support/test_responder.h"
#include "support_binding.h"

#include <QDialog>
#include <QLabel>
#include <QSignalSpy>
#include <gtest/gtest.h>

TEST(BindingTableModel, RowsAreNumberedTrimmedAndPadded)
{
    Binding_Table_Model t;
    EXPECT_EQ(t.rowCount(), 0);
    EXPECT_EQ(t.columnCount(), 1); // the row-number column alone
    t.Set_Sheet_Columns({QStringLiteral(" B "), QStringLiteral("D")});
    t.Create_List_By_Array({QStringLiteral("\t x \r\n"), QStringLiteral("y")}, 2);
    t.Create_List_By_Array({QStringLiteral("only one")}, 2); // short cell list: padded, not dropped
    t.Create_List_By_Array({}, 2);
    ASSERT_EQ(t.rowCount(), 3);
    EXPECT_EQ(t.columnCount(), 3);
    EXPECT_EQ(t.headerData(1, Qt::Horizontal).toString(), QStringLiteral("B"));
    EXPECT_EQ(t.data(t.index(0, 1)).toString(), QStringLiteral("x"));
    EXPECT_EQ(t.data(t.index(1, 2)).toString(), QString());
    EXPECT_EQ(t.data(t.index(2, 0)).toString(), QStringLiteral("3"));
    EXPECT_EQ(t.ListData().at(1).value(QStringLiteral("Column2")).toString(), QString());
    EXPECT_TRUE(t.ListData().at(1).contains(QStringLiteral("Column2")));
}

TEST(BindingTableModel, DesignLogRoundTripKeepsEveryRowInPlace)
{
    Binding_Table_Model saved;
    saved.Set_Sheet_Columns({QStringLiteral("Name"), QStringLiteral("City")});
    saved.Create_List_By_Array({QStringLiteral("Zoë"), QStringLiteral("東京")}, 2);
    saved.Create_List_By_Array({QString(), QStringLiteral("Oslo")}, 2);

    Binding_Table_Model restored;
    QStringList titles = saved.Header_Titles();
    titles[0] = QStringLiteral("saved title of the number column");
    restored.Restore_From_Log(titles, saved.Rows_For_Log());
    EXPECT_EQ(restored.Header_Titles(), saved.Header_Titles()); // number column keeps its own title
    EXPECT_EQ(restored.ListData(), saved.ListData());

    // Damaged entries: a record missing keys, a value that is not text, and
    // something that is no record at all. Every entry stays a row.
    QVariantMap partial{{QStringLiteral("Extension"), QStringLiteral("1")},
                        {QStringLiteral("Column2"), QStringLiteral("kept")}};
    QVariantMap wrongType{{QStringLiteral("Extension"), QStringLiteral("2")},
                          {QStringLiteral("Column1"), 42},
                          {QStringLiteral("Column2"), QStringLiteral("c")}};
    restored.Restore_From_Log({}, {partial, QStringLiteral("not a record"), wrongType});
    ASSERT_EQ(restored.rowCount(), 3);
    EXPECT_EQ(restored.columnCount(), 3); // an empty title list keeps the columns
    EXPECT_EQ(restored.data(restored.index(0, 1)).toString(), QString());
    EXPECT_EQ(restored.data(restored.index(0, 2)).toString(), QStringLiteral("kept"));
    EXPECT_EQ(restored.data(restored.index(1, 2)).toString(), QString());
    EXPECT_EQ(restored.data(restored.index(2, 1)).toString(), QString());
    EXPECT_EQ(restored.data(restored.index(2, 2)).toString(), QStringLiteral("c"));
}

TEST(BindingTableModel, EditsChangeTheValueCardsTakeAndBadOnesAreRefused)
{
    Binding_Table_Model t;
    t.Set_Sheet_Columns({QStringLiteral("A")});
    t.Create_List_By_Array({QStringLiteral("old")}, 1);
    QSignalSpy changed(&t, &QAbstractItemModel::dataChanged);
    EXPECT_TRUE(t.setData(t.index(0, 1), QStringLiteral("new")));
    EXPECT_EQ(Get_First_Value_Of_Excel_Binding(t.ListData(), 1), QStringLiteral("new"));
    EXPECT_EQ(changed.count(), 1);

    EXPECT_FALSE(t.setData(t.index(0, 0), QStringLiteral("9"))); // the row number
    EXPECT_FALSE(t.setData(t.index(5, 1), QStringLiteral("x")));
    EXPECT_FALSE(t.setData(QModelIndex(), QStringLiteral("x")));
    EXPECT_FALSE(t.setData(t.index(0, 1), QVariant(3)));
    EXPECT_FALSE(t.flags(t.index(0, 0)).testFlag(Qt::ItemIsEditable));
    EXPECT_TRUE(t.flags(t.index(0, 1)).testFlag(Qt::ItemIsEditable));
    EXPECT_EQ(t.data(t.index(0, 0)).toString(), QStringLiteral("1"));
    EXPECT_EQ(changed.count(), 1);
}

TEST(BindingTableModel, ViewerShowsTheCountsAndClosesWithOk)
{
    Binding_Table_Model t;
    Data_From_Excel viewer(&t);
    testResponder().onDialog([&viewer](QDialog&) {
        EXPECT_EQ(viewer.rows_count->text(), QStringLiteral("0"));
        EXPECT_EQ(viewer.column_count->text(), QStringLiteral("1"));
        viewer.OK_Click();
    });
    EXPECT_EQ(viewer.Open_Wnd(), 1);
}
