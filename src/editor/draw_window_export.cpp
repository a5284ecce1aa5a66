// The export part of the main window controller: the single export of the
// current design, the writers behind it, putting data row 0 back after a
// run, and the progress timer of the batch export.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "batch/Barcode_Binding.h"
#include "drawing/QBXBarcode.h"
#include "drawing/QBXRenderingView.h"
#include "output/Send_Modeless.h"
#include "output/card_export.h"
#include "output/export_window.h"
#include "platform/main_thread.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QTimer>

bool export_combined_image = false;
QString export_file_format = QStringLiteral("PNG");
double export_dpi = 72.0;

namespace {

const QString kExportedText = QStringLiteral("Card has been exported successfully.");

card_export::Export_Request Current_Export_Request()
{
    card_export::Export_Request request;
    request.side = export_card_side;
    request.combined = export_combined_image;
    request.extension = export_file_format;
    request.dpi = export_dpi;
    return request;
}

} // namespace

void QBXWindowController::Connect_Export_Dialog()
{
    ExportWindow& d = *exportWindow;
    connect(d.fileFormatPopup, &QComboBox::activated, this, [this] { exportFileTypeChanged(); });
    connect(d.matrix_file_type, &QButtonGroup::idClicked, this,
            [this] { export_file_type_CellClick(); });
    connect(d.matrix_export_card_side, &QButtonGroup::idClicked, this,
            [this] { export_card_side_CellClick(); });
}

void QBXWindowController::exportFileTypeChanged()
{
    ExportWindow& d = *exportWindow;
    d.saveDPIText->setEnabled(d.fileFormatPopup->currentText() == QLatin1String("TIFF"));
    // The format rows mirror the list.
    if (QAbstractButton* row = d.matrix_file_type->button(d.fileFormatPopup->currentIndex()))
        row->setChecked(true);
}

void QBXWindowController::export_file_type_CellClick()
{
    ExportWindow& d = *exportWindow;
    const int row = d.matrix_file_type->checkedId();
    d.saveDPIText->setEnabled(row == 0);
    if (row >= 0 && row < d.fileFormatPopup->count())
        d.fileFormatPopup->setCurrentIndex(row);
}

void QBXWindowController::export_card_side_CellClick()
{
    ExportWindow& d = *exportWindow;
    const int row = d.matrix_export_card_side->checkedId();
    export_card_side = row == 0 ? QStringLiteral("BOTH") : row == 1 ? QStringLiteral("F") : QStringLiteral("B");
    d.export_combined_image_chk->setEnabled(row == 0);
    Show_NSLog_Message(export_card_side);
}

QString QBXWindowController::Create_Back_Card_Path(const QString& path)
{
    return card_export::Create_Back_Card_Path(path);
}

bool QBXWindowController::Export_File_Function(const QString& path, const QImage& original, bool show_msg,
                                               const QString& message)
{
    QString reason;
    if (!card_export::Write_Picture(original, path, &reason)) {
        // One box naming the file and why (a full disk, a folder in the way).
        Show_MessageBox(QStringLiteral("The card could not be exported to %1:\n%2").arg(path, reason));
        return false;
    }
    if (show_msg) {
        Export_File_Path = path;
        Export_File_Message = message.isEmpty() ? kExportedText : message;
        platform::runOnMainWaiting([this] { Open_Export_File_Box(); });
    }
    return true;
}

bool QBXWindowController::Export_Combined_Image(const QImage& front, const QImage& back, const QString& path,
                                               bool show_msg, const QString& message)
{
    const QImage combined = card_export::Combine_Front_Back(front, back);
    if (combined.isNull()) {
        Show_NSLog_Message(QStringLiteral("Invalid image"));
        return false;
    }
    return Export_File_Function(path, combined, show_msg, message);
}

QStringList QBXWindowController::Barcode_Notices(const GraphicList& graphics, const QRectF& card, double dpi,
                                                 const QList<int>& resolutions)
{
    Barcode_Run_Target target;
    target.dpi = dpi;
    target.resolutions = resolutions;
    QStringList sentences;
    for (const Card_Problem& p : Design_Barcode_Problems(graphics, card, target))
        sentences << Problem_Line(p);
    return sentences;
}

QList<Card_Problem> QBXWindowController::Card_Barcode_Problems(const QString& side, double dpi,
                                                             const QList<int>& resolutions, bool mailed)
{
    Barcode_Run_Target target;
    target.dpi = dpi;
    target.resolutions = resolutions;
    target.mailed = mailed;
    QList<Card_Problem> problems;
    if (side != QLatin1String("F"))
        problems << Design_Barcode_Problems(Get_Back_Controls_Array(), Card_Render_Context(1).frame, target);
    if (side != QLatin1String("B"))
        problems << Design_Barcode_Problems(Get_Front_Controls_Array(), Card_Render_Context(0).frame, target);
    return problems;
}

bool QBXWindowController::Export_Single_File(const QString& path, bool show_msg)
{
    try {
        // Each side renders with its own settings: the editor's side stays.
        const card_export::Export_Request request = Current_Export_Request();
        // A barcode the card's edge cuts, or too fine to read at the export's
        // resolution, is said in the end box.
        QStringList cut;
        for (const Card_Problem& p : Card_Barcode_Problems(request.side, request.dpi, Export_Resolutions(), false))
            cut << Problem_Line(p);
        const QString message =
            cut.isEmpty() ? kExportedText : kExportedText + QStringLiteral("\n\n") + cut.join(QLatin1Char('\n'));
        auto render = [&](int side) {
            const CardPicture picture = QBXRenderingView::image_From_Card_Graphics(
                side == 0 ? Get_Front_Controls_Array() : Get_Back_Controls_Array(), false, Card_Render_Context(side));
            return picture.isNull() ? QImage() : picture.toImage(request.dpi);
        };
        if (request.side == QLatin1String("BOTH")) {
            const QImage back = render(1);
            if (!request.combined && !Export_File_Function(Create_Back_Card_Path(path), back, false))
                return false;
            const QImage front = render(0);
            if (request.combined)
                return Export_Combined_Image(front, back, path, show_msg, message);
            return Export_File_Function(Create_Front_Card_Path(path), front, show_msg, message);
        }
        if (request.side == QLatin1String("F"))
            return Export_File_Function(Create_Front_Card_Path(path), render(0), show_msg, message);
        return Export_File_Function(Create_Back_Card_Path(path), render(1), show_msg, message);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        return false;
    }
}

bool QBXWindowController::Confirm_Single_Export_Replace(const QString& path)
{
    for (const QString& file : card_export::Single_Export_Files(Current_Export_Request(), path)) {
        if (QFileInfo::exists(file)
            && !Show_YES_NO_MessageBox(
                QStringLiteral("%1 already exists. Do you want to replace it?").arg(QFileInfo(file).fileName())))
            return false;
    }
    return true;
}

void QBXWindowController::Select_first_row_value_for_design(bool print_box)
{
    platform::runOnMainWaiting([this, print_box] {
        const int side = Card_Front_Or_Back;
        if ((Use_Data_Sheet_Values || Use_Excel_Binding_Values) && Total_Batch_Excel_Card > 0) {
            Set_data_table_value_to_card(0, QStringLiteral("F"), print_box);
            Set_data_table_value_to_card(0, QStringLiteral("B"), print_box);
        }
        Card_Front_Or_Back = side;
        Card_Value_In_Process = false;
        Refresh_Canvas();
    });
}

// ---------------------------------------------------------------- progress

void QBXWindowController::startTimerThread()
{
    if (!msend_modTimer) {
        msend_modTimer = new QTimer(this);
        msend_modTimer->setInterval(500);
        connect(msend_modTimer, &QTimer::timeout, this, [this] { Timer_Curr_Prg_Send_Modeless(); });
    }
    msend_modTimer->start();
}

void QBXWindowController::stopTimerThread()
{
    if (msend_modTimer)
        msend_modTimer->stop();
}

void QBXWindowController::Timer_Curr_Prg_Send_Modeless()
{
    update_sending_progress_bar();
}

void QBXWindowController::update_sending_progress_bar()
{
    try {
        if (send_modls_wnd)
            curr_msg_count = send_modls_wnd->Update_Progress(curr_barcode_count, list_count);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}
