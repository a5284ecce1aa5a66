#pragma once
// The preset size list of the card-size wizard and the template browser:
// an orientation box, a category box (item 0 the PVC cards, any other the
// paper badges), the list of size names and the width and height of the
// selected size in millimetres. Choosing a category rebuilds the list and
// selects its first row; choosing a row shows its size. The orientation box
// alone changes nothing until another row is chosen.
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>

class QComboBox;
class QGridLayout;
class QLineEdit;
class QModelIndex;
class QTableView;
class QWidget;
namespace platform {
class Stepper;
}

class Card_Size_List : public QObject {
    Q_OBJECT
public:
    // Builds the controls into `parent`, laid out in `grid` from `row` on.
    Card_Size_List(QWidget* parent, QGridLayout* grid, int row);

    // Selects item 0 of both boxes; a box already there runs no handler.
    void Select_First_Items();
    void comboBoxSelectionDidChange(QComboBox* box);
    void Create_List(const QString& name);
    void Mark_List_New_Selection(int row);
    void tableViewSelectionDidChange();
    // The orientation code of the box: "H" for "Horizontal", else "V".
    QString Preset_Code() const;

    // Size list data source (rows of ListData under the key "Extension").
    int numberOfRowsInTableView(QTableView* table) const;
    QVariant tableView_objectValueForTableColumn(QTableView* table, const QString& column, int row) const;
    void tableView_setObjectValue(QTableView* table, const QVariant& value, const QString& column, int row);

    QComboBox* Preset_ComboBox = nullptr;
    QComboBox* Category_ComboBox = nullptr;
    platform::Stepper* width_Stepper = nullptr;
    QLineEdit* width_Text = nullptr;
    platform::Stepper* height_Stepper = nullptr;
    QLineEdit* height_Text = nullptr;
    QList<QVariantMap> ListData;
    QTableView* ColList = nullptr;

private:
    void Reload_List();
    void Show_Size(double width, double height);
    class QAbstractTableModel* m_model = nullptr;
};
