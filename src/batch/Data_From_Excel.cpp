#include "batch/Data_From_Excel.h"

#include "app/AppHelpers.h"
#include "platform/modal.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <exception>

Data_From_Excel* Data_From_Excel_Window = nullptr;

Data_From_Excel::Data_From_Excel(Binding_Table_Model* model, QObject* parent)
    : QObject(parent)
    , model_(model)
{
    window = new QDialog;
    window->setWindowTitle(QStringLiteral("Spreadsheet Binding"));
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, QColor::fromRgbF(241 / 255.0f, 244 / 255.0f, 250 / 255.0f, 1.0f));
    window->setPalette(palette);
    window->setAutoFillBackground(true);

    ColList = new QTableView(window);
    ColList->setModel(model_);
    ColList->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ColList->horizontalHeader()->setDefaultSectionSize(100);
    ColList->setSelectionBehavior(QAbstractItemView::SelectRows);
    rows_count = new QLabel(window);
    column_count = new QLabel(window);
    auto* ok = new QPushButton(QStringLiteral("OK"), window);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &Data_From_Excel::OK_Click);

    auto* counts = new QHBoxLayout;
    counts->addWidget(new QLabel(QStringLiteral("Rows :"), window));
    counts->addWidget(rows_count);
    counts->addSpacing(20);
    counts->addWidget(new QLabel(QStringLiteral("Columns :"), window));
    counts->addWidget(column_count);
    counts->addStretch(1);
    counts->addWidget(ok);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(ColList, 1);
    layout->addLayout(counts);
    window->resize(640, 420);
    Data_From_Excel_Window = this;
}

Data_From_Excel::~Data_From_Excel()
{
    if (Data_From_Excel_Window == this)
        Data_From_Excel_Window = nullptr;
    delete window;
}

Data_From_Excel* Data_From_Excel::defaultInstance()
{
    // Lives for the whole process, like the other windows: as a child of the
    // application object it would delete its dialog after the application
    // has gone, and the program would crash on its way out.
    static Data_From_Excel* instance = new Data_From_Excel(Binding_Table_Model::defaultInstance(), nullptr);
    return instance;
}

int Data_From_Excel::Open_Wnd()
{
    try {
        rows_count->setText(QString::number(model_->rowCount()));
        column_count->setText(QString::number(model_->columnCount()));
        const int result = platform::modal::run(*window);
        window->hide();
        return result;
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        return 0;
    }
}

void Data_From_Excel::OK_Click()
{
    window->done(1);
}
