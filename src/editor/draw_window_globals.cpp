// The controller's single instance and the globals kept beside it.
#include "editor/QBXWindowController.h"

QBXWindowController* Main_App_wnd = nullptr;
QBXWindowController* app_DefaultInstance = nullptr;

const QString QBXSelectedToolDidChangeNotification = QStringLiteral("QBXSelectedToolDidChange");
const char* const QBXWindowControllerCanvasSizeObservationContext = "QBXWindowControllerCanvasSizeObservationContext";
const QString Text_Ctrl_Font = QStringLiteral("TimesNewRomanPS-ItalicMT");
QString CARD_SIDE_STR = QStringLiteral("");
QString Project_File_Name = QStringLiteral("");
float last_ctrl_X = 10.0f;
float last_ctrl_Y = 10.0f;
QString Library_Selected_Image = QStringLiteral("");
QString lib_window_sel_file = QStringLiteral("");
std::atomic<bool> Card_Value_In_Process{false};
const QString Title_Name = QStringLiteral("Name :");
const QString Title_Title = QStringLiteral("Position / Title :");
const QString Title_Company_name = QStringLiteral("Company Name :");
const QString Title_slogan = QStringLiteral("Company Slogan :");
const QString Title_address = QStringLiteral("Address :");
const QString Title_phone = QStringLiteral("Phone No. :");
const QString Title_fax = QStringLiteral("Fax No. :");
const QString Title_email = QStringLiteral("Email Id :");
const QString Title_website = QStringLiteral("Website :");
const QString Title_unique = QStringLiteral("Unique No. :");
const QString Title_image = QStringLiteral("Photo :");
bool Fill_User_Profile = false;
bool Excel_Binding_Use = false, overwrite_text_load_row = false;
std::atomic<bool> Use_Data_Sheet_Values{false}, Use_Excel_Binding_Values{false};
QString Excel_Source_Path, Excel_File_Path;
// Excel_Sheet_Number and Excel_Sheet_Columns live with the spreadsheet reader.
std::atomic<int> Data_table_rows{0}, Excel_table_rows{0}, Total_Batch_Excel_Card{0};
QString Cutom_Msg_Title, Cutom_Msg_Val, Custom_Msg_Title, Custom_Msg_Val;
bool Msg_Apply_All_Chk = false;
QString export_card_side = QStringLiteral("");
const QString unable_saving_Msg = QStringLiteral(
    "Unable to continue saving barcode image.\n\nEither Destination Drive is inaccessible or there is no free "
    "space available in drive to save barcode image.");
platform::LockedValue<QString> sender_email, sender_pwd, sending_server, sending_port, send_enable_ssl;
std::atomic<int> Stop_SMS_Sending_Now{0};
std::atomic<int> list_count{0};
std::atomic<double> curr_barcode_count{0.0};
platform::LockedValue<QString> curr_msg_count;
// USED_DPI_VALUE, Barcode_module_size, QR_EC_Level_Val, QR_Version_Val,
// Measument_Unit_Is, last_unit_val, Not_Draw_Only_Prop_Change and
// Barcode_output_image live with the barcode library (barcode/BarcodeGlobals.h).
int PDF_Col = 3, PDF_Row = 0, QR_Enc_Mode_Val = 0;
