#include "wizards/User_Profile_Form.h"

#include "app/AppHelpers.h"
#include "batch/BatchUi.h"
#include "batch/Binding_Table_Model.h"
#include "batch/Data_From_Excel.h"
#include "batch/Import_Excel.h"
#include "batch/SpreadsheetWriter.h"
#include "batch/View_Data_Series.h"
#include "platform/modal.h"
#include "platform/picture/picture_decode.h"
#include "wizards/ProfileHost.h"
#include "wizards/User_Profile_Class.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <exception>

namespace {

const QString kFileMessage = QStringLiteral("Please select valid file path.");

bool Binding_Table_Has_Rows()
{
    return !Binding_Table_Model::defaultInstance()->ListData().empty();
}

// The picture at a path, turned as its metadata says and decoded to fit
// edge x edge pixels; null with the reason in *why when the file does not
// decode (missing, empty, not a picture the program offers, over the limits).
QImage Load_Photo(const QString& path, int edge, QString* why = nullptr)
{
    return platform::readPicture(path, why, std::max(edge, 1));
}

// The width a line edit needs to show the text whole in its own font and
// frame (its size hint is sized for 17 characters, whatever the text).
int Width_For_Text(const QLineEdit* edit, const QString& text)
{
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    const QMargins margins = edit->textMargins() + edit->contentsMargins();
    // Two pixels of the line edit's own margin each side and one for the cursor.
    const int inner = edit->fontMetrics().horizontalAdvance(text) + 5 + margins.left() + margins.right();
    return edit->style()
        ->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(inner, edit->sizeHint().height()), edit)
        .width();
}

QPixmap Fitted(const QImage& picture, const QSize& box)
{
    return QPixmap::fromImage(picture.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

} // namespace

User_Profile_Form::User_Profile_Form(bool wizard) : wizard_(wizard)
{
    Build();
}

User_Profile_Form::~User_Profile_Form()
{
    delete window;
}

QSize User_Profile_Form::Preview_Size()
{
    return QSize(340, 230);
}

void User_Profile_Form::Build()
{
    window = new QDialog;
    window->setObjectName(wizard_ ? QStringLiteral("User_profile") : QStringLiteral("Show_User_Profile"));
    window->setWindowTitle(QStringLiteral("User Profile Information"));
    batch::Dialog_Background(window);

    auto* grid = new QGridLayout;
    const auto& fields = User_Profile_Class::Fields();
    int col = 0;
    const int cLabelChk = col++, cLabel = col++, cValueChk = col++, cValue = col++, cSource = col++,
              cChoice = col++, cView = col++, cSide = col++;
    grid->addWidget(new QLabel(QStringLiteral("Field")), 0, cLabel);
    grid->addWidget(new QLabel(QStringLiteral("Value")), 0, cValue);
    grid->addWidget(new QLabel(QStringLiteral("Data source")), 0, cSource);
    grid->addWidget(new QLabel(QStringLiteral("Series / column")), 0, cChoice);
    if (wizard_) {
        select_side_label = new QLabel(QStringLiteral("Card side"));
        grid->addWidget(select_side_label, 0, cSide);
    }

    for (int r = 0; r < Row_Count; ++r) {
        Row& row = rows[size_t(r)];
        const int line = r + 1;
        const QString prefix = QString::fromLatin1(fields[size_t(r)].prefix);
        row.ds_combo = new QComboBox;
        row.ds_combo->setObjectName(prefix + QStringLiteral("_ds_combo"));
        row.ds_combo->addItems({QStringLiteral("Manual"), QStringLiteral("Batch Processing Series")});
        row.ser_col_cb = new QComboBox;
        row.ser_col_cb->setObjectName(prefix + QStringLiteral("_ser_col_cb"));
        row.ser_col_cb->setMinimumWidth(130);
        row.view_btn = new QPushButton(QStringLiteral("View"));
        row.view_btn->setObjectName(prefix + QStringLiteral("_view_btn"));
        grid->addWidget(row.ds_combo, line, cSource);
        grid->addWidget(row.ser_col_cb, line, cChoice);
        grid->addWidget(row.view_btn, line, cView);
        if (wizard_) {
            row.side_combo = new QComboBox;
            row.side_combo->setObjectName(prefix + QStringLiteral("_side_combo"));
            row.side_combo->addItems({QStringLiteral("Front"), QStringLiteral("Back"), QStringLiteral("Both")});
            grid->addWidget(row.side_combo, line, cSide);
        }
        if (r == Photo_Row) {
            grid->addWidget(new QLabel(QString::fromUtf8(fields[size_t(r)].caption)), line, cLabel);
            image_path_val = new QLineEdit;
            image_path_val->setObjectName(QStringLiteral("image_path_val"));
            image_path_val->setMinimumWidth(160);
            browse_pic_btn = new QPushButton(QStringLiteral("Browse"));
            clear_pic_btn = new QPushButton(QStringLiteral("Clear"));
            auto* photoLine = new QHBoxLayout;
            photoLine->addWidget(image_path_val, 1);
            photoLine->addWidget(browse_pic_btn);
            photoLine->addWidget(clear_pic_btn);
            grid->addLayout(photoLine, line, cValue);
            continue;
        }
        row.label = new QLineEdit(QString::fromUtf8(fields[size_t(r)].caption));
        row.label->setObjectName(prefix + QStringLiteral("_label"));
        row.label->setReadOnly(true);
        row.value = new QLineEdit;
        row.value->setObjectName(prefix + QStringLiteral("_value"));
        row.value->setMinimumWidth(200);
        grid->addWidget(row.label, line, cLabel);
        grid->addWidget(row.value, line, cValue);
        if (!wizard_) {
            row.label_chk = new QCheckBox;
            row.value_chk = new QCheckBox;
            row.label_chk->setObjectName(prefix + QStringLiteral("_label_chk"));
            row.value_chk->setObjectName(prefix + QStringLiteral("_value_chk"));
            grid->addWidget(row.label_chk, line, cLabelChk);
            grid->addWidget(row.value_chk, line, cValueChk);
            QLineEdit* label = row.label;
            QLineEdit* value = row.value;
            QCheckBox* labelChk = row.label_chk;
            QCheckBox* valueChk = row.value_chk;
            connect(labelChk, &QCheckBox::clicked, this, [label](bool on) { label->setReadOnly(!on); });
            connect(valueChk, &QCheckBox::clicked, this, [value](bool on) { value->setReadOnly(!on); });
            connect(label, &QLineEdit::textEdited, this, [labelChk] { labelChk->setChecked(true); });
            connect(value, &QLineEdit::textEdited, this, [valueChk] { valueChk->setChecked(true); });
        }
    }
    // The caption column is as wide as the widest caption: each shows whole.
    int captionWidth = 0;
    for (const Row& row : rows)
        if (row.label)
            captionWidth = std::max(captionWidth, Width_For_Text(row.label, row.label->text()));
    for (Row& row : rows) {
        if (row.label) {
            row.label->setMinimumWidth(captionWidth);
            row.label->setCursorPosition(0);
        }
        for (QComboBox* combo : {row.ds_combo, row.ser_col_cb, row.side_combo}) {
            if (combo)
                connect(combo, &QComboBox::currentIndexChanged, this,
                        [this, combo] { comboBoxSelectionDidChange(combo); });
        }
        QComboBox* choice = row.ser_col_cb;
        connect(row.view_btn, &QPushButton::clicked, this, [this, choice] { View_Data_Series_By_Name(choice); });
    }

    user_picture = new QLabel;
    user_picture->setObjectName(QStringLiteral("user_picture"));
    user_picture->setFixedSize(120, 120);
    user_picture->setAlignment(Qt::AlignCenter);
    user_picture->setFrameShape(QFrame::StyledPanel);
    Preivew_picture = new QLabel;
    Preivew_picture->setObjectName(QStringLiteral("Preivew_picture"));
    Preivew_picture->setFixedSize(Preview_Size());
    Preivew_picture->setAlignment(Qt::AlignCenter);
    Preivew_picture->setFrameShape(QFrame::StyledPanel);
    auto* pictures = new QVBoxLayout;
    if (wizard_) {
        Template_picture = new QLabel;
        Template_picture->setObjectName(QStringLiteral("Template_picture"));
        Template_picture->setFixedSize(Preview_Size());
        Template_picture->setAlignment(Qt::AlignCenter);
        Template_picture->setFrameShape(QFrame::StyledPanel);
        pictures->addWidget(new QLabel(QStringLiteral("Card side")));
        pictures->addWidget(Template_picture);
    }
    pictures->addWidget(new QLabel(QStringLiteral("Preview")));
    pictures->addWidget(Preivew_picture);
    pictures->addStretch(1);

    auto* excelLine = new QHBoxLayout;
    excel_path_field = new QLineEdit;
    excel_path_field->setObjectName(QStringLiteral("excel_path_field"));
    excel_browse_btn = new QPushButton(QStringLiteral("Browse Excel"));
    view_excel_btn = new QPushButton(QStringLiteral("View Excel"));
    batch_series_btn = new QPushButton(QStringLiteral("Batch Series"));
    excelLine->addWidget(new QLabel(QStringLiteral("Excel file :")));
    excelLine->addWidget(excel_path_field, 1);
    excelLine->addWidget(excel_browse_btn);
    excelLine->addWidget(view_excel_btn);
    excelLine->addWidget(batch_series_btn);

    auto* buttons = new QHBoxLayout;
    help_btn = new QPushButton(QStringLiteral("Help"));
    reset_btn = new QPushButton(QStringLiteral("Reset"));
    preview_btn = new QPushButton(QStringLiteral("Preview"));
    cancel_btn = new QPushButton(QStringLiteral("Cancel"));
    ok_btn = new QPushButton(QStringLiteral("OK"));
    buttons->addWidget(help_btn);
    buttons->addStretch(1);
    for (QPushButton* b : {reset_btn, preview_btn, cancel_btn, ok_btn})
        buttons->addWidget(b);
    for (QPushButton* b : {help_btn, reset_btn, preview_btn, cancel_btn, ok_btn, excel_browse_btn, view_excel_btn,
                           batch_series_btn, browse_pic_btn, clear_pic_btn})
        b->setAutoDefault(false);

    // The rows, the spreadsheet line and the photo stand at the top of the
    // left column; the side pictures fill the right one. Both columns stay
    // short enough for a 768-pixel screen.
    auto* left = new QVBoxLayout;
    left->addLayout(grid);
    left->addLayout(excelLine);
    left->addWidget(new QLabel(QStringLiteral("Photo")));
    left->addWidget(user_picture, 0, Qt::AlignLeft);
    left->addStretch(1);
    auto* upper = new QHBoxLayout;
    upper->addLayout(left, 1);
    upper->addLayout(pictures);
    auto* main = new QVBoxLayout(window);
    main->addLayout(upper);
    main->addLayout(buttons);

    // No exception leaves a button's handler: it is logged and the form
    // stays as it is.
    const auto on = [this](QPushButton* button, void (User_Profile_Form::*action)()) {
        connect(button, &QPushButton::clicked, this, [this, action] {
            try {
                (this->*action)();
            } catch (const std::exception& e) {
                Show_NSLog_Message(QString::fromUtf8(e.what()));
            }
        });
    };
    on(ok_btn, &User_Profile_Form::OK_Btn_Clicked);
    on(cancel_btn, &User_Profile_Form::Cancel_Btn_Clicked);
    on(reset_btn, &User_Profile_Form::Reset_Btn_Clicked);
    on(help_btn, &User_Profile_Form::Help_Btn_Clicked);
    on(preview_btn, &User_Profile_Form::Preview_Btn_Clicked);
    on(excel_browse_btn, &User_Profile_Form::Browse_excel_Btn_Clicked);
    on(view_excel_btn, &User_Profile_Form::View_Excel_Btn_Clicked);
    on(batch_series_btn, &User_Profile_Form::Batch_Series_Btn_Clicked);
    on(browse_pic_btn, &User_Profile_Form::Browse_image_Btn_Clicked);
    on(clear_pic_btn, &User_Profile_Form::Clear_image_Btn_Clicked);

    // Every row starts on manual entry.
    for (int r = 0; r < Row_Count; ++r)
        Source_Changed(r);
}

// ---------------------------------------------------------------- opening

int User_Profile_Form::Open_Wnd(bool load)
{
    ProfileHost* host = wizards::profileHost();
    const bool back = host && host->cardSide() != 0;
    if (load) {
        Reset_all_Ctrl();
        Graphics_array.clear();
        window->setWindowTitle(back ? QStringLiteral("Back Side User Profile Information")
                                    : QStringLiteral("Front Side User Profile Information"));
        if (host)
            Graphics_array = host->sideGraphics(back ? 1 : 0);
        Create_and_Set_template_picture();
    } else {
        window->setWindowTitle(QStringLiteral("User Profile Information"));
        Reset_all_Ctrl();
    }
    if (wizard_) {
        select_side_label->setVisible(!load);
        for (Row& row : rows) {
            row.side_combo->setVisible(!load);
            if (load)
                row.side_combo->setCurrentIndex(back ? 1 : 0);
        }
    }
    // Each opening shows the bound spreadsheet and offers "Excel" exactly
    // when the binding table has rows.
    excel_path_field->setText(host ? host->excelSourcePath() : QString());
    Match_Excel_Entries();
    if (load)
        Read_Back(Graphics_array);
    rows[0].value->setFocus();
    return batch::Run_Window(*window);
}

void User_Profile_Form::Read_Back(const GraphicList& list)
{
    const auto& fields = User_Profile_Class::Fields();
    for (int r = 0; r < Row_Count; ++r) {
        Row& row = rows[size_t(r)];
        const QString id = QString::fromLatin1(fields[size_t(r)].control_id);
        const GraphicPtr g = wizards::Find_Profile_Graphic(list, id, r == Photo_Row);
        if (!g || !g->ctrl_is_visible || Trim_Str(g->control_ID).isEmpty())
            continue;
        if (r == Photo_Row) {
            Set_User_Image(g->_file_path);
        } else {
            row.value->setText(g->_Text_contents ? g->_Text_contents->text : g->Text_Value);
            if (row.value_chk)
                row.value_chk->setChecked(true);
        }
        const int type = g->data_source_type;
        if (type < 0 || type >= row.ds_combo->count()) {
            Show_NSLog_Message(QStringLiteral("%1: source %2 is not offered.").arg(id).arg(type));
            continue;
        }
        row.ds_combo->setCurrentIndex(type);
        if (type == 0)
            continue;
        // A series by its name (its place in the list moves as series come
        // and go); a name no longer listed, or a column past the table,
        // leaves the choice open so that OK asks for one.
        int at = -1;
        if (type == 1)
            at = g->batch_list_name.isEmpty() ? g->batch_list_index : row.ser_col_cb->findText(g->batch_list_name);
        else if (type == 2)
            at = g->excel_col_indx;
        if (at >= 0 && at < row.ser_col_cb->count())
            row.ser_col_cb->setCurrentIndex(at);
    }
}

void User_Profile_Form::Match_Excel_Entries()
{
    if (Binding_Table_Has_Rows())
        Add_Excel_in_Data_Source_Combo();
    else
        Remove_Excel_in_Data_Source_Combo();
}

void User_Profile_Form::Reset_all_Ctrl()
{
    if (Template_picture)
        Template_picture->clear();
    Preivew_picture->clear();
    Set_User_Image(QString());
    for (Row& row : rows)
        if (row.label_chk)
            row.label_chk->setChecked(false);
    for (Row& row : rows)
        if (row.value_chk)
            row.value_chk->setChecked(false);
    for (Row& row : rows)
        if (row.value)
            row.value->setText(QString());
    for (Row& row : rows)
        row.ds_combo->setCurrentIndex(0);
    for (Row& row : rows)
        row.ser_col_cb->setCurrentIndex(-1);
    for (Row& row : rows)
        if (row.side_combo)
            row.side_combo->setCurrentIndex(2);
}

// ---------------------------------------------------------------- combos

void User_Profile_Form::comboBoxSelectionDidChange(QComboBox* combo)
{
    if (!combo || combo->currentIndex() < 0)
        return;
    try {
        for (int r = 0; r < Row_Count; ++r)
            if (combo == rows[size_t(r)].ds_combo)
                Source_Changed(r);
        for (int r = 0; r < Row_Count; ++r)
            if (combo == rows[size_t(r)].ser_col_cb)
                Choice_Changed(r);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

void User_Profile_Form::Source_Changed(int r)
{
    Row& row = rows[size_t(r)];
    const int source = row.ds_combo->currentIndex();
    const bool manual = source == 0;
    if (row.value)
        row.value->setReadOnly(!manual);
    if (r == Photo_Row) {
        browse_pic_btn->setEnabled(manual);
        clear_pic_btn->setEnabled(manual);
    }
    row.ser_col_cb->setEnabled(!manual);
    row.view_btn->setEnabled(source == 1);
    ProfileHost* host = wizards::profileHost();
    {
        // Filling the list picks no entry: the user chooses one.
        const QSignalBlocker quiet(row.ser_col_cb);
        row.ser_col_cb->clear();
        if (host && source == 1)
            host->Fill_Data_Set_File_Name_In_Combo(row.ser_col_cb);
        else if (host && !manual)
            host->Fill_Excel_Col_Name_In_Combo(row.ser_col_cb);
        row.ser_col_cb->setCurrentIndex(-1);
    }
}

void User_Profile_Form::Choice_Changed(int r)
{
    Row& row = rows[size_t(r)];
    ProfileHost* host = wizards::profileHost();
    const int at = row.ser_col_cb->currentIndex();
    const QString text = row.ser_col_cb->itemText(at);
    if (!host || at < 0 || text.isEmpty())
        return;
    QString value;
    switch (row.ds_combo->currentIndex()) {
    case 1: value = host->Get_First_Value_Of_Dataset(text); break;
    case 2: value = host->Get_First_Value_Of_Excel_Binding(at); break;
    default: return;
    }
    if (r == Photo_Row)
        Set_User_Image(value);
    else
        row.value->setText(value);
}

void User_Profile_Form::Add_Excel_in_Data_Source_Combo()
{
    if (ProfileHost* host = wizards::profileHost())
        for (Row& row : rows)
            host->Add_Excel_Col_Name_In_Combo(row.ds_combo);
}

void User_Profile_Form::Remove_Excel_in_Data_Source_Combo()
{
    if (ProfileHost* host = wizards::profileHost())
        for (Row& row : rows)
            host->Remove_Excel_Col_Name_In_Combo(row.ds_combo);
}

// ---------------------------------------------------------------- validation and fills

bool User_Profile_Form::Check_Validation()
{
    checked_field_name.clear();
    const auto& fields = User_Profile_Class::Fields();
    for (int r = 0; r < Row_Count; ++r) {
        const Row& row = rows[size_t(r)];
        const int source = row.ds_combo->currentIndex();
        if ((source == 1 || source == 2) && row.ser_col_cb->currentIndex() < 0) {
            checked_field_name = QString::fromUtf8(fields[size_t(r)].caption);
            return false;
        }
    }
    return true;
}

// A photo typed or browsed by hand must load: a path that does not would
// place the wrong picture, or none, while reporting success.
bool User_Profile_Form::Photo_Path_Acceptable()
{
    const QString path = Trim_Str(image_path_val->text());
    QString why;
    if (rows[Photo_Row].ds_combo->currentIndex() != 0 || path.isEmpty() || !Load_Photo(path, 16, &why).isNull())
        return true;
    if (!why.isEmpty())
        why[0] = why[0].toUpper();
    Show_MessageBox(QStringLiteral("%1\n\n%2.").arg(kFileMessage, why));
    image_path_val->setFocus();
    return false;
}

bool User_Profile_Form::Fill(User_Profile_Class* record, bool sideRecord)
{
    if (!Check_Validation()) {
        QString name = Trim_Str(checked_field_name);
        if (!name.isEmpty())
            name = QStringLiteral(" for '%1'").arg(Replace_char_in_string(name, QStringLiteral(" :"), QString()));
        Show_MessageBox(QStringLiteral("Please select the source") + name);
        return false;
    }
    if (!Photo_Path_Acceptable())
        return false;
    ProfileHost* host = wizards::profileHost();
    if (!record || !host)
        return false;
    if (sideRecord) {
        record->Fill_User_Profile_Enable = true;
        if (Binding_Table_Has_Rows()) {
            record->Excel_Binding = true;
            host->setExcelSourcePath(excel_path_field->text());
            host->setExcelBindingUse(true);
        } else {
            host->setExcelBindingUse(false);
            record->Excel_Binding = false;
        }
    }
    for (int r = 0; r < Row_Count; ++r) {
        const Row& row = rows[size_t(r)];
        const User_Profile_Class::Field_Ref f = record->Field(r);
        *f.value = r == Photo_Row ? image_path_val->text() : row.value->text();
        const int at = row.ser_col_cb->currentIndex();
        switch (row.ds_combo->currentIndex()) {
        case 0:
            *f.ds = false, *f.ds_name = QString(), *f.ds_indx = 0, *f.xl = false, *f.xl_col_indx = 0;
            break;
        case 1:
            *f.ds = true, *f.ds_name = row.ser_col_cb->itemText(at), *f.ds_indx = at, *f.xl = false;
            *f.xl_col_indx = 0;
            break;
        case 2:
            *f.ds = false, *f.ds_name = QString(), *f.ds_indx = 0, *f.xl = true, *f.xl_col_indx = at;
            break;
        default:
            break;
        }
    }
    return true;
}

bool User_Profile_Form::Fill_Front_User_profile_value_in_Variable()
{
    ProfileHost* host = wizards::profileHost();
    return Fill(host ? host->profileRecord(ProfileHost::Record::Front) : nullptr, true);
}

bool User_Profile_Form::Fill_Back_User_profile_value_in_Variable()
{
    ProfileHost* host = wizards::profileHost();
    return Fill(host ? host->profileRecord(ProfileHost::Record::Back) : nullptr, true);
}

bool User_Profile_Form::Fill_TEMP_User_profile_value_in_Variable()
{
    ProfileHost* host = wizards::profileHost();
    return Fill(host ? host->profileRecord(ProfileHost::Record::Temp) : nullptr, false);
}

// ---------------------------------------------------------------- pictures

void User_Profile_Form::Show_Picture(QLabel* view, const GraphicList& list)
{
    ProfileHost* host = wizards::profileHost();
    if (!view || !host)
        return;
    const CardPicture card = host->renderSide(list, host->cardSide());
    if (card.isNull() || card.size().isEmpty()) {
        view->clear();
        return;
    }
    const QSize box = view->size();
    QImage shown(box, QImage::Format_ARGB32_Premultiplied);
    shown.fill(Qt::transparent);
    QPainter painter(&shown);
    painter.setRenderHint(QPainter::Antialiasing);
    const QSizeF fitted = card.size().scaled(QSizeF(box), Qt::KeepAspectRatio);
    const QRectF target(QPointF((box.width() - fitted.width()) / 2, (box.height() - fitted.height()) / 2), fitted);
    card.draw(painter, target);
    painter.end();
    view->setPixmap(QPixmap::fromImage(shown));
}

void User_Profile_Form::Create_and_Set_template_picture()
{
    if (Template_picture)
        Show_Picture(Template_picture, Graphics_array);
    Show_Picture(Preivew_picture, Graphics_array);
}

void User_Profile_Form::Create_and_Set_Preview_picture()
{
    Show_Picture(Preivew_picture, Graphics_array);
}

void User_Profile_Form::Set_User_Image(const QString& path)
{
    const QString p = Trim_Str(path);
    image_path_val->setText(p);
    // Decoded for the view only: a large photo never costs its full size.
    const qreal ratio = user_picture->devicePixelRatioF();
    const QImage photo = p.isEmpty() ? QImage()
                                     : Load_Photo(p, int(std::ceil(std::max(user_picture->width(), user_picture->height())
                                                                   * ratio)));
    // A file that does not load clears the view: it never shows another photo.
    if (photo.isNull())
        user_picture->clear();
    else
        user_picture->setPixmap(Fitted(photo, user_picture->size()));
}

// ---------------------------------------------------------------- actions

void User_Profile_Form::OK_Btn_Clicked()
{
    const QString side = Trim_Str(load_side);
    bool done = false;
    if (side == QLatin1String("F"))
        done = Fill_Front_User_profile_value_in_Variable();
    else if (side == QLatin1String("B"))
        done = Fill_Back_User_profile_value_in_Variable();
    else if (side.isEmpty())
        done = Fill_Front_User_profile_value_in_Variable() && Fill_Back_User_profile_value_in_Variable();
    if (done)
        window->done(1);
}

void User_Profile_Form::Cancel_Btn_Clicked()
{
    if (Binding_Table_Has_Rows())
        if (ProfileHost* host = wizards::profileHost())
            host->setExcelSourcePath(excel_path_field->text());
    window->done(0);
}

void User_Profile_Form::Reset_Btn_Clicked()
{
    Reset_all_Ctrl();
}

void User_Profile_Form::Help_Btn_Clicked()
{
    Open_Help_File();
}

void User_Profile_Form::Browse_excel_Btn_Clicked()
{
    Delete_Excel_File_Temp_Folder();
    const std::optional<QString> path = platform::modal::openFile(QStringLiteral("Select the Excel file"), QString(),
                                                                  {QStringLiteral("xlsx"), QStringLiteral("XLSX")});
    if (!path)
        return;
    excel_path_field->setText(*path);
    if (Check_And_Validate_File_Path(*path))
        return;
    Import_Excel* picker = Import_Excel::defaultInstance();
    picker->open_mode = QStringLiteral("E");
    picker->Open_excel_Wnd(*path);
    Match_Excel_Entries();
}

void User_Profile_Form::View_Excel_Btn_Clicked()
{
    try {
        Data_From_Excel::defaultInstance()->Open_Wnd();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

void User_Profile_Form::Batch_Series_Btn_Clicked()
{
    if (ProfileHost* host = wizards::profileHost())
        host->Batch_Series_Button();
}

void User_Profile_Form::Browse_image_Btn_Clicked()
{
    const std::optional<QString> path =
        platform::modal::openFile(QStringLiteral("Select the photo"), QString(), platform::pictureFileSuffixes());
    if (path)
        Set_User_Image(*path);
}

void User_Profile_Form::Clear_image_Btn_Clicked()
{
    Set_User_Image(QString());
}

void User_Profile_Form::Preview_Btn_Clicked()
{
    if (!Fill_TEMP_User_profile_value_in_Variable())
        return;
    ProfileHost* host = wizards::profileHost();
    Graphics_array = host ? host->previewUserProfile() : GraphicList();
    Create_and_Set_Preview_picture();
}

void User_Profile_Form::View_Data_Series_By_Name(QComboBox* combo)
{
    const QString name = combo ? Trim_Str(combo->currentText()) : QString();
    if (name.isEmpty()) {
        Show_MessageBox(QStringLiteral("Please select the series."));
        return;
    }
    View_Data_Series* viewer = View_Data_Series::defaultInstance();
    viewer->file_name = name;
    viewer->Open_Wnd();
}
