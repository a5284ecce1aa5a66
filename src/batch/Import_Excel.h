#pragma once
// The spreadsheet column pickers. Both open an .xlsx workbook, list its
// sheets in tab order and the chosen sheet's header cells with check boxes
// (entry c is sheet column c). Import_Excel then sends the ticked columns'
// values to the series manager's list (mode "D") or makes them the
// spreadsheet binding table (mode "E"); Import_Excel_DataSheet writes one
// series per ticked column, or all ticked columns into one new, replaced or
// appended series. Main thread only.
#include "batch/SpreadsheetWriter.h"

#include <QAbstractTableModel>
#include <QObject>
#include <QString>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDialog;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QTableView;

// The column list: "State" (ticked), "Extension" (the trimmed header) and
// "Header" (the series the column becomes; editable).
class Column_List_Model : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Entry {
        bool State = false;
        QString Extension;
        QString Header;
    };
    using QAbstractTableModel::QAbstractTableModel;

    const QList<Entry>& entries() const { return entries_; }
    void setEntries(const QList<Entry>& entries);
    void append(const Entry& entry);
    void setAllStates(bool state);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    QList<Entry> entries_;
};

// What the two pickers share: opening, loading, the sheet choice and the
// column list.
class Excel_Column_Dialog : public QObject {
    Q_OBJECT
public:
    // Resets the dialog, loads the workbook and runs it modally; a file
    // that cannot be read as a workbook is refused with its reason and
    // gives 0 without showing the dialog.
    int Open_excel_Wnd(const QString& path);
    void OKPressed();
    void CancelPressed();
    void Select_ALL_Pressed();
    void Clear_All_Pressed();
    void Load_file_Func(const QString& path);
    // The sheet chosen in Sheet_ComboBox (index -1 is ignored).
    void Sheet_Changed(int index);
    bool Check_For_One_Extension_Selection() const;
    bool Get_Selection_State(int column) const;

    QDialog* window = nullptr;
    QLineEdit* file_path = nullptr;
    QCheckBox* contains_header = nullptr;
    QComboBox* Sheet_ComboBox = nullptr;
    QTableView* ColList = nullptr;
    Column_List_Model* ListData_xl = nullptr;
    SpreadsheetWriter::SheetRows excel_content;
    // Why the file loaded is no workbook; empty when it read as one.
    QString unreadable_reason;

protected:
    Excel_Column_Dialog(const QString& objectName, const QString& title);
    // The dialog's own controls, added above the buttons.
    QWidget* extraArea = nullptr;
    virtual void Reset() {}
    virtual void Loaded() {}
    // OK after the common checks.
    virtual void Run_OK(const QString& path) = 0;
    // The data rows of the last read sheet (without the header when ticked).
    SpreadsheetWriter::SheetRows Data_Rows() const;
    void Create_List(const QString& header, bool state);
    void Read_Rows();
    // Shows why the workbook or sheet cannot be read; false when nothing
    // says it cannot.
    bool Show_Unreadable();
};

class Import_Excel : public Excel_Column_Dialog {
    Q_OBJECT
public:
    static Import_Excel* defaultInstance();
    void Insert_file_Func(const QString& path);       // mode "D"
    void Create_Excel_List_Func(const QString& path); // mode "E"
    QString open_mode = QStringLiteral("D");

private:
    Import_Excel();
    void Run_OK(const QString& path) override;
};

class Import_Excel_DataSheet : public Excel_Column_Dialog {
    Q_OBJECT
public:
    static Import_Excel_DataSheet* defaultInstance();
    void Create_file_For_Col_Func(const QString& path);
    void Insert_file_Func(const QString& path);
    void Fill_Type_CellClick(int type);
    void Each_Col_RD_Click();
    void Fill_Col_RD_Click();

    QRadioButton* Each_col_RD = nullptr;
    QRadioButton* Fill_col_RD = nullptr;
    QGroupBox* fill_box = nullptr;
    QButtonGroup* matrix_fill_type = nullptr;
    int fill_col_option = 0;
    QLineEdit* list_name = nullptr;
    QComboBox* List_ComboBox = nullptr;
    int file_name_Insert = 0;

private:
    Import_Excel_DataSheet();
    void Reset() override;
    void Loaded() override;
    void Run_OK(const QString& path) override;
};
