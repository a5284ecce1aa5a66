#pragma once
// The series manager: lists every series; creates, opens, edits, renames,
// saves, deletes and exports series; starts the import wizard and the
// generator; receives the values they and the column picker produce while
// its value screen is open. Two small dialogs belong to it: the
// clear-before-adding question (Load_Num_Info) and the edit-one-value dialog
// (Update_Ex_Num). Main thread only.
#include "batch/BatchUi.h"

#include <QObject>
#include <QString>

class QDialog;
class QLabel;
class QLineEdit;
class QModelIndex;
class QStackedWidget;
class QTableView;
class QWidget;

// Yes (1): clear the values first; No (0): add after them; Cancel (2): stop.
class Load_Num_Info : public QObject {
    Q_OBJECT
public:
    explicit Load_Num_Info(QObject* parent = nullptr);
    ~Load_Num_Info() override;
    void YESPressed();
    void NOPressed();
    void CancelPressed();
    QDialog* window = nullptr;
};

class BatchWizard;

class Update_Ex_Num : public QObject {
    Q_OBJECT
public:
    explicit Update_Ex_Num(BatchWizard* manager);
    ~Update_Ex_Num() override;
    void OKPressed();
    void CancelPressed();

    QString m_s_number;                  // the value as it was
    QLineEdit* m_ex_num_str = nullptr;   // the value being edited
    int m_ex_num_index = -1;             // its row
    QDialog* window = nullptr;

private:
    void clearFields();
    BatchWizard* manager_;
};

class BatchWizard : public QObject {
    Q_OBJECT
public:
    static BatchWizard* defaultInstance();

    // Runs the manager modally on its series screen; 0 when it closes.
    int Open_Wnd();
    void Fill_List();
    void Create_Value_List(const QString& value);
    // The same for many values at once (one insertion).
    void Create_Value_List(const QStringList& values);
    void Create_Avail_List(const QString& name);
    void Open_Export_File_Box(const QString& path, const QString& message);

    // series screen
    void AddNew_Btn_Clicked();
    void Update_Btn_Clicked();
    void Delete_List_Btn_Clicked();
    void Import_Btn_Clicked();
    void CreateSeries_Btn_Clicked();
    void Help_Btn_Clicked();
    void Close_Btn_Clicked();
    // value screen
    void Save_Btn_Clicked();
    void Back_Btn_Clicked();
    void Import_Value_Btn_Clicked();
    void Series_Value_Btn_Clicked();
    void Delete_Rows_Btn_Clicked();
    void Export_Value_Btn_Clicked();
    void Help_2_Btn_Clicked();
    void Close_2_Btn_Clicked();
    void doubleClickInTable(QTableView* table);

    // The value counter follows appended values once per event-loop turn.
    void Update_Value_Count();

    QDialog* window = nullptr;
    QStackedWidget* screens = nullptr;
    QWidget* avl_list_box = nullptr;  // series screen
    QWidget* list_value_box = nullptr; // value screen
    batch::Value_List_Model* ListData = nullptr;       // series names ("Extension")
    batch::Value_List_Model* ListData_value = nullptr; // values ("Header")
    QTableView* List = nullptr;
    QTableView* List_value = nullptr;
    QLineEdit* batch_list_name = nullptr;
    QString update_list_name; // the series opened for editing; "" for a new one
    QLabel* batch_list_count = nullptr;
    QLabel* batch_value_count = nullptr;
    Load_Num_Info* Load_Number_Window = nullptr;
    Update_Ex_Num* Update_Value_Wnd = nullptr;

private:
    BatchWizard();
    void Show_Series_Screen();
    void Show_Value_Screen();
    void On_Update();
    void Edit_Value();
    // Row of the series screen's selection, or -1 after its message.
    int Selected_Series_Row();
    QList<int> selectedRows(QTableView* table) const;
    void Update_List_Count();
    // Asks whether to clear the values first; false when cancelled.
    bool Prepare_Value_Import();

    bool countPending_ = false;
};

extern BatchWizard* BatchWizard_Window;
