#include "wizards/Invitation_Wizard.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "drawing/Card_Property.h"
#include "platform/date_pattern.h"
#include "platform/image_browser.h"
#include "platform/modal.h"
#include "platform/picture/picture_decode.h"
#include "platform/process_end.h"
#include "platform/stepper.h"
#include "wizards/EditorHost.h"
#include "wizards/WizardGlobals.h"

#include <QDateEdit>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <exception>

namespace {

Invitation_Wizard* g_instance = nullptr;

constexpr int kFromLimit = 40;
constexpr int kToLimit = 40;
constexpr int kVenueLimit = 100;
constexpr int kTitleLimit = 100;
constexpr int kMessageLimit = 250;

QLineEdit* sizeField(QWidget* parent, const QString& name)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setMaximumWidth(80);
    return field;
}

} // namespace

Invitation_Wizard::Invitation_Wizard()
{
    if (!g_instance)
        g_instance = this;
    auto_background_selection = false;
    buildWindow();
}

Invitation_Wizard::~Invitation_Wizard()
{
    if (g_instance == this)
        g_instance = nullptr;
    delete window;
}

Invitation_Wizard* Invitation_Wizard::defaultInstance()
{
    if (!g_instance)
        new Invitation_Wizard; // lives for the whole process
    return g_instance;
}

// ---------------------------------------------------------------- window

void Invitation_Wizard::buildWindow()
{
    window = new QDialog;
    window->setObjectName(QStringLiteral("Invitation_Wizard"));
    window->setWindowTitle(QStringLiteral("New Card"));
    window->setMinimumSize(720, 520);
    // A pattern background when the bundle picture is there, else the
    // dialogs' light blue.
    QPalette palette = window->palette();
    const QImage pattern = wizards::editorHost() ? wizards::editorHost()->wizardPatternImage() : QImage();
    if (!pattern.isNull())
        palette.setBrush(QPalette::Window, QBrush(pattern));
    else
        palette.setColor(QPalette::Window, QColor(241, 244, 250));
    window->setPalette(palette);
    window->setAutoFillBackground(true);

    auto* outer = new QVBoxLayout(window);
    pages = new QStackedWidget(window);
    outer->addWidget(pages, 1);

    // Start screen.
    Start_card_box = new QWidget;
    {
        auto* layout = new QVBoxLayout(Start_card_box);
        auto* heading = new QLabel(QStringLiteral("How would you like to start?"));
        QFont big = heading->font();
        big.setPointSizeF(big.pointSizeF() * 1.4);
        heading->setFont(big);
        layout->addWidget(heading);
        Using_Wizard_btn = new QPushButton(QStringLiteral("New card"));
        Open_Log_btn = new QPushButton(QStringLiteral("Open design"));
        layout->addWidget(Using_Wizard_btn);
        layout->addWidget(Open_Log_btn);
        layout->addStretch(1);
        APP_path_label = new QLabel;
        APP_path_label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(APP_path_label);
    }
    pages->addWidget(Start_card_box);

    // Page 1: card size in millimetres, typed or stepped, within the card
    // panel's range.
    first_box = new QWidget;
    {
        auto* layout = new QGridLayout(first_box);
        layout->addWidget(new QLabel(QStringLiteral("Card size (mm)")), 0, 0, 1, 3);
        width_Stepper = new platform::Stepper(first_box);
        width_Stepper->setObjectName(QStringLiteral("width_Stepper"));
        height_Stepper = new platform::Stepper(first_box);
        height_Stepper->setObjectName(QStringLiteral("height_Stepper"));
        width_Text = sizeField(first_box, QStringLiteral("width_Text"));
        height_Text = sizeField(first_box, QStringLiteral("height_Text"));
        for (platform::Stepper* s : {width_Stepper, height_Stepper})
            s->setRange(1, kMaxCardSideMM);
        layout->addWidget(new QLabel(QStringLiteral("Width:")), 1, 0);
        layout->addWidget(width_Text, 1, 1);
        layout->addWidget(width_Stepper, 1, 2);
        layout->addWidget(new QLabel(QStringLiteral("Height:")), 2, 0);
        layout->addWidget(height_Text, 2, 1);
        layout->addWidget(height_Stepper, 2, 2);
        layout->setColumnStretch(3, 1);
        layout->setRowStretch(3, 1);
        platform::pairField(width_Stepper, width_Text, window, true);
        platform::pairField(height_Stepper, height_Text, window, true);
    }
    pages->addWidget(first_box);

    // Page 2: the background picture.
    second_box = new QWidget;
    {
        auto* layout = new QVBoxLayout(second_box);
        layout->addWidget(new QLabel(QStringLiteral("Choose a background picture")));
        imageBrowser = new platform::ImageBrowserView(second_box);
        imageBrowser->setObjectName(QStringLiteral("imageBrowser"));
        imageBrowser->setOwner(this);
        imageBrowser->setAllowsReordering(true);
        imageBrowser->setAnimates(true);
        imageBrowser->setZoomValue(0.4);
        layout->addWidget(imageBrowser, 1);
    }
    pages->addWidget(second_box);

    // Page 3: title and message.
    third_box = new QWidget;
    {
        auto* layout = new QGridLayout(third_box);
        msg_title = new QLineEdit;
        msg_title->setObjectName(QStringLiteral("msg_title"));
        title_bk_btn = new QPushButton(QStringLiteral("<"));
        title_nxt_btn = new QPushButton(QStringLiteral(">"));
        msg_value = new QLineEdit;
        msg_value->setObjectName(QStringLiteral("msg_value"));
        msg_bk_btn = new QPushButton(QStringLiteral("<"));
        msg_nxt_btn = new QPushButton(QStringLiteral(">"));
        layout->addWidget(new QLabel(QStringLiteral("Title:")), 0, 0);
        layout->addWidget(title_bk_btn, 0, 1);
        layout->addWidget(msg_title, 0, 2);
        layout->addWidget(title_nxt_btn, 0, 3);
        layout->addWidget(new QLabel(QStringLiteral("Message:")), 1, 0);
        layout->addWidget(msg_bk_btn, 1, 1);
        layout->addWidget(msg_value, 1, 2);
        layout->addWidget(msg_nxt_btn, 1, 3);
        layout->setRowStretch(2, 1);
    }
    pages->addWidget(third_box);

    // Page 4: sender, addressee and the event details.
    fourth_box = new QWidget;
    {
        auto* layout = new QGridLayout(fourth_box);
        from_value = new QLineEdit;
        from_value->setObjectName(QStringLiteral("from_value"));
        to_value = new QLineEdit;
        to_value->setObjectName(QStringLiteral("to_value"));
        venue_value = new QLineEdit;
        venue_label = new QLabel(QStringLiteral("Venue:"));
        date_label = new QLabel(QStringLiteral("Date:"));
        time_label = new QLabel(QStringLiteral("Time:"));
        Date_picker = new QDateEdit;
        Date_picker->setCalendarPopup(true);
        Time_picker = new QTimeEdit;
        Date_ctrl_value = new QLineEdit;
        Date_ctrl_value->setReadOnly(true);
        Time_ctrl_value = new QLineEdit;
        Time_ctrl_value->setReadOnly(true);
        clear_details_btn = new QPushButton(QStringLiteral("Clear details"));
        layout->addWidget(new QLabel(QStringLiteral("To:")), 0, 0);
        layout->addWidget(to_value, 0, 1, 1, 2);
        layout->addWidget(new QLabel(QStringLiteral("From:")), 1, 0);
        layout->addWidget(from_value, 1, 1, 1, 2);
        layout->addWidget(venue_label, 2, 0);
        layout->addWidget(venue_value, 2, 1, 1, 2);
        layout->addWidget(date_label, 3, 0);
        layout->addWidget(Date_picker, 3, 1);
        layout->addWidget(Date_ctrl_value, 3, 2);
        layout->addWidget(time_label, 4, 0);
        layout->addWidget(Time_picker, 4, 1);
        layout->addWidget(Time_ctrl_value, 4, 2);
        layout->addWidget(clear_details_btn, 5, 2, Qt::AlignRight);
        layout->setRowStretch(6, 1);
    }
    pages->addWidget(fourth_box);

    // Buttons of the pages and of the start screen.
    button_box = new QWidget;
    auto* buttons = new QHBoxLayout(button_box);
    buttons->setContentsMargins(0, 0, 0, 0);
    Help_btn_2 = new QPushButton(QStringLiteral("Help"));
    Back_Btn = new QPushButton(QStringLiteral("Back"));
    Next_btn = new QPushButton(QStringLiteral("Next"));
    Next_btn->setObjectName(QStringLiteral("Next_btn"));
    Cancel_btn = new QPushButton(QStringLiteral("Cancel"));
    buttons->addWidget(Help_btn_2);
    buttons->addStretch(1);
    buttons->addWidget(Back_Btn);
    buttons->addWidget(Next_btn);
    buttons->addWidget(Cancel_btn);
    outer->addWidget(button_box);

    auto* startButtons = new QHBoxLayout;
    Help_btn_1 = new QPushButton(QStringLiteral("Help"));
    Contact_us_btn = new QPushButton(QStringLiteral("Contact us"));
    Exit_btn = new QPushButton(QStringLiteral("Exit"));
    Exit_btn->setObjectName(QStringLiteral("Exit_btn"));
    startButtons->addWidget(Help_btn_1);
    startButtons->addWidget(Contact_us_btn);
    startButtons->addStretch(1);
    startButtons->addWidget(Exit_btn);
    outer->addLayout(startButtons);

    for (QPushButton* b : {Back_Btn, Next_btn, Cancel_btn, Exit_btn, Help_btn_1, Help_btn_2, Contact_us_btn,
                           Using_Wizard_btn, Open_Log_btn, title_bk_btn, title_nxt_btn, msg_bk_btn, msg_nxt_btn,
                           clear_details_btn})
        b->setAutoDefault(false);

    auto wire = [this](QPushButton* button, void (Invitation_Wizard::*action)()) {
        QObject::connect(button, &QPushButton::clicked, window, [this, action] {
            try {
                (this->*action)();
            } catch (const std::exception& e) {
                Show_NSLog_Message(QString::fromUtf8(e.what()));
            }
        });
    };
    wire(Using_Wizard_btn, &Invitation_Wizard::Using_Wizard_Click);
    wire(Open_Log_btn, &Invitation_Wizard::Open_Log_Click);
    wire(Next_btn, &Invitation_Wizard::OK_Click);
    wire(Back_Btn, &Invitation_Wizard::Back_Click);
    wire(Cancel_btn, &Invitation_Wizard::CancelClick);
    wire(Exit_btn, &Invitation_Wizard::ExitClick);
    wire(Help_btn_1, &Invitation_Wizard::HelpClick);
    wire(Help_btn_2, &Invitation_Wizard::HelpClick);
    // The contact button leads to the same help document.
    wire(Contact_us_btn, &Invitation_Wizard::HelpClick);
    wire(title_bk_btn, &Invitation_Wizard::Title_Back_Click);
    wire(title_nxt_btn, &Invitation_Wizard::Title_Next_Click);
    wire(msg_bk_btn, &Invitation_Wizard::Msg_Back_Click);
    wire(msg_nxt_btn, &Invitation_Wizard::Msg_Next_Click);
    wire(clear_details_btn, &Invitation_Wizard::Clear_Details_Click);
    for (QLineEdit* field : {from_value, to_value, venue_value, msg_title, msg_value})
        QObject::connect(field, &QLineEdit::textEdited, window, [this, field] { controlTextDidChange(field); });
    QObject::connect(Date_picker, &QDateEdit::dateChanged, window, [this] { datePickerAction(); });
    QObject::connect(Time_picker, &QTimeEdit::timeChanged, window, [this] { timePickerAction(); });

    const QSignalBlocker b1(Date_picker), b2(Time_picker);
    Date_picker->setDate(QDate::currentDate());
    Time_picker->setTime(QTime::currentTime());
    images.clear();
}

void Invitation_Wizard::showOnly(QWidget* page)
{
    pages->setCurrentWidget(page);
}

// ---------------------------------------------------------------- opening

int Invitation_Wizard::Open_Wnd()
{
    try {
        exit_requested = false;
        width_Stepper->setValue(120);
        height_Stepper->setValue(120);
        width_Text->setText(QStringLiteral("120"));
        height_Text->setText(QStringLiteral("120"));
        APP_path_label->setText(Resource_Path);
        images.clear();
        Show_Hide_Card_Start_Screen(true);
        imageBrowser->setZoomValue(0.4);
        Reload_Browser();
        Load_and_fill_backgrounds();
        Reset_All();
        Load_Msg_And_Title();
        msg_title->setText(Get_Title());
        msg_value->setText(Get_Message());
        // The first screenful of thumbnails is read while the start screen
        // shows.
        imageBrowser->prefetch(12);
        const int code = platform::modal::run(*window);
        window->hide();
        if (exit_requested) {
            // Running thumbnail workers would outlive the statics they use.
            platform::ThumbnailLoader::shutdown();
            platform::endProcess(0);
        }
        return code;
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        return 0;
    }
}

void Invitation_Wizard::Load_and_fill_backgrounds()
{
    Load_Picture_Folder(QDir(Resource_Path).filePath(QStringLiteral("Background")));
}

// ---------------------------------------------------------------- screens

void Invitation_Wizard::Show_Hide_Card_Start_Screen(bool show)
{
    if (show) {
        next_counter = 0;
        auto_background_selection = false;
        showOnly(Start_card_box);
        button_box->hide();
        Exit_btn->show();
        Help_btn_1->show();
        Contact_us_btn->show();
        Reset_All();
        msg_title->setText(Get_Title());
        msg_value->setText(Get_Message());
    } else {
        showOnly(first_box);
        button_box->show();
        Exit_btn->hide();
        Help_btn_1->hide();
        Contact_us_btn->hide();
    }
}

void Invitation_Wizard::Reset_All()
{
    selected_image.clear();
    next_counter = 0;
    title_index = 0;
    message_index = 0;
    selected_title.clear();
    selected_msg.clear();
    selected_date.clear();
    selected_time.clear();
    msg_title->clear();
    msg_value->clear();
    clear_details_btn->setEnabled(false);
    Clear_Details();
}

void Invitation_Wizard::Clear_Details()
{
    from_value->clear();
    to_value->clear();
    venue_value->clear();
    {
        const QSignalBlocker b1(Date_picker), b2(Time_picker);
        Date_picker->setDate(QDate::currentDate());
        Time_picker->setTime(QTime::currentTime());
    }
    Date_ctrl_value->clear();
    Time_ctrl_value->clear();
    selected_date.clear();
    selected_time.clear();
    clear_details_btn->setEnabled(false);
}

// ---------------------------------------------------------------- steps

void Invitation_Wizard::Using_Wizard_Click()
{
    Select_card_option(1);
}

void Invitation_Wizard::Open_Log_Click()
{
    Select_card_option(2);
}

void Invitation_Wizard::Select_card_option(int option)
{
    static const QString codes[] = {QStringLiteral("T"), QStringLiteral("W"), QStringLiteral("L")};
    if (option >= 0 && option <= 2)
        Start_Card_Option = codes[option];
    OK_Click();
}

void Invitation_Wizard::OK_Click()
{
    if (Start_Card_Option == QLatin1String("L")) {
        const int loaded = wizards::editorHost() ? wizards::editorHost()->Open_Log_File() : 0;
        if (loaded == 1)
            window->done(1);
        return;
    }
    switch (next_counter) {
    case 0:
        next_counter = 1;
        Show_Hide_Card_Start_Screen(false);
        return;
    case 1:
        next_counter = 2;
        showOnly(second_box);
        if (!images.empty()) {
            auto_background_selection = true;
            imageBrowser->setSelectionIndexes({0});
            // The first picture is the choice even when it was selected
            // already (Back and Next again).
            selected_image = images.front().path;
            auto_background_selection = false;
        }
        return;
    case 2:
        if (!Is_Readable_Picture(selected_image)) {
            Show_MessageBox(QStringLiteral("Please select background."));
            return;
        }
        next_counter = 3;
        showOnly(third_box);
        return;
    case 3:
        selected_title = msg_title->text();
        selected_msg = msg_value->text();
        if (Trim_Str(selected_title).isEmpty()) {
            Show_MessageBox(QStringLiteral("Please select title."));
            msg_title->setFocus();
            return;
        }
        if (Trim_Str(selected_msg).isEmpty()) {
            Show_MessageBox(QStringLiteral("Please select message."));
            msg_value->setFocus();
            return;
        }
        next_counter = 4;
        showOnly(fourth_box);
        for (QWidget* w : std::initializer_list<QWidget*>{venue_value, Date_picker, Date_ctrl_value, Time_picker,
                                                          Time_ctrl_value, venue_label, date_label, time_label})
            w->hide();
        from_value->setFocus();
        return;
    case 4: {
        Card_Shape = 0;
        const float width = float(width_Stepper->value());
        const float height = float(height_Stepper->value());
        if (EditorHost* host = wizards::editorHost()) {
            host->Set_Card_Size_In_Control(QSizeF(width, height));
            const QSizeF points(EditorHost::MM_to_Points_Convert(width), EditorHost::MM_to_Points_Convert(height));
            host->Set_Document_Size(points);
            host->SetDocumentCanvasSize(points);
        }
        Invite_Title = Trim_Str(selected_title);
        Invite_Message = Trim_Str(selected_msg);
        Invite_From = Trim_Str(from_value->text());
        Invite_To = Trim_Str(to_value->text());
        Invite_Venue = Trim_Str(venue_value->text());
        Invite_Date = Trim_Str(selected_date);
        Invite_Time = Trim_Str(selected_time);
        Invite_BG_IMG = Trim_Str(selected_image);
        window->done(1);
        return;
    }
    default:
        return;
    }
}

void Invitation_Wizard::Back_Click()
{
    switch (next_counter) {
    case 1:
        Show_Hide_Card_Start_Screen(true);
        return;
    case 2:
        next_counter = 1;
        showOnly(first_box);
        return;
    case 3:
        next_counter = 2;
        showOnly(second_box);
        return;
    case 4:
        next_counter = 3;
        showOnly(third_box);
        return;
    default:
        return;
    }
}

void Invitation_Wizard::CancelClick()
{
    Show_Hide_Card_Start_Screen(true);
}

void Invitation_Wizard::ExitClick()
{
    Start_Card_Option = QStringLiteral("");
    exit_requested = true;
    window->done(0);
}

void Invitation_Wizard::HelpClick()
{
    Open_Help_File();
}

void Invitation_Wizard::Picture_Chosen(const QString& path)
{
    selected_image = path;
    if (!auto_background_selection && next_counter == 2)
        OK_Click();
}

// ---------------------------------------------------------------- lists

void Invitation_Wizard::Title_Back_Click()
{
    msg_title->setText(Title_Back());
}

void Invitation_Wizard::Title_Next_Click()
{
    msg_title->setText(Title_Next());
}

void Invitation_Wizard::Msg_Back_Click()
{
    msg_value->setText(Msg_Back());
}

void Invitation_Wizard::Msg_Next_Click()
{
    msg_value->setText(Msg_Next());
}

void Invitation_Wizard::Clear_Details_Click()
{
    if (Show_YES_NO_MessageBox(QStringLiteral("Are you sure you want to clear details?")))
        Clear_Details();
}

// ---------------------------------------------------------------- details

void Invitation_Wizard::datePickerAction()
{
    selected_date = QLocale().toString(Date_picker->date(), QLocale::LongFormat);
    Date_ctrl_value->setText(selected_date);
    clear_details_btn->setEnabled(true);
}

void Invitation_Wizard::timePickerAction()
{
    selected_time = platform::formatDate(QDateTime(QDate::currentDate(), Time_picker->time()), QStringLiteral("h:mm a"));
    Time_ctrl_value->setText(selected_time);
    clear_details_btn->setEnabled(true);
}

void Invitation_Wizard::controlTextDidChange(QLineEdit* field)
{
    int limit = 0;
    if (field == from_value)
        limit = kFromLimit;
    else if (field == to_value)
        limit = kToLimit;
    else if (field == venue_value)
        limit = kVenueLimit;
    else if (field == msg_title)
        limit = kTitleLimit;
    else if (field == msg_value)
        limit = kMessageLimit;
    else
        return;
    const QString text = field->text();
    if (text.size() > limit) {
        const int cursor = field->cursorPosition();
        field->setText(Cut_To_Length(text, limit));
        field->setCursorPosition(qMin(cursor, int(field->text().size())));
    }
    if ((field == from_value || field == to_value || field == venue_value) && !field->text().isEmpty())
        clear_details_btn->setEnabled(true);
}
