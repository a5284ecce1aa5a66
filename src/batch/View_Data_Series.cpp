#include "batch/View_Data_Series.h"

#include "app/AppHelpers.h"
#include "batch/SeriesStore.h"

#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

View_Data_Series* View_Data_Series::defaultInstance()
{
    static View_Data_Series* instance = new View_Data_Series;
    return instance;
}

View_Data_Series::View_Data_Series()
    : QObject(nullptr) // lives for the whole process
{
    window = batch::New_Window(QStringLiteral("View_Data_Series"), QStringLiteral("View Series"));
    auto* layout = new QVBoxLayout(window);
    series_name = new QLabel;
    ListData = new batch::Value_List_Model(QStringLiteral("Extension"), this);
    List = new QTableView;
    List->setModel(ListData);
    List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List->horizontalHeader()->setStretchLastSection(true);
    List->verticalHeader()->hide();
    list_count = new QLabel;
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &View_Data_Series::OK_Btn_Clicked);
    layout->addWidget(series_name);
    layout->addWidget(List);
    layout->addWidget(list_count);
    layout->addWidget(ok, 0, Qt::AlignRight);
    window->resize(360, 420);
}

int View_Data_Series::Open_Wnd()
{
    return batch::Guarded_Open([&] {
        series_name->setText(file_name);
        ListData->clear();
        Load_file_Func(file_name);
        batch::Open_Wait();
        return batch::Run_Window(*window);
    });
}

void View_Data_Series::Load_file_Func(const QString& name)
{
    batch::Wait_Sheet wait(window);
    // A missing or undecodable series reads as no values.
    for (const QString& value : series::Read_Series_Values(name))
        Create_Avail_List(value);
    Update_batch_List_Count();
}

void View_Data_Series::Create_Avail_List(const QString& value)
{
    const QString trimmed = Trim_Str(value);
    if (!trimmed.isEmpty())
        ListData->append(trimmed);
}

void View_Data_Series::Update_batch_List_Count()
{
    list_count->setText(QStringLiteral("Total Rows : %1").arg(ListData->count()));
}

void View_Data_Series::OK_Btn_Clicked()
{
    window->done(1);
}
