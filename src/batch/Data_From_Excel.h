#pragma once
// The binding table viewer: the spreadsheet binding table (Binding_Table_Model)
// in a table with its row and column counts, run modally. Main thread only.
#include "batch/Binding_Table_Model.h"

#include <QObject>

class QDialog;
class QLabel;
class QTableView;

class Data_From_Excel : public QObject {
    Q_OBJECT
public:
    explicit Data_From_Excel(Binding_Table_Model* model, QObject* parent = nullptr);
    ~Data_From_Excel() override;
    // The one viewer, over the one binding table (created on first use).
    static Data_From_Excel* defaultInstance();

    // Shows the counts, runs the window modally; 1 from OK.
    int Open_Wnd();
    void OK_Click();

    Binding_Table_Model* ListData() const { return model_; }
    QDialog* window = nullptr;
    QTableView* ColList = nullptr;
    QLabel* rows_count = nullptr;
    QLabel* column_count = nullptr;

private:
    Binding_Table_Model* model_;
};

extern Data_From_Excel* Data_From_Excel_Window;
