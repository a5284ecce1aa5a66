#include "wizards/Card_Size_List.h"

#include "app/AppHelpers.h"
#include "drawing/Card_Property.h"
#include "platform/stepper.h"
#include "wizards/EditorHost.h"
#include "wizards/Size_List_Model.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTableView>
#include <exception>

namespace {

QLineEdit* sizeText(QWidget* parent, const QString& name)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setMaximumWidth(90);
    return field;
}

} // namespace

Card_Size_List::Card_Size_List(QWidget* parent, QGridLayout* grid, int row)
    : QObject(parent)
{
    Preset_ComboBox = new QComboBox(parent);
    Preset_ComboBox->setObjectName(QStringLiteral("Preset_ComboBox"));
    Category_ComboBox = new QComboBox(parent);
    Category_ComboBox->setObjectName(QStringLiteral("Category_ComboBox"));
    {
        // From -1, the first selection of item 0 reaches the handler.
        const QSignalBlocker b1(Preset_ComboBox), b2(Category_ComboBox);
        Preset_ComboBox->addItems({QStringLiteral("Horizontal"), QStringLiteral("Vertical")});
        Category_ComboBox->addItems({QStringLiteral("PVC Card"), QStringLiteral("Paper Card")});
        Preset_ComboBox->setCurrentIndex(-1);
        Category_ComboBox->setCurrentIndex(-1);
    }
    ColList = new QTableView(parent);
    ColList->setObjectName(QStringLiteral("ColList"));
    ColList->setSelectionMode(QAbstractItemView::SingleSelection);
    ColList->setSelectionBehavior(QAbstractItemView::SelectRows);
    ColList->horizontalHeader()->setStretchLastSection(true);
    ColList->verticalHeader()->hide();
    m_model = new Size_List_Model<Card_Size_List>(this, true);
    ColList->setModel(m_model);
    width_Stepper = new platform::Stepper(parent);
    width_Stepper->setObjectName(QStringLiteral("width_Stepper"));
    height_Stepper = new platform::Stepper(parent);
    height_Stepper->setObjectName(QStringLiteral("height_Stepper"));
    for (platform::Stepper* s : {width_Stepper, height_Stepper}) {
        s->setRange(1, kMaxCardSideMM);
        s->setIncrement(0.5);
    }
    width_Text = sizeText(parent, QStringLiteral("width_Text"));
    height_Text = sizeText(parent, QStringLiteral("height_Text"));

    grid->addWidget(new QLabel(QStringLiteral("Orientation:")), row, 0);
    grid->addWidget(Preset_ComboBox, row++, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Category:")), row, 0);
    grid->addWidget(Category_ComboBox, row++, 1, 1, 2);
    grid->addWidget(ColList, row++, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Width (mm):")), row, 0);
    grid->addWidget(width_Text, row, 1);
    grid->addWidget(width_Stepper, row++, 2);
    grid->addWidget(new QLabel(QStringLiteral("Height (mm):")), row, 0);
    grid->addWidget(height_Text, row, 1);
    grid->addWidget(height_Stepper, row++, 2);

    connect(Category_ComboBox, &QComboBox::currentIndexChanged, this,
            [this] { comboBoxSelectionDidChange(Category_ComboBox); });
    connect(ColList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { tableViewSelectionDidChange(); });
    platform::pairField(width_Stepper, width_Text, this, true);
    platform::pairField(height_Stepper, height_Text, this, true);
}

void Card_Size_List::Select_First_Items()
{
    Preset_ComboBox->setCurrentIndex(0);
    Category_ComboBox->setCurrentIndex(0);
}

QString Card_Size_List::Preset_Code() const
{
    return Preset_ComboBox->currentText() == QLatin1String("Horizontal") ? QStringLiteral("H") : QStringLiteral("V");
}

void Card_Size_List::comboBoxSelectionDidChange(QComboBox* box)
{
    if (box != Category_ComboBox)
        return;
    try {
        ListData.clear();
        Reload_List();
        const EditorHost* host = wizards::editorHost();
        if (host) {
            for (const QString& name : host->Card_Size_Names(Category_ComboBox->currentIndex() == 0 ? 0 : 1))
                Create_List(name);
        }
        Reload_List();
        Mark_List_New_Selection(0);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

void Card_Size_List::Create_List(const QString& name)
{
    const QString trimmed = Trim_Str(name);
    if (trimmed.isEmpty())
        return;
    ListData.append(QVariantMap{{QStringLiteral("Extension"), trimmed}});
}

void Card_Size_List::Mark_List_New_Selection(int row)
{
    if (row < 0 || row >= ListData.size())
        return;
    ColList->selectRow(row);
    ColList->scrollTo(ColList->model()->index(row, 0)); // in view, however long the list
    // Selecting the row that is selected already tells no one: the size is
    // shown in any case.
    tableViewSelectionDidChange();
}

void Card_Size_List::tableViewSelectionDidChange()
{
    int row = -1;
    const QModelIndexList rows = ColList->selectionModel()->selectedRows();
    if (!rows.isEmpty())
        row = rows.front().row();
    EditorHost* host = wizards::editorHost();
    if (!host)
        return;
    const QSizeF size = host->Get_My_card_Size(Category_ComboBox->currentText(), Preset_Code(), row);
    Show_Size(size.width(), size.height());
}

void Card_Size_List::Show_Size(double width, double height)
{
    width_Stepper->setValue(width);
    width_Text->setText(QString::number(float(width)));
    height_Stepper->setValue(height);
    height_Text->setText(QString::number(float(height)));
}

void Card_Size_List::Reload_List()
{
    static_cast<Size_List_Model<Card_Size_List>*>(m_model)->reload();
    // A rebuilt list has no selected row for a moment.
    tableViewSelectionDidChange();
}

int Card_Size_List::numberOfRowsInTableView(QTableView* table) const
{
    return table == ColList ? int(ListData.size()) : 0;
}

QVariant Card_Size_List::tableView_objectValueForTableColumn(QTableView*, const QString& column, int row) const
{
    if (row < 0 || row >= ListData.size())
        return {};
    return ListData.at(row).value(column);
}

void Card_Size_List::tableView_setObjectValue(QTableView*, const QVariant& value, const QString& column, int row)
{
    if (row < 0 || row >= ListData.size()) {
        Show_NSLog_Message(QStringLiteral("Invalid parameter not satisfying: %1")
                               .arg(QStringLiteral("pRowIndex >= 0 && pRowIndex < [ListData count]")));
        return;
    }
    ListData[row].insert(column, value);
}
