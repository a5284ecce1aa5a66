// The user-profile forms' opening and the placement of a profile record on a
// card side: each field becomes, or updates, one text graphic (the photo one
// picture graphic) carrying the field's control id and its data source.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXGrid.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXRenderingView.h"
#include "drawing/QBXText.h"
#include "wizards/ProfileHost.h"
#include "wizards/Show_User_Profile.h"
#include "wizards/User_Profile_Class.h"
#include "wizards/User_profile.h"

#include <QComboBox>
#include <QFileInfo>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>
#include <exception>

std::function<void(int)> Profile_Field_Placement_Hook;

namespace {

const QString kText = QStringLiteral("QBXText");
const QString kImage = QStringLiteral("QBXImage");

// Where the eleven fields go on a new card, as fractions of the card's width
// and height (y down), in field order, the photo last. Every rectangle keeps a
// margin from the card's edges and no two meet.
struct Layout_Rect {
    double x, y, w, h;
};
constexpr int kFields = User_Profile_Class::Field_Count;

// Landscape: the photo on the left, the ten texts in two columns of five.
constexpr std::array<Layout_Rect, kFields> kLandscape{{
    {0.31, 0.05, 0.32, 0.16}, {0.31, 0.23, 0.32, 0.16}, {0.31, 0.41, 0.32, 0.16}, {0.31, 0.59, 0.32, 0.16},
    {0.31, 0.77, 0.32, 0.16}, {0.65, 0.05, 0.31, 0.16}, {0.65, 0.23, 0.31, 0.16}, {0.65, 0.41, 0.31, 0.16},
    {0.65, 0.59, 0.31, 0.16}, {0.65, 0.77, 0.31, 0.16}, {0.04, 0.06, 0.24, 0.55},
}};
// Portrait: the photo centred at the top, the texts below at full width.
constexpr std::array<Layout_Rect, kFields> kPortrait{{
    {0.06, 0.350, 0.88, 0.055}, {0.06, 0.411, 0.88, 0.055}, {0.06, 0.472, 0.88, 0.055},
    {0.06, 0.533, 0.88, 0.055}, {0.06, 0.594, 0.88, 0.055}, {0.06, 0.655, 0.88, 0.055},
    {0.06, 0.716, 0.88, 0.055}, {0.06, 0.777, 0.88, 0.055}, {0.06, 0.838, 0.88, 0.055},
    {0.06, 0.899, 0.88, 0.055}, {0.25, 0.040, 0.50, 0.280},
}};

// A text shows only the lines that fit its height: a new profile text on a
// small card gets a font whose line fits its rectangle.
void Fit_Font_To_Height(QBXGraphic& g)
{
    constexpr double kLineFactor = 1.3; // line spacing per point of font size
    const double height = g.bounds().height();
    const double size = g.text_ctrl_font.pointSizeF();
    if (size > 0 && height > 0 && size * kLineFactor > height)
        g.text_ctrl_font.setPointSizeF(std::max(1.0, height / kLineFactor));
}

// A new profile text shows its value whole on one line: its frame widens to
// the right as far as the card's margin and the next field of the layout
// allow; a value still too long for that gets a smaller font.
void Fit_Width_To_Value(QBXGraphic& g, const QSizeF& card, const std::array<Layout_Rect, kFields>& layout, int field)
{
    auto* text = dynamic_cast<QBXText*>(&g);
    if (!text || !(card.width() > 0))
        return;
    const double W = card.width();
    QRectF b = g.bounds();
    const double need = std::ceil(text->unwrappedWidth()) + 1.0;
    if (!(need > b.width()))
        return;
    const Layout_Rect& own = layout[size_t(field)];
    double right = W * 0.96; // the card's margin
    for (int j = 0; j < kFields; ++j) {
        const Layout_Rect& r = layout[size_t(j)];
        const bool beside = r.y < own.y + own.h && own.y < r.y + r.h;
        if (j != field && beside && r.x > own.x)
            right = std::min(right, r.x * W - W * 0.01);
    }
    b.setWidth(std::max(b.width(), std::min(need, right - b.left())));
    g.setBounds(b);
    // Text widths follow the font size closely but not exactly: a few steps.
    for (int step = 0; step < 8 && text->unwrappedWidth() + 1.0 > b.width(); ++step) {
        const double size = g.text_ctrl_font.pointSizeF();
        if (!(size > 1.0))
            break;
        g.text_ctrl_font.setPointSizeF(std::max(1.0, size * 0.98 * b.width() / (text->unwrappedWidth() + 1.0)));
    }
}

int Profile_Field_Index(const QString& control_id)
{
    const auto& fields = User_Profile_Class::Fields();
    for (int i = 0; i < kFields; ++i)
        if (control_id == QLatin1String(fields[size_t(i)].control_id))
            return i;
    return -1;
}

bool Is_Profile_Graphic(const QBXGraphic& g)
{
    const QString kind = g.className();
    return (kind == kText || kind == kImage) && Profile_Field_Index(g.control_ID) >= 0;
}

// A graphic back to manual content: output then leaves its text alone and
// counts no series or column for it. Text, style and bounds stay.
void Unbind(QBXGraphic& g)
{
    g.Set_Data_source_type(0);
    g.Set_Batch_List_Name(QString());
    g.Set_Batch_List_Index(0);
    g.Set_Excel_binding(false);
    g.Set_Excel_binding_Index(0);
}

// A rectangle shrunk onto the grid's points, so that the creation's snapping
// leaves it as it is; empty when no grid cell fits inside.
QRectF Snapped_Inward(const QRectF& r, double s)
{
    const double left = std::ceil(r.left() / s) * s, top = std::ceil(r.top() / s) * s;
    const double right = std::floor(r.right() / s) * s, bottom = std::floor(r.bottom() / s) * s;
    if (right <= left || bottom <= top)
        return {};
    return QRectF(left, top, right - left, bottom - top);
}

// Forwards what the profile forms ask of the editor to the controller.
class Controller_Profile_Host final : public ProfileHost {
public:
    explicit Controller_Profile_Host(QBXWindowController& c) : c_(c) {}
    User_Profile_Class* profileRecord(Record which) override
    {
        switch (which) {
        case Record::Front: return c_.Front_user_profile;
        case Record::Back: return c_.Back_user_profile;
        case Record::Temp: return c_.TEMP_user_profile;
        }
        return nullptr;
    }
    int cardSide() const override { return Card_Front_Or_Back == 1 ? 1 : 0; }
    GraphicList sideGraphics(int side) const override
    {
        return side == 1 ? c_.Get_Back_Controls_Array() : c_.Get_Front_Controls_Array();
    }
    CardPicture renderSide(const GraphicList& graphics, int side) const override
    {
        return QBXRenderingView::image_From_Card_Graphics(graphics, false, c_.Card_Render_Context(side));
    }
    void Fill_Data_Set_File_Name_In_Combo(QComboBox* combo) override { c_.Fill_Data_Set_File_Name_In_Combo(combo); }
    void Fill_Excel_Col_Name_In_Combo(QComboBox* combo) override { c_.Fill_Excel_Col_Name_In_Combo(combo); }
    void Add_Excel_Col_Name_In_Combo(QComboBox* combo) override { c_.Add_Excel_Col_Name_In_Combo(combo); }
    void Remove_Excel_Col_Name_In_Combo(QComboBox* combo) override { c_.Remove_Excel_Col_Name_In_Combo(combo); }
    QString Get_First_Value_Of_Dataset(const QString& name) const override
    {
        return c_.Get_First_Value_Of_Dataset(name);
    }
    QString Get_First_Value_Of_Excel_Binding(int col) const override
    {
        return c_.Get_First_Value_Of_Excel_Binding(col);
    }
    void Batch_Series_Button() override { c_.Batch_Series_Button(); }
    QString excelSourcePath() const override { return Excel_Source_Path; }
    void setExcelSourcePath(const QString& path) override { Excel_Source_Path = path; }
    void setExcelBindingUse(bool use) override { Excel_Binding_Use = use; }
    GraphicList previewUserProfile() override { return c_.Preview_User_Profile(); }

private:
    QBXWindowController& c_;
};

} // namespace

int QBXWindowController::Open_User_Profile_Window(int mode, const QString& load_side)
{
    const QString side = Trim_Str(load_side);
    Controller_Profile_Host host(*this);
    wizards::setProfileHost(&host);
    int result = 0;
    try {
        if (!side.isEmpty()) {
            Show_User_Profile* form = Show_User_Profile::defaultInstance();
            form->load_side = side;
            result = form->Open_Wnd(mode != 0);
        } else {
            User_profile* form = User_profile::defaultInstance();
            form->load_side = side;
            result = form->Open_Wnd(mode != 0);
        }
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        result = 0;
    }
    wizards::setProfileHost(nullptr);
    if (result == 1)
        Fill_User_Profile = true;
    return result;
}

void QBXWindowController::Place_User_Profile(User_Profile_Class* record, QBXGraphicView* canvas)
{
    if (!record || !canvas)
        return;
    const int keptTool = Selected_Control_Tool;
    const QString keptImage = Library_Selected_Image;
    const auto& fields = User_Profile_Class::Fields();

    // Each field's graphic is looked up before the hiding below, so that a
    // visible one wins over a hidden copy.
    const GraphicList before = canvas->graphics();
    std::array<GraphicPtr, kFields> found;
    for (int i = 0; i < kFields; ++i) {
        const User_Profile_Class::Field_Ref ref = record->Field(i);
        found[size_t(i)] = wizards::Find_Profile_Graphic(before, *ref.id, i == kFields - 1);
    }

    canvas->Hide_all_Text_control_FUP_Control();
    QBXGrid* grid = canvas->grid();

    for (int i = 0; i < kFields; ++i) {
        // Each field on its own: a failure leaves the others placed.
        try {
            if (Profile_Field_Placement_Hook)
                Profile_Field_Placement_Hook(i);
            const User_Profile_Class::Field_Ref ref = record->Field(i);
            const bool photo = i == kFields - 1;
            const QString value = *ref.value;
            const bool bound = *ref.ds || *ref.xl;
            if (value.isEmpty() && !bound)
                continue;
            const QString id = *ref.id;
            GraphicPtr g = found[size_t(i)];
            if (g) {
                if (photo) {
                    if (!value.isEmpty() && QFileInfo(value).isFile()) {
                        if (auto* image = dynamic_cast<QBXImage*>(g.get()))
                            image->setFilePath(value);
                    } else if (!value.isEmpty()) {
                        Show_NSLog_Message(value);
                    }
                } else if (!value.isEmpty()) {
                    g->Text_Value = value;
                    g->_isDrawingStroke = false;
                    g->_isDrawingFill = false;
                    // Rich text not made yet is made from Text_Value when
                    // first drawn: leaving it unmade keeps an unchanged
                    // placement byte-identical.
                    if (g->_Text_contents)
                        g->_Text_contents->text = value;
                }
                g->Set_Ctrl_Is_Visible(true);
                canvas->setNeedsDisplayInRect(g->drawingBounds());
                canvas->Set_Selected_Graphic(g);
            } else {
                QRectF rect = Get_Control_Rect_From_Template(id);
                if (rect.isEmpty()) {
                    Show_NSLog_Message(QStringLiteral("No place on the card for %1.").arg(id));
                    continue;
                }
                // On a constraining grid the rectangle is taken onto grid
                // points; where no cell fits the field keeps its own
                // rectangle, so that fields never meet or leave the card.
                const bool snapping = grid && grid->isConstraining() && grid->isUsable();
                bool releaseGrid = false;
                if (snapping) {
                    const QRectF snapped = Snapped_Inward(rect, grid->spacing());
                    if (snapped.isEmpty())
                        releaseGrid = true;
                    else
                        rect = snapped;
                }
                Selected_Control_Tool = photo ? 8 : 2;
                if (photo)
                    Library_Selected_Image = value;
                const GraphicPtr top = canvas->graphics().empty() ? nullptr : canvas->graphics().front();
                if (releaseGrid) {
                    const QSignalBlocker quiet(grid);
                    grid->setConstraining(false);
                }
                try {
                    canvas->createGraphicOfClass(photo ? kImage : kText, std::nullopt, true, rect,
                                                 QStringLiteral("F"), value, id);
                } catch (...) {
                    if (releaseGrid) {
                        const QSignalBlocker quiet(grid);
                        grid->setConstraining(true);
                    }
                    throw;
                }
                if (releaseGrid) {
                    const QSignalBlocker quiet(grid);
                    grid->setConstraining(true);
                }
                const GraphicList after = canvas->graphics();
                g = after.empty() ? nullptr : after.front();
                if (!g || g == top || g->control_ID != id) {
                    Show_NSLog_Message(QStringLiteral("%1 was not created.").arg(id));
                    continue;
                }
                if (!photo) {
                    Fit_Font_To_Height(*g);
                    const QSizeF card = Front_card_Prop.Card_Size;
                    Fit_Width_To_Value(*g, card, card.width() >= card.height() ? kLandscape : kPortrait, i);
                }
            }
            if (*ref.ds) {
                g->Set_Data_source_type(1);
                g->Set_Batch_List_Name(*ref.ds_name);
                g->Set_Batch_List_Index(*ref.ds_indx);
                g->Set_Excel_binding(false);
            }
            if (*ref.xl) {
                g->Set_Data_source_type(2);
                g->Set_Excel_binding(true);
                g->Set_Excel_binding_Index(*ref.xl_col_indx);
            }
            if (!bound)
                Unbind(*g);
        } catch (const std::exception& e) {
            Show_NSLog_Message(QString::fromUtf8(e.what()));
        } catch (...) {
            Show_NSLog_Message(QStringLiteral("The profile field %1 was not placed.")
                                   .arg(QLatin1String(fields[size_t(i)].control_id)));
        }
    }

    // A profile graphic left hidden shows nothing: it keeps no source.
    for (const GraphicPtr& g : canvas->graphics())
        if (g && !g->ctrl_is_visible && Is_Profile_Graphic(*g))
            Unbind(*g);

    Selected_Control_Tool = keptTool;
    Library_Selected_Image = keptImage;
}

void QBXWindowController::Align_Data_Source_Combo_With_Excel()
{
    if (Excel_Binding_Use)
        Add_Excel_Col_Name_In_Combo(Data_source_type);
    else
        Remove_Excel_Col_Name_In_Combo(Data_source_type);
}

void QBXWindowController::Fill_User_profile_info_front_side()
{
    Align_Data_Source_Combo_With_Excel();
    if (!Fill_User_Profile)
        return;
    Place_User_Profile(Front_user_profile, _graphicView);
}

void QBXWindowController::Fill_User_profile_info_back_side()
{
    Align_Data_Source_Combo_With_Excel();
    if (!Fill_User_Profile)
        return;
    Place_User_Profile(Back_user_profile, _graphicView_BACK);
}

void QBXWindowController::Fill_User_profile_info_TEMP_side()
{
    Place_User_Profile(TEMP_user_profile, _graphicView_TEMP);
}

void QBXWindowController::Fill_User_profile_Details()
{
    Fill_User_profile_info_front_side();
    Fill_User_profile_info_back_side();
}

QRectF QBXWindowController::Get_Control_Rect_From_Template(const QString& control_id)
{
    const QSizeF card = Front_card_Prop.Card_Size;
    Show_NSLog_Message(QStringLiteral("Card size: %1 x %2").arg(card.width()).arg(card.height()));
    const double W = card.width(), H = card.height();
    if (!std::isfinite(W) || !std::isfinite(H) || W <= 0 || H <= 0)
        return {};
    const int i = Profile_Field_Index(control_id);
    if (i < 0)
        return {};
    const Layout_Rect& r = (W >= H ? kLandscape : kPortrait)[size_t(i)];
    return QRectF(r.x * W, r.y * H, r.w * W, r.h * H);
}

GraphicList QBXWindowController::Preview_User_Profile()
{
    if (!_graphicView_TEMP || !m_document)
        return {};
    const float keptX = last_ctrl_X, keptY = last_ctrl_Y;
    // The preview places onto copies: the side's own graphics stay as they are.
    _graphicView_TEMP->delete_all_control();
    const GraphicList side = Card_Front_Or_Back == 1 ? Get_Back_Controls_Array() : Get_Front_Controls_Array();
    GraphicList copies;
    std::vector<int> indexes;
    for (const GraphicPtr& g : side) {
        if (!g)
            continue;
        indexes.push_back(int(copies.size()));
        copies.push_back(g->fullCopy());
    }
    if (!copies.empty())
        _graphicView_TEMP->insertGraphics(copies, indexes);
    Fill_User_profile_info_TEMP_side();
    const GraphicList shown = Get_Temp_Controls_Array();
    last_ctrl_X = keptX;
    last_ctrl_Y = keptY;
    return shown;
}
