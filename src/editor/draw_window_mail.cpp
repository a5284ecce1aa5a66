// What the mail window and the e-mail settings dialog ask of the main window
// controller: the data sources in use, the settings copy, the card's sides
// as pictures and the rows of a data run, taken on the main thread.
#include "editor/QBXWindowController.h"

#include "batch/Barcode_Binding.h"
#include "drawing/QBXRenderingView.h"
#include "output/MailHost.h"

namespace {

// Mail pictures are the export's at its default resolution.
constexpr double kMailDpi = 72.0;

class Controller_Mail_Host : public MailHost {
public:
    explicit Controller_Mail_Host(QBXWindowController* controller)
        : c(controller)
    {
    }

    void Check_Series_Or_Excel_Use_or_not() override { c->Check_Series_Or_Excel_Use_or_not(); }
    bool Series_Values_In_Use() const override { return Use_Data_Sheet_Values; }
    bool Excel_Values_In_Use() const override { return Use_Excel_Binding_Values; }

    Mail_Settings Reload_Mail_Settings() override
    {
        QBXWindowController::Get_Email_Details();
        return {sender_email, sender_pwd, sending_server, sending_port, send_enable_ssl};
    }

    QImage Render_Card_Side(int side) override
    {
        const CardPicture picture = QBXRenderingView::image_From_Card_Graphics(
            side == 0 ? c->Get_Front_Controls_Array() : c->Get_Back_Controls_Array(), false,
            c->Card_Render_Context(side));
        return picture.isNull() ? QImage() : picture.toImage(kMailDpi);
    }

    Mail_Rows Take_Mail_Rows(bool series, bool excel) override
    {
        if (!series)
            Use_Data_Sheet_Values = false;
        if (!excel)
            Use_Excel_Binding_Values = false;
        c->Get_total_Card_count();
        Card_Value_In_Process = true;
        std::shared_ptr<Binding_Run_Snapshot> snapshot = c->Take_Binding_Run_Snapshot();
        snapshot->output_dpi = kMailDpi;
        snapshot->output_resolutions = Export_Resolutions();
        snapshot->output_mailed = true;
        Mail_Rows rows;
        rows.count = std::max(0, snapshot->Total_Batch_Excel_Card());
        rows.render = [snapshot](int row, const QString& side) {
            const CardPicture picture = snapshot->Render_Side(row, side, false);
            return picture.isNull() ? QImage() : picture.toImage(kMailDpi);
        };
        rows.problems = [snapshot] { return snapshot->Problems(); };
        return rows;
    }

    QList<Card_Problem> Card_Barcode_Problems(const QString& side) override
    {
        return c->Card_Barcode_Problems(side, kMailDpi, Export_Resolutions(), true);
    }

    void Mail_Data_Run_Ended() override { c->Select_first_row_value_for_design(false); }
    QString Application_Name() const override { return c->App_Name; }

private:
    QBXWindowController* c;
};

} // namespace

void QBXWindowController::Install_Mail_Services()
{
    static Controller_Mail_Host* host = nullptr;
    delete host;
    host = new Controller_Mail_Host(this);
    output::setMailHost(host);
}

void QBXWindowController::Remove_Mail_Services()
{
    output::setMailHost(nullptr);
}
