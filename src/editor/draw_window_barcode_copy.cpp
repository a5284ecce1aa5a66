// The barcode panel: its button opens the designer; after the designer the
// edited graphic's settings and picture go to every selected barcode.
#include "editor/QBXWindowController.h"

#include "barcode/BarcodeGlobals.h"
#include "drawing/QBXGraphicView.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Copies the designer's settings, in the order the designer keeps them; the
// unit and the data binding stay the graphic's own.
void copyBarcodeSettings(GraphicFields& t, const GraphicFields& s)
{
    t.linear_or_2d = s.linear_or_2d;
    t.barcode_font_index = s.barcode_font_index;
    t.linear_font_val = s.linear_font_val;
    t.two_d_font_val = s.two_d_font_val;
    t.header_val = s.header_val;
    t.footer_val = s.footer_val;
    t.show_hide_hdr = s.show_hide_hdr;
    t.show_hide_ftr = s.show_hide_ftr;
    t.show_hide_val = s.show_hide_val;
    t.show_val_on_top = s.show_val_on_top;
    t.stretch_val = s.stretch_val;
    t.align_hdr_index = s.align_hdr_index;
    t.align_ftr_index = s.align_ftr_index;
    t.linear_height_val = s.linear_height_val;
    t.linear_width_val = s.linear_width_val;
    t.qr_size_val = s.qr_size_val;
    t.qr_version_index = s.qr_version_index;
    t.qr_ec_index = s.qr_ec_index;
    t.pdf_hgt_val = s.pdf_hgt_val;
    t.pdf_wdt_val = s.pdf_wdt_val;
    t.pdf_ec_val = s.pdf_ec_val;
    t.dm_module_val = s.dm_module_val;
    t.dm_format_index = s.dm_format_index;
    t.dm_encoding_index = s.dm_encoding_index;
    t.hdr_margin_val = s.hdr_margin_val;
    t.ftr_margin_val = s.ftr_margin_val;
    t.val_margin_val = s.val_margin_val;
    t.TB_marging_val = s.TB_marging_val;
    t.LR_margin_val = s.LR_margin_val;
    t.value_font_val = s.value_font_val;
    t.header_font_val = s.header_font_val;
    t.footer_font_val = s.footer_font_val;
    t.barcode_hdr_clr_val = s.barcode_hdr_clr_val;
    t.barcode_ftr_clr_val = s.barcode_ftr_clr_val;
    t.barcode_val_clr_val = s.barcode_val_clr_val;
    t.barcode_back_clr_val = s.barcode_back_clr_val;
    t.barcode_clr_val = s.barcode_clr_val;
    t.dpi_val_index = s.dpi_val_index;
    t.dpi_custom_val = s.dpi_custom_val;
}

} // namespace

void QBXWindowController::buildBarcodeTab(QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    auto* text = new QLabel(QStringLiteral("Open the barcode designer to change the selected barcode."));
    text->setWordWrap(true);
    auto* open = new QPushButton(QStringLiteral("Barcode Designer..."));
    open->setObjectName(QStringLiteral("View_barcode_prop_Button"));
    layout->addWidget(text);
    layout->addWidget(open);
    layout->addStretch(1);
    connect(open, &QPushButton::clicked, this, [this, open] { View_barcode_prop_Button(open); });
}

void QBXWindowController::View_barcode_prop_Button(QObject*)
{
    Open_Barcode_Window();
}

void QBXWindowController::Update_Barcode_Graphics(const GraphicPtr& source)
{
    if (Not_Draw_Only_Prop_Change.load() || !source || Barcode_output_image.isNull() || panelSelection().empty())
        return;
    Update_Barcode_Graphics(source, Barcode_output_image.toImage(USED_DPI_VALUE.load()));
}

void QBXWindowController::Update_Barcode_Graphics(const GraphicPtr& source, const QImage& picture)
{
    if (Not_Draw_Only_Prop_Change.load() || !source || picture.isNull())
        return;
    const GraphicList selected = panelSelection();
    if (selected.empty())
        return;
    QBXGraphicView* canvas = currentSideCanvas();
    // The source's values are read once: the source may be one of the
    // selected graphics.
    const GraphicFields settings = *source;
    for (const GraphicPtr& t : selected) {
        if (t->ctrl_is_locked)
            continue;
        t->print_object = print_object_chk->isChecked() ? 1 : 0;
        copyBarcodeSettings(*t, settings);
        // Every selected barcode prints the new symbol, not only the one the
        // designer showed; other kinds take the settings only.
        if (t->className() == QLatin1String("QBXBarcode"))
            t->Set_Barcode_image(picture);
        canvas->startEditingGraphic(t);
    }
    Refresh_Panel_Canvas();
}
