#pragma once
// Pieces the series dialogs share: the dialog background, the pause before a
// dialog shows, the please-wait sheet and a one-column value list model.
#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include <functional>

class QBoxLayout;
class QDialog;
class QLabel;
class QPushButton;
class QWidget;

namespace batch {

// Pause in milliseconds before a series dialog runs (tests set 0).
extern int Open_Wait_Milliseconds;
void Open_Wait();

// The light blue-grey background every series dialog has.
void Dialog_Background(QWidget* window);
// A series dialog's window: named, titled, with the background.
QDialog* New_Window(const QString& objectName, const QString& title);
// A push button at the end of the row that runs the action; not a default
// button (Return does not press it).
QPushButton* Add_Button(QBoxLayout* row, const QString& title, QObject* receiver, std::function<void()> action,
                        const QString& objectName = {});
// Runs an opening: its modal code, or 0 after an exception (logged).
int Guarded_Open(const std::function<int()>& open);
// Runs the window modally through the seam and orders it out; its code.
int Run_Window(QDialog& window);

// The please-wait sheet over a dialog, window-modal and painted at once;
// taken down when the guard leaves its scope.
class Wait_Sheet {
public:
    explicit Wait_Sheet(QWidget* over);
    ~Wait_Sheet();
    Wait_Sheet(const Wait_Sheet&) = delete;
    Wait_Sheet& operator=(const Wait_Sheet&) = delete;

private:
    QDialog* sheet_ = nullptr;
};

// A list of texts shown in one table column whose identifier is `key`;
// appending inserts rows (no reset), so large lists stay cheap.
class Value_List_Model : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit Value_List_Model(const QString& key, QObject* parent = nullptr);

    const QStringList& values() const { return values_; }
    int count() const { return int(values_.size()); }
    QString value(int row) const { return values_.value(row); }
    void append(const QString& value);
    void appendMany(const QStringList& values);
    void replace(int row, const QString& value);
    void removeRowsAt(QList<int> rows);
    void clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString key_;
    QStringList values_;
};

} // namespace batch
