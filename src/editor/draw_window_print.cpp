// The print window's host: the controller's data sources, the design's two
// sides and the run snapshot, handed to the print window.
#include "editor/QBXWindowController.h"

#include "output/PrintHost.h"
#include "output/Print_Wnd.h"

namespace {

class Controller_Print_Host final : public PrintHost {
public:
    explicit Controller_Print_Host(QBXWindowController& c) : c_(c) {}

    Print_Data Check_Series_Or_Excel_Use_or_not() override
    {
        c_.Check_Series_Or_Excel_Use_or_not();
        return Current();
    }
    Print_Data Verify_Card_Count(bool series_on, bool excel_on) override
    {
        c_.Check_Series_Or_Excel_Use_or_not();
        if (!series_on)
            Use_Data_Sheet_Values = false;
        if (!excel_on)
            Use_Excel_Binding_Values = false;
        c_.Get_total_Card_count();
        return Current();
    }
    CardPicture Render_Design_Side(int side) override
    {
        return QBXRenderingView::image_From_Card_Graphics(
            side == 0 ? c_.Get_Front_Controls_Array() : c_.Get_Back_Controls_Array(), false, c_.Card_Render_Context(side));
    }
    QList<Card_Problem> Card_Barcode_Problems(const QString& side, double dpi) override
    {
        return c_.Card_Barcode_Problems(side, dpi, {}, false);
    }
    std::shared_ptr<Binding_Run_Snapshot> Take_Binding_Run_Snapshot() override { return c_.Take_Binding_Run_Snapshot(); }
    void Select_first_row_value_for_design(bool print_box) override { c_.Select_first_row_value_for_design(print_box); }

private:
    static Print_Data Current()
    {
        Print_Data d;
        d.series = Use_Data_Sheet_Values.load();
        d.excel = Use_Excel_Binding_Values.load();
        d.cards = Total_Batch_Excel_Card.load();
        return d;
    }
    QBXWindowController& c_;
};

} // namespace

void QBXWindowController::Open_Print_Window()
{
    Controller_Print_Host host(*this);
    Print_Wnd::defaultInstance()->Open_Print_Wnd(host);
}
