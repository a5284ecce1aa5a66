// Card-size presets, the preset list and the size of the three canvases.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "drawing/QBXGraphicView.h"
#include "platform/stepper.h"
#include "wizards/Size_List_Model.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTableView>

#include <array>
#include <cmath>

namespace {

struct PresetSize {
    float first;
    float second;
};

// Inches, first x second, in list order.
constexpr std::array<PresetSize, 7> kPvcInches{{
    {3.37f, 2.13f}, {3.31f, 2.06f}, {3.62f, 2.38f}, {3.88f, 2.62f}, {3.50f, 1.75f}, {3.25f, 2.34f}, {2.88f, 2.12f},
}};
constexpr std::array<PresetSize, 8> kPaperInches{{
    {2.36f, 1.58f}, {2.95f, 1.58f}, {2.95f, 1.58f}, {3.54f, 2.13f}, {3.54f, 2.36f}, {2.36f, 3.54f}, {3.94f, 4.09f},
    {5.91f, 4.96f},
}};

} // namespace

void QBXWindowController::attachPresetModel()
{
    if (!ColList)
        return;
    if (!m_presetModel)
        m_presetModel = new Size_List_Model<QBXWindowController>(this, false);
    if (ColList->model() != m_presetModel)
        ColList->setModel(m_presetModel);
    static_cast<Size_List_Model<QBXWindowController>*>(m_presetModel)->reload();
}

QSizeF QBXWindowController::Get_My_card_Size(const QString& category, const QString& preset, int list_index)
{
    float first = 30.0f;
    float second = 30.0f;
    const bool pvc = category == QLatin1String("PVC Card");
    const size_t count = pvc ? kPvcInches.size() : kPaperInches.size();
    if (list_index >= 0 && size_t(list_index) < count) {
        const PresetSize& s = pvc ? kPvcInches[size_t(list_index)] : kPaperInches[size_t(list_index)];
        first = s.first;
        second = s.second;
    }
    if (list_index != -1) {
        // Inches to millimetres in double precision, kept as single.
        first = float(double(first) * 25.4);
        second = float(double(second) * 25.4);
    }
    if (preset == QLatin1String("V"))
        return {double(second), double(first)};
    return {double(first), double(second)};
}

void QBXWindowController::Set_Card_Size_In_Control(const QSizeF& size)
{
    if (width_Stepper)
        width_Stepper->setValue(size.width());
    if (width_Text)
        width_Text->setText(QString::number(float(size.width())));
    if (height_Stepper)
        height_Stepper->setValue(size.height());
    if (height_Text)
        height_Text->setText(QString::number(float(size.height())));
    Select_Matching_Preset(size);
}

void QBXWindowController::Select_Matching_Preset(const QSizeF& size, int preferred)
{
    if (!ColList || !ColList->selectionModel() || !Category_ComboBox || !Preset_ComboBox)
        return;
    const QString category = Category_ComboBox->currentText();
    const QString preset =
        Preset_ComboBox->currentText() == QLatin1String("Horizontal") ? QStringLiteral("H") : QStringLiteral("V");
    // Millimetres pass through points and single precision on their way
    // here: a hundredth of a millimetre is the same size.
    auto matches = [&](int row) {
        const QSizeF listed = Get_My_card_Size(category, preset, row);
        return std::abs(listed.width() - size.width()) < 0.01 && std::abs(listed.height() - size.height()) < 0.01;
    };
    if (preferred >= 0 && preferred < ListData.size() && matches(preferred)) {
        Mark_List_New_Selection(preferred);
        return;
    }
    for (int row = 0; row < ListData.size(); ++row) {
        if (matches(row)) {
            Mark_List_New_Selection(row);
            return;
        }
    }
    ColList->selectionModel()->clearSelection();
}

int QBXWindowController::Selected_Size_Row() const
{
    if (!ColList || !ColList->selectionModel())
        return -1;
    const QModelIndexList rows = ColList->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

QSizeF QBXWindowController::Card_Size_MM() const
{
    const QSizeF points = _graphicView ? _graphicView->bounds().size() : Front_card_Prop.Card_Size;
    return {Points_to_MM_Convert(float(points.width())), Points_to_MM_Convert(float(points.height()))};
}

void QBXWindowController::Set_Document_Size(const QSizeF& size)
{
    // The document only answers the size; the canvases are sized by
    // SetDocumentCanvasSize, which every caller runs next.
    (void)QBXDocument::canvasSize(false, size);
}

void QBXWindowController::SetDocumentCanvasSize(const QSizeF& size)
{
    if (!std::isfinite(size.width()) || !std::isfinite(size.height()) || size.width() < 0 || size.height() < 0)
        return;
    for (QBXGraphicView* canvas : {_graphicView, _graphicView_BACK, _graphicView_TEMP}) {
        if (canvas)
            canvas->setFrameSize(QSizeF(0, 0));
    }
    Refresh_Canvas();
    for (QBXGraphicView* canvas : {_graphicView, _graphicView_BACK, _graphicView_TEMP}) {
        if (canvas)
            canvas->setFrameSize(size);
    }
    Refresh_Canvas();
}

void QBXWindowController::Create_List(const QString& name)
{
    const QString trimmed = Trim_Str(name);
    if (trimmed.isEmpty())
        return;
    ListData.append(QVariantMap{{QStringLiteral("Extension"), trimmed}});
    attachPresetModel();
}

void QBXWindowController::Fill_Size_List(int category)
{
    ListData.clear();
    attachPresetModel();
    for (const QString& name : category == 0 ? pvc_card_arry : paper_card_arry)
        Create_List(name);
    attachPresetModel();
}

QString QBXWindowController::Get_Item_Text(int row)
{
    if (row < 0 || row >= ListData.size()) {
        Show_NSLog_Message(QStringLiteral("Get_Item_Text: row %1 is outside the list of %2")
                               .arg(QString::number(row), QString::number(ListData.size())));
        return QString();
    }
    return ListData.at(row).value(QStringLiteral("Extension")).toString();
}

void QBXWindowController::Mark_List_New_Selection(int row)
{
    if (!ColList || !ColList->model())
        return;
    if (row < 0 || row >= ColList->model()->rowCount()) {
        Show_NSLog_Message(QStringLiteral("Mark_List_New_Selection: row %1 is outside the list").arg(row));
        return;
    }
    // The marked row is the current one and in view, however long the list.
    const QModelIndex index = ColList->model()->index(row, 0);
    ColList->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ColList->scrollTo(index);
}

int QBXWindowController::numberOfRowsInTableView(const QTableView* table) const
{
    return (table && table == ColList) ? int(ListData.size()) : 0;
}

QVariant QBXWindowController::tableView_objectValueForTableColumn(const QTableView* table, const QString& column,
                                                                  int row) const
{
    if (!table || table != ColList || row < 0 || row >= ListData.size())
        return {};
    return ListData.at(row).value(column);
}

void QBXWindowController::tableView_setObjectValue(const QTableView* table, const QVariant& value,
                                                   const QString& column, int row)
{
    if (!table || table != ColList)
        return;
    if (row < 0 || row >= ListData.size()) {
        Show_NSLog_Message(QStringLiteral("tableView setObjectValue: row %1 is outside the list").arg(row));
        return;
    }
    ListData[row].insert(column, value);
}
