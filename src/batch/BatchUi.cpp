#include "batch/BatchUi.h"
#include "batch/BatchHost.h"

#include "app/AppHelpers.h"
#include "platform/modal.h"

#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>

namespace batch {
namespace {
BatchHost* g_host = nullptr;
}

BatchHost* batchHost()
{
    return g_host;
}

void setBatchHost(BatchHost* host)
{
    g_host = host;
}

int Open_Wait_Milliseconds = 1000;

void Open_Wait()
{
    if (Open_Wait_Milliseconds > 0)
        QThread::msleep(static_cast<unsigned long>(Open_Wait_Milliseconds));
}

void Dialog_Background(QWidget* window)
{
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, QColor(241, 244, 250));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

QDialog* New_Window(const QString& objectName, const QString& title)
{
    auto* window = new QDialog;
    window->setObjectName(objectName);
    window->setWindowTitle(title);
    Dialog_Background(window);
    return window;
}

QPushButton* Add_Button(QBoxLayout* row, const QString& title, QObject* receiver, std::function<void()> action,
                        const QString& objectName)
{
    auto* b = new QPushButton(title);
    b->setAutoDefault(false);
    b->setObjectName(objectName);
    QObject::connect(b, &QPushButton::clicked, receiver, std::move(action));
    row->addWidget(b);
    return b;
}

int Guarded_Open(const std::function<int()>& open)
{
    try {
        return open();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        return 0;
    }
}

int Run_Window(QDialog& window)
{
    const int code = platform::modal::run(window);
    window.hide();
    return code;
}

Wait_Sheet::Wait_Sheet(QWidget* over)
{
    if (!over || !over->isVisible())
        return;
    sheet_ = new QDialog(over, Qt::Sheet);
    sheet_->setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(sheet_);
    layout->addWidget(new QLabel(QStringLiteral("It may take a while, Please wait..")));
    sheet_->show();
    sheet_->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

Wait_Sheet::~Wait_Sheet()
{
    if (sheet_) {
        sheet_->hide();
        sheet_->deleteLater();
    }
}

Value_List_Model::Value_List_Model(const QString& key, QObject* parent)
    : QAbstractTableModel(parent)
    , key_(key)
{
}

void Value_List_Model::append(const QString& value)
{
    const int row = count();
    beginInsertRows(QModelIndex(), row, row);
    values_.append(value);
    endInsertRows();
}

void Value_List_Model::appendMany(const QStringList& values)
{
    if (values.isEmpty())
        return;
    const int row = count();
    beginInsertRows(QModelIndex(), row, row + int(values.size()) - 1);
    values_.append(values);
    endInsertRows();
}

void Value_List_Model::replace(int row, const QString& value)
{
    if (row < 0 || row >= count())
        return;
    values_[row] = value;
    emit dataChanged(index(row, 0), index(row, 0));
}

void Value_List_Model::removeRowsAt(QList<int> rows)
{
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows) {
        if (row < 0 || row >= count())
            continue;
        beginRemoveRows(QModelIndex(), row, row);
        values_.removeAt(row);
        endRemoveRows();
    }
}

void Value_List_Model::clear()
{
    if (values_.isEmpty())
        return;
    beginRemoveRows(QModelIndex(), 0, count() - 1);
    values_.clear();
    endRemoveRows();
}

int Value_List_Model::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

int Value_List_Model::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant Value_List_Model::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return values_.at(index.row());
}

QVariant Value_List_Model::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole)
        return key_ == QLatin1String("Header") ? QStringLiteral("Values") : QStringLiteral("Series");
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace batch
