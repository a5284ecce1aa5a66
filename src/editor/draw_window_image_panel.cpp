// The picture panel: the picture's file, border, effects and sliders, loaded
// from the shown picture graphic and written back into the selected ones;
// the picture choosers used by the panel and the picture tools.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "barcode/BarcodeGlobals.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/PaintStyle.h"
#include "drawing/QBXImage.h"
#include "editor/panel_controls.h"
#include "platform/color_well.h"
#include "platform/double_slider.h"
#include "platform/modal.h"
#include "platform/picture/picture_decode.h"
#include "platform/stepper.h"
#include "wizards/Image_Library.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// One slider row: its control, its field, its range and the value a reset
// gives (a new graphic's default).
struct SliderRow {
    platform::DoubleSlider* QBXWindowController::*slider;
    QLineEdit* QBXWindowController::*field;
    float GraphicFields::*value;
    const char* name;
    const char* title;
    double minimum;
    double maximum;
    double reset;
};

// Display order of the tab; the write-back follows the fields.
const SliderRow kSliders[] = {
    {&QBXWindowController::Trsp_slidr, &QBXWindowController::Trsp_slidr_val, &GraphicFields::img_trnsp_val,
     "Trsp_slidr", "Opacity", 0, 100, 100},
    {&QBXWindowController::Rotate_slidr, &QBXWindowController::Rotate_slidr_val, &GraphicFields::rotate_image,
     "Rotate_slidr", "Rotation", -180, 180, 0},
    {&QBXWindowController::Hue_slidr, &QBXWindowController::Hue_slidr_val, &GraphicFields::hue_val, "Hue_slidr",
     "Hue", -3.14, 3.14, 0},
    {&QBXWindowController::Sat_slidr, &QBXWindowController::Sat_slidr_val, &GraphicFields::sat_val, "Sat_slidr",
     "Saturation", 0, 2, 1},
    {&QBXWindowController::Brt_slidr, &QBXWindowController::Brt_slidr_val, &GraphicFields::brt_val, "Brt_slidr",
     "Brightness", -1, 1, 0},
    {&QBXWindowController::Con_slidr, &QBXWindowController::Con_slidr_val, &GraphicFields::con_val, "Con_slidr",
     "Contrast", 0.25, 4, 1},
    {&QBXWindowController::shrp_slidr, &QBXWindowController::shrp_slidr_val, &GraphicFields::srp_val, "shrp_slidr",
     "Sharpness", 0, 2, 0},
    {&QBXWindowController::ev_slidr, &QBXWindowController::ev_slidr_val, &GraphicFields::ev_val, "ev_slidr",
     "Exposure", -10, 10, 0},
    {&QBXWindowController::blr_slidr, &QBXWindowController::blr_slidr_val, &GraphicFields::blr_val, "blr_slidr",
     "Blur", 0, 20, 0},
};

// The five effects in reset order: gray scale, sepia, invert, flip
// vertical, flip horizontal.
struct EffectRow {
    QCheckBox* QBXWindowController::*box;
    bool GraphicFields::*value;
    const char* name;
    const char* title;
};
const EffectRow kEffects[] = {
    {&QBXWindowController::Image_Gray_Scale_chk, &GraphicFields::gray_Scale, "Image_Gray_Scale_chk", "Gray scale"},
    {&QBXWindowController::Image_Sepia_chk, &GraphicFields::Sepia, "Image_Sepia_chk", "Sepia"},
    {&QBXWindowController::Image_Invert_chk, &GraphicFields::invert_clr, "Image_Invert_chk", "Invert"},
    {&QBXWindowController::Image_FIV_chk, &GraphicFields::_isFlippedVertically, "Image_FIV_chk", "Flip vertically"},
    {&QBXWindowController::Image_FIH_chk, &GraphicFields::_isFlippedHorizontally, "Image_FIH_chk",
     "Flip horizontally"},
};


} // namespace

// ---------------------------------------------------------------- building

void QBXWindowController::buildImageTab(QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    Image_border_chk = new QCheckBox(QStringLiteral("Border"));
    Image_border_chk->setObjectName(QStringLiteral("Image_border_chk"));
    layout->addWidget(Image_border_chk);
    Image_Border_Box = new QGroupBox;
    Image_Border_Box->setObjectName(QStringLiteral("Image_Border_Box"));
    {
        auto* g = new QGridLayout(Image_Border_Box);
        Image_bordr_clr = panel::well(QStringLiteral("Image_bordr_clr"));
        Image_bor_Stepper = panel::stepper(QStringLiteral("Image_bor_Stepper"), 1, 50);
        Image_bor_Text = panel::field(QStringLiteral("Image_bor_Text"));
        Image_border_style = panel::combo(panel::borderStyleItems(), QStringLiteral("Image_border_style"));
        g->addWidget(new QLabel(QStringLiteral("Colour")), 0, 0);
        g->addWidget(Image_bordr_clr, 0, 1);
        g->addWidget(new QLabel(QStringLiteral("Width")), 1, 0);
        g->addWidget(Image_bor_Text, 1, 1);
        g->addWidget(Image_bor_Stepper, 1, 2);
        g->addWidget(new QLabel(QStringLiteral("Style")), 2, 0);
        g->addWidget(Image_border_style, 2, 1, 1, 2);
    }
    layout->addWidget(Image_Border_Box);

    auto* effects = new QGridLayout;
    int at = 0;
    for (const EffectRow& e : kEffects) {
        auto* box = new QCheckBox(QString::fromLatin1(e.title));
        box->setObjectName(QString::fromLatin1(e.name));
        this->*e.box = box;
        effects->addWidget(box, at / 2, at % 2);
        ++at;
        connect(box, &QCheckBox::clicked, this, [this, box] { Image_Effect_Chked(box); });
    }
    layout->addLayout(effects);

    auto* sliders = new QGridLayout;
    int row = 0;
    for (const SliderRow& s : kSliders) {
        auto* slider = new platform::DoubleSlider;
        slider->setObjectName(QString::fromLatin1(s.name));
        slider->setRange(s.minimum, s.maximum);
        slider->setValue(s.reset);
        QLineEdit* field = panel::field(QString::fromLatin1(s.name) + QStringLiteral("_val"));
        field->setReadOnly(true);
        this->*s.slider = slider;
        this->*s.field = field;
        sliders->addWidget(new QLabel(QString::fromLatin1(s.title)), row, 0);
        sliders->addWidget(slider, row, 1);
        sliders->addWidget(field, row++, 2);
        if (s.slider == &QBXWindowController::Rotate_slidr)
            connect(slider, &platform::DoubleSlider::valueEdited, this, [this, slider] { Rotate_Slider_Changed(slider); });
        else
            connect(slider, &platform::DoubleSlider::valueEdited, this, [this, slider] { Image_Slider_Changed(slider); });
    }
    layout->addLayout(sliders);
    auto* reset = new QPushButton(QStringLiteral("Reset"));
    reset->setObjectName(QStringLiteral("Image_reset_Button"));
    layout->addWidget(reset);
    layout->addStretch(1);
    Reset_Image_Editing_Controls();

    connect(Image_border_chk, &QCheckBox::clicked, this, [this] { Image_Border_ChkBox(Image_border_chk); });
    connect(Image_bordr_clr, &platform::ColorWell::colorEdited, this, [this] { Set_ImageControl_Clr(Image_bordr_clr); });
    panel::pair(Image_bor_Stepper, Image_bor_Text, this, [this](QObject* s) { Image_Border_Changed(s); });
    connect(reset, &QPushButton::clicked, this, [this, reset] { Image_reset_Button(reset); });
}

// ---------------------------------------------------------------- loading

void QBXWindowController::Load_Image_Panel(const GraphicPtr& g)
{
    panel::setText(Manual_image_path, g->_file_path);
    Image_border_chk->setChecked(g->_isDrawingStroke);
    Image_bordr_clr->setColor(g->_strokeColor);
    Image_bor_Stepper->setValue(int(g->_strokeWidth));
    panel::showInt(Image_bor_Text, Image_bor_Stepper->value());
    if (const int at = panel::borderIndex(g->_stroke_border_type); at >= 0)
        panel::setIndex(Image_border_style, at);
    SetObjEnabled(Image_Border_Box, Image_border_chk->isChecked());
    for (const EffectRow& e : kEffects)
        (this->*e.box)->setChecked((*g).*e.value);
    for (const SliderRow& s : kSliders) {
        (this->*s.slider)->setValue((*g).*s.value);
        panel::showFloat(this->*s.field, (this->*s.slider)->value());
    }
}

void QBXWindowController::Reset_Image_Editing_Controls()
{
    for (const SliderRow& s : kSliders) {
        if (!(this->*s.slider))
            return;
        (this->*s.slider)->setValue(s.reset);
        panel::showFloat(this->*s.field, s.reset);
    }
    for (const EffectRow& e : kEffects)
        (this->*e.box)->setChecked(false);
}

// ---------------------------------------------------------------- write-back

void QBXWindowController::Write_Picture_Graphics(QCheckBox* border, platform::ColorWell* colour,
                                                 platform::Stepper* width, QComboBox* style, QLineEdit* path,
                                                 const std::function<void(QBXGraphic&)>& more)
{
    if (Not_Draw_Only_Prop_Change.load())
        return;
    const GraphicList selected = panelSelection();
    if (selected.empty() || !border)
        return;
    QBXGraphicView* canvas = currentSideCanvas();
    const GraphicPtr shown = canvas ? canvas->Selected_Graphic() : nullptr;
    const bool stroke = border->isChecked();
    const QString code = panel::borderCode(style->currentIndex());
    for (const GraphicPtr& g : selected) {
        // Locked graphics keep their look, as in every other panel.
        if (g->ctrl_is_locked)
            continue;
        g->print_object = print_object_chk->isChecked() ? 1 : 0;
        g->_isDrawingStroke = stroke;
        if (stroke) {
            g->_strokeColor = colour->color();
            g->_strokeWidth = width->intValue();
        }
        if (!code.isEmpty())
            g->_stroke_border_type = code;
        if (more)
            more(*g);
        // The path field shows the shown graphic's file: it is that
        // graphic's alone, never copied onto the other selected ones.
        if (g == shown && path)
            g->_file_path = path->text();
        canvas->startEditingGraphic(g);
    }
    Refresh_Panel_Canvas();
}

void QBXWindowController::Update_Image_Graphics()
{
    Write_Picture_Graphics(Image_border_chk, Image_bordr_clr, Image_bor_Stepper, Image_border_style,
                           Manual_image_path, [this](QBXGraphic& g) {
                               for (const EffectRow& e : kEffects)
                                   g.*e.value = (this->*e.box)->isChecked();
                               for (const SliderRow& s : kSliders)
                                   g.*s.value = float((this->*s.slider)->value());
                           });
}

// ---------------------------------------------------------------- actions

bool QBXWindowController::Browse_User_Image_Manually()
{
    const std::optional<QString> chosen =
        platform::modal::openFile(QStringLiteral("Choose a picture"), QString(), platform::pictureFileSuffixes());
    if (!chosen || chosen->isEmpty()) {
        Library_Selected_Image = QStringLiteral("");
        return false;
    }
    // A file that gives no picture is refused before anything changes.
    if (!Check_Picture_File(*chosen))
        return false;
    Library_Selected_Image = *chosen;
    if (Manual_image_path)
        panel::setText(Manual_image_path, Library_Selected_Image);
    return true;
}

int QBXWindowController::Open_Image_Library_Window(const QString& mode)
{
    Image_Library* library = Image_Library::defaultInstance();
    library->control_or_BG = mode;
    const int result = library->Open_Library_Window();
    if (result == 1)
        lib_window_sel_file = library->selected_image;
    return result;
}

namespace {

// Said when a picture is placed: one larger than the program decodes, in a
// frame that needs more of its pixels for the highest output resolution, is
// drawn with fewer pixels than the output could take.
void Say_What_Is_Shown(const QBXImage& g)
{
    const platform::StoredPicture picture = g.storedPicture();
    if (picture.isNull())
        return;
    const QSize wanted = platform::sizeCovering(picture.size(), g.picturePixelsNeeded(drawing::kMaxOutputDpi / 72.0));
    if (qint64(wanted.width()) * wanted.height() <= platform::kMaxDecodePixels)
        return;
    Show_MessageBox(QStringLiteral("The picture %1 (%2 x %3 pixels) is drawn with at most %4 million pixels, fewer "
                                   "than its frame needs at %5 dpi.")
                        .arg(picture.path()).arg(picture.width()).arg(picture.height())
                        .arg(platform::kMaxDecodePixels / 1000000).arg(drawing::kMaxOutputDpi));
}

void Set_Current_Picture(QBXWindowController& c, const QString& path)
{
    QBXGraphicView* canvas = c.currentSideCanvas();
    const GraphicPtr g = canvas ? canvas->Selected_Graphic() : nullptr;
    if (!g || g->ctrl_is_locked || g->className() != QLatin1String("QBXImage"))
        return;
    auto& picture = static_cast<QBXImage&>(*g);
    picture.setFilePath(path);
    c.Update_Image_Graphics();
    c.Read_Shown_Pictures();
    Say_What_Is_Shown(picture);
}

} // namespace

void QBXWindowController::Manual_Image_Browse_Btn(QObject*)
{
    if (Browse_User_Image_Manually())
        Set_Current_Picture(*this, Library_Selected_Image);
}

void QBXWindowController::Manual_Library_Browse_Btn(QObject*)
{
    if (Open_Image_Library_Window(QStringLiteral("C")) != 1)
        return;
    if (!Check_Picture_File(lib_window_sel_file))
        return;
    Library_Selected_Image = lib_window_sel_file;
    if (Manual_image_path)
        panel::setText(Manual_image_path, Library_Selected_Image);
    Set_Current_Picture(*this, Library_Selected_Image);
}

void QBXWindowController::Set_ImageControl_Clr(QObject*)
{
    Update_Image_Graphics();
}

void QBXWindowController::Image_reset_Button(QObject*)
{
    if (!Show_YES_NO_MessageBox(QStringLiteral("Are you sure you want to continue?")))
        return;
    Reset_Image_Editing_Controls();
    Update_Image_Graphics();
}

void QBXWindowController::Image_Border_ChkBox(QObject*)
{
    SetObjEnabled(Image_Border_Box, Image_border_chk->isChecked());
    Update_Image_Graphics();
}

void QBXWindowController::Image_Border_Changed(QObject* sender)
{
    panel::echo(sender, Image_bor_Stepper, Image_bor_Text);
    Update_Image_Graphics();
}

void QBXWindowController::Image_Effect_Chked(QObject*)
{
    Update_Image_Graphics();
}

void QBXWindowController::Image_Slider_Changed(QObject* sender)
{
    for (const SliderRow& s : kSliders) {
        if (sender == this->*s.slider)
            panel::showFloat(this->*s.field, (this->*s.slider)->value());
    }
    Update_Image_Graphics();
}

void QBXWindowController::Rotate_Slider_Changed(QObject* sender)
{
    Image_Slider_Changed(sender ? sender : Rotate_slidr);
}
