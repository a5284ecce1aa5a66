// Small services of the main window controller that the rest of the system
// calls through Main_App_wnd.
#include "editor/QBXWindowController.h"

#include "batch/SeriesStore.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "drawing/PictureStore.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXRenderingView.h"
#include "output/Preferences.h"
#include "output/Send_Modeless.h"
#include "platform/date_pattern.h"
#include "platform/files.h"
#include "platform/main_thread.h"
#include "platform/modal.h"
#include "platform/window_fit.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QWidget>

#include <cmath>
#include <new>

// ---------------------------------------------------------------- lists

GraphicList QBXWindowController::Get_Front_Controls_Array() const
{
    return m_document ? m_document->graphics() : GraphicList{};
}

GraphicList QBXWindowController::Get_Back_Controls_Array() const
{
    return m_document ? m_document->graphics_back() : GraphicList{};
}

GraphicList QBXWindowController::Get_Temp_Controls_Array() const
{
    return m_document ? m_document->graphics_temp() : GraphicList{};
}

int QBXWindowController::Get_Front_Control_Count() const
{
    return m_document ? int(m_document->graphics().size()) : 0;
}

int QBXWindowController::Get_Back_Control_Count() const
{
    return m_document ? int(m_document->graphics_back().size()) : 0;
}

// ---------------------------------------------------------------- units

float QBXWindowController::Points_to_MM_Convert(float value)
{
    return float(double(value) * 0.3527777777778);
}

// ---------------------------------------------------------------- cascade

QPointF QBXWindowController::Control_New_Point(const QString& side, const QSizeF& size)
{
    const int n = side == QLatin1String("F") ? Get_Front_Control_Count() : Get_Back_Control_Count();
    const int step = std::max(n, 20);
    float x = last_ctrl_X + float(step);
    float y = last_ctrl_Y + float(step);
    const QRectF bounds = _graphicView ? _graphicView->bounds() : QRectF();
    // Never smaller than the 50-point tool graphic.
    const double w = std::max(size.width(), 50.0), h = std::max(size.height(), 50.0);
    if (!(double(x) + w < bounds.width()) || !(double(y) + h < bounds.height())) {
        x = 10.0f;
        y = 10.0f;
    }
    last_ctrl_X = x;
    last_ctrl_Y = y;
    return {double(x), double(y)};
}

// ---------------------------------------------------------------- pictures

QImage QBXWindowController::Increase_DPI(const QImage& picture, double dpi)
{
    if (picture.isNull() || !std::isfinite(dpi) || dpi <= 0) {
        Show_NSLog_Message(QStringLiteral("Invalid image"));
        return QImage();
    }
    const QSizeF points = drawing::pointSizeOf(picture);
    const float pw = std::ceil(float(dpi * points.width() / 72.0));
    const float ph = std::ceil(float(dpi * points.height() / 72.0));
    if (!(pw >= 1 && ph >= 1) || pw > QBXRenderingView::kMaxRasterSide || ph > QBXRenderingView::kMaxRasterSide
        || qint64(pw) * qint64(ph) > QBXRenderingView::kMaxRasterPixels) {
        Show_NSLog_Message(QStringLiteral("Invalid image"));
        return QImage();
    }
    QImage out(int(pw), int(ph), QImage::Format_ARGB32_Premultiplied);
    if (out.isNull()) {
        Show_NSLog_Message(QStringLiteral("Invalid image"));
        return QImage();
    }
    out.fill(Qt::transparent);
    // The size in points stays the source's: the resolution carries the rest.
    out.setDotsPerMeterX(int(std::lround(pw / points.width() * 72.0 / 0.0254)));
    out.setDotsPerMeterY(int(std::lround(ph / points.height() * 72.0 / 0.0254)));
    QPainter painter(&out);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(QRectF(0, 0, pw, ph), picture);
    return out;
}

bool QBXWindowController::Save_gen_image(const QImage& picture, const QString& file_path_val)
{
    try {
        // PNG whatever the extension, written beside and renamed over the old
        // file, so a failed write keeps it. Pictures kept in the private
        // resource folder are owner-only, whatever the umask.
        const bool owner_only = !Resource_Path.isEmpty()
            && QDir::cleanPath(file_path_val).startsWith(QDir::cleanPath(Resource_Path) + QLatin1Char('/'));
        QString reason;
        const bool ok = !picture.isNull()
            && platform::writeFileAtomically(
                file_path_val,
                [&picture](QIODevice& device) {
                    QImageWriter writer(&device, "png");
                    writer.setCompression(1);
                    return writer.write(picture);
                },
                owner_only ? platform::WriteMode::OwnerOnly : platform::WriteMode::Default, &reason);
        if (!ok) {
            if (picture.isNull())
                reason = QStringLiteral("The picture is empty.");
            Show_MessageBox(file_path_val);
            Show_MessageBox(reason);
        }
        return ok;
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        return false;
    }
}

// ---------------------------------------------------------------- settings

void QBXWindowController::Get_Email_Details()
{
    const std::unique_ptr<Preferences> prefs = Preferences::sharedInstance();
    sender_email = prefs->send_email_SenderEmail();
    sender_pwd = prefs->send_email_Password();
    sending_server = prefs->send_email_SMTP_server();
    sending_port = prefs->send_email_PORT_num();
    send_enable_ssl = prefs->send_email_enable_ssl();
}

int QBXWindowController::Get_OS_Version()
{
    return QBXRenderingView::Get_OS_Version();
}

// ---------------------------------------------------------------- export box

void QBXWindowController::Fit_Export_Box_To_Message()
{
    // The message area takes the whole text, or what the screen leaves
    // beside the box's other rows, with scroll bars for the rest; the box
    // then takes its size from its contents, whatever the last message needed.
    auto* scroll = Open_Export_Files->findChild<QScrollArea*>(QStringLiteral("message_scroll"));
    if (!scroll)
        return;
    _open_log_message->setWordWrap(false);
    QSize text = _open_log_message->sizeHint();
    scroll->setFixedSize(text);
    Open_Export_Files->layout()->activate();
    QSize shown = text;
    if (const QScreen* screen = Open_Export_Files->screen()) {
        const int bar = scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        const QSize room = (platform::windowRoom(*screen) - (Open_Export_Files->sizeHint() - text))
                               .expandedTo(QSize(4 * bar, 4 * bar));
        // Lines wider than the screen allows wrap, so the box never scrolls
        // sideways; only a list taller than the room scrolls, up and down.
        if (text.width() + bar > room.width()) {
            _open_log_message->setWordWrap(true);
            text = QSize(room.width() - bar, _open_log_message->heightForWidth(room.width() - bar));
        }
        shown = text;
        if (text.height() > room.height())
            shown = QSize(text.width() + bar, room.height());
    }
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFixedSize(shown);
    Open_Export_Files->adjustSize();
}

void QBXWindowController::Open_Export_File_Box()
{
    try {
        const QString path = Export_File_Path.get();
        if (_open_log_chk)
            _open_log_chk->setText(QFileInfo(path).isDir() ? QStringLiteral("Open containing folder.")
                                                            : QStringLiteral("Open exported file."));
        if (_open_log_path)
            _open_log_path->setText(path);
        if (_open_log_message)
            _open_log_message->setText(Export_File_Message.get());
        if (Open_Export_Files) {
            Fit_Export_Box_To_Message();
            platform::modal::run(*Open_Export_Files);
            Open_Export_Files->hide();
        }
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

// ---------------------------------------------------------------- files

QStringList QBXWindowController::Get_Files_Array_At_Path(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir())
        return {};
    QStringList names;
    for (const QString& name : platform::listFolder(path, platform::ListKind::Files))
        names.append(QFileInfo(name).completeBaseName());
    return names;
}

QStringList QBXWindowController::Get_datasheet_File_Name_Array() const
{
    return series::Get_datasheet_File_Name_Array();
}

bool QBXWindowController::Check_Batch_File_In_Use_Validation(const QString& name)
{
    return series::Check_Batch_File_In_Use_Validation(name, Get_Front_Controls_Array(), Get_Back_Controls_Array(),
                                                      CARD_SIDE_STR);
}

void QBXWindowController::Delete_Excel_File_Temp_Folder()
{
    // Spreadsheets are unpacked into private temporary folders that remove
    // themselves when the reader is done; no shared folder is left to clean.
}

QString QBXWindowController::Get_date_Value(const QString& format)
{
    return platform::formatDate(QDateTime::currentDateTime(), format);
}

QString QBXWindowController::Get_time_Value(const QString& format)
{
    return platform::formatDate(QDateTime::currentDateTime(), format);
}

QString QBXWindowController::Convert_Path_From_URL(const QUrl& url)
{
    return url.isLocalFile() ? url.toLocalFile() : url.path();
}

bool QBXWindowController::Check_And_Validate_File_Path(const QString& path)
{
    return ::Check_And_Validate_File_Path(path);
}

// ---------------------------------------------------------------- sheets

void QBXWindowController::Show_Create_Modeless()
{
    // Long work on worker threads opens and closes the sheets too: the
    // widgets are touched on the main thread only.
    platform::runOnMainWaiting([this] {
        try {
            if (modeless_msg_lbl)
                modeless_msg_lbl->setText(QStringLiteral("It may take a while, Please wait.."));
            if (plz_wait_Window)
                plz_wait_Window->open();
        } catch (const std::exception& e) {
            Show_NSLog_Message(QString::fromUtf8(e.what()));
        }
    });
}

void QBXWindowController::Hide_Destroy_Modeless()
{
    platform::runOnMainWaiting([this] {
        if (plz_wait_Window)
            plz_wait_Window->hide();
    });
}

QDialog* QBXWindowController::oneByOneSheet() const
{
    return Send_Models_Window ? Send_Models_Window : static_cast<QDialog*>(send_modls_wnd);
}

void QBXWindowController::Show_One_By_One_Modeless()
{
    platform::runOnMainWaiting([this] {
        if (QDialog* sheet = oneByOneSheet()) {
            sheet->setWindowModality(Qt::WindowModal);
            sheet->open();
        }
    });
}

void QBXWindowController::Hide_One_By_One_Modeless()
{
    platform::runOnMainWaiting([this] {
        if (QDialog* sheet = oneByOneSheet())
            sheet->hide();
    });
}
