#pragma once
// The spreadsheet binding table: one record per data row of the bound sheet
// ("Extension" = the 1-based row number, "Column1".."ColumnK" = the values of
// the chosen sheet columns, trimmed) and the column titles, row-number
// column first. A widget-free model: the binding reads it, the design log
// saves and restores it, and the viewer window shows it. Main thread only;
// output runs read a copy of ListData() taken before they start.
#include "batch/DataBinding.h"

#include <QAbstractTableModel>
#include <QStringList>

class Binding_Table_Model : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit Binding_Table_Model(QObject* parent = nullptr);

    // The one table of the process (created on first use, main thread).
    static Binding_Table_Model* defaultInstance();

    // Title of the row-number column.
    static QString Row_Number_Title();

    // ---- rows ----
    const Binding_Rows& ListData() const { return rows_; }
    void setListData(const Binding_Rows& rows);
    // Appends one row: "Extension" = row count + 1, "Column<k+1>" = cell k
    // trimmed for k < count; missing cells read "", so rows never shift.
    void Create_List_By_Array(const QStringList& cells, int count);
    void Clear_Rows();

    // ---- columns ----
    // Every column title from left to right, the row-number column first.
    QStringList Header_Titles() const;
    // Keeps the row-number column and adds one column per title (trimmed).
    void Set_Sheet_Columns(const QStringList& titles);
    // "Extension" for column 0, "Column<k>" for k.
    static QString Column_Identifier(int column) { return Excel_Column_Key(column); }

    // ---- design log ----
    // Restores the columns from saved titles (the first one, the row-number
    // column's, is not applied; an empty list keeps the columns) and the rows
    // from saved entries. An entry that is not a record, or a record missing
    // keys or holding non-text values, gives "" cells and keeps its place;
    // each such entry is logged.
    void Restore_From_Log(const QStringList& titles, const QVariantList& rows);
    // The rows as saved into the design log.
    QVariantList Rows_For_Log() const;

    // ---- model ----
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Stores an edited data cell (the value cards will take). Refused (and
    // logged) for a row or column outside the table, the row-number column,
    // or a value that is not text.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    Binding_Rows rows_;
    QStringList titles_; // titles of columns 1..K
};
