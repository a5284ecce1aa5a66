#pragma once
// The series viewer: the values of one series, read-only, with their count.
// Main thread only.
#include "batch/BatchUi.h"

#include <QObject>
#include <QString>

class QDialog;
class QLabel;
class QTableView;

class View_Data_Series : public QObject {
    Q_OBJECT
public:
    static View_Data_Series* defaultInstance();

    // Shows the series named by file_name modally; the code of the run.
    int Open_Wnd();
    void Load_file_Func(const QString& name);
    void Create_Avail_List(const QString& value);
    void Update_batch_List_Count();
    void OK_Btn_Clicked();

    QString file_name;
    QDialog* window = nullptr;
    QLabel* series_name = nullptr;
    QTableView* List = nullptr;
    QLabel* list_count = nullptr;
    batch::Value_List_Model* ListData = nullptr;

private:
    View_Data_Series();
};
