// The barcode designer entry point of the barcode panel: the selected barcode
// graphic's settings go into the shared designer record, the dialog edits
// them, and OK writes them, the binding and the new picture back.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "barcode/Barcode_Gen.h"
#include "barcode/Barcode_Gen_Window.h"
#include "batch/Barcode_Binding.h"
#include "batch/Binding_Table_Model.h"
#include "batch/Data_From_Excel.h"
#include "drawing/QBXGraphicView.h"
#include "editor/Long_SMS_Dlg.h"

#include <algorithm>

void QBXWindowController::Open_Barcode_Window()
{
    QBXGraphicView* canvas = currentSideCanvas();
    const GraphicPtr graphic = canvas ? canvas->Selected_Graphic() : nullptr;
    if (!graphic || graphic->className() != QLatin1String("QBXBarcode"))
        return;

    Barcode_Designer_Services services;
    services.symbology_titles = Barcode_Symbology_Titles();
    services.format_titles = DataMatrix_Format_Titles();
    services.resolution_titles = Barcode_Resolution_Titles();
    services.spreadsheet_bound = Excel_Binding_Use;
    services.series_names = [this] { return Get_datasheet_File_Name_Array(); };
    services.first_series_value = [this](const QString& name) { return Get_First_Value_Of_Dataset(name); };
    services.column_titles = [] { return Binding_Table_Model::defaultInstance()->Header_Titles(); };
    services.first_column_value = [this](int column) { return Trim_Str(Get_First_Value_Of_Excel_Binding(column)); };
    services.view_source = [this](int source, const QString& name) {
        if (source == 1) {
            if (Open_Series_Viewer)
                Open_Series_Viewer(name);
        } else {
            Data_From_Excel::defaultInstance()->Open_Wnd();
        }
    };
    services.show_help = [](const QString& title, const QString& text) {
        Long_SMS_Dlg* dialog = Long_SMS_Dlg::defaultInstance();
        // A question asked earlier must not stand in for the help text.
        dialog->title_val.reset();
        dialog->apply_chk_show = false;
        Cutom_Msg_Title = title;
        Cutom_Msg_Val = text;
        dialog->Open_Long_sms_Dialog();
    };
    services.show_message = [](const QString& text) { Show_MessageBox(text); };

    Barcode_Gen& gen = *Barcode_Gen::defaultInstance();
    {
        auto lock = gen.Lock_Generation();
        Load_Barcode_Settings(gen, *graphic);
    }
    Barcode_Source_Choice binding;
    binding.data_source_type = graphic->data_source_type;
    binding.batch_list_name = graphic->batch_list_name;
    binding.batch_list_index = graphic->batch_list_index;
    binding.excel_col_indx = graphic->excel_col_indx;

    Barcode_Gen_Window designer(std::move(services));
    const int code = designer.Open_Wnd(gen, binding);
    auto lock = gen.Lock_Generation();
    if (code != 1) {
        // The designer goes back to the graphic's settings and resolution.
        Load_Barcode_Settings(gen, *graphic);
        return;
    }
    Store_Barcode_Settings(*graphic, gen);
    const Barcode_Source_Choice& chosen = designer.source();
    graphic->Set_Data_source_type(chosen.data_source_type);
    graphic->Set_Batch_List_Name(chosen.batch_list_name);
    graphic->Set_Batch_List_Index(chosen.batch_list_index);
    graphic->Set_Excel_binding_Index(chosen.excel_col_indx);
    // Rasterised once: the graphic and every other selected barcode take it.
    const QImage picture =
        Barcode_output_image.isNull() ? QImage() : Barcode_output_image.toImage(USED_DPI_VALUE.load());
    if (!picture.isNull())
        graphic->Set_Barcode_image(picture);
    lock.unlock();
    Update_Barcode_Graphics(graphic, picture);
    Refresh_Canvas();
    // The canvas shows a picture that runs past the card whole; every
    // output cuts it at the card's edge, so that is said now, as are
    // modules too fine to read at the designer's resolution.
    if (QBXGraphicView* view = currentSideCanvas()) {
        GraphicList placed = panelSelection();
        if (std::find(placed.begin(), placed.end(), graphic) == placed.end())
            placed.push_back(graphic);
        // The designer's own resolutions are the ones it offers.
        QList<int> resolutions;
        for (const QString& title : Barcode_Resolution_Titles())
            if (const int dpi = title.toInt(); dpi > 0)
                resolutions << dpi;
        const QStringList cut = Barcode_Notices(placed, view->bounds(), USED_DPI_VALUE.load(), resolutions);
        if (!cut.isEmpty())
            Show_MessageBox(cut.join(QLatin1Char('\n')));
    }
}
