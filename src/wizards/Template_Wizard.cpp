#include "wizards/Template_Wizard.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "platform/files.h"
#include "platform/image_browser.h"
#include "platform/modal.h"
#include "wizards/Dialog_Window.h"
#include "wizards/Card_Size_List.h"
#include "wizards/EditorHost.h"
#include "wizards/Template_Store.h"
#include "wizards/WizardGlobals.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <exception>

namespace {
Template_Wizard* g_browser = nullptr;
constexpr double kStartZoom = 0.6;
const QString kSelectTemplate = QStringLiteral("Please select template.");
} // namespace

Template_Wizard::Template_Wizard()
{
    if (!g_browser)
        g_browser = this;
    buildWindow();
}

Template_Wizard::~Template_Wizard()
{
    if (g_browser == this)
        g_browser = nullptr;
    delete window;
}

Template_Wizard* Template_Wizard::defaultInstance()
{
    if (!g_browser)
        new Template_Wizard; // lives for the whole process
    return g_browser;
}

void Template_Wizard::buildWindow()
{
    window = wizards::Make_Dialog_Window(QStringLiteral("Template_Wizard"), QStringLiteral("Templates"));
    window->setMinimumSize(820, 520);

    auto* outer = new QVBoxLayout(window);
    auto* body = new QHBoxLayout;
    outer->addLayout(body, 1);

    auto* left = new QVBoxLayout;
    auto* top = new QHBoxLayout;
    category_label = new QLabel(QStringLiteral("Templates:"));
    cat_cmbo_bx = new QComboBox;
    cat_cmbo_bx->setObjectName(QStringLiteral("cat_cmbo_bx"));
    {
        const QSignalBlocker block(cat_cmbo_bx);
        cat_cmbo_bx->addItems({QStringLiteral("Built-in Templates"), QStringLiteral("User Templates")});
        cat_cmbo_bx->setCurrentIndex(-1);
    }
    top->addWidget(category_label);
    top->addWidget(cat_cmbo_bx);
    top->addStretch(1);
    Copy_temp_btn = new QPushButton(QStringLiteral("Copy"));
    Copy_temp_btn->setObjectName(QStringLiteral("Copy_temp_btn"));
    Rename_temp_btn = new QPushButton(QStringLiteral("Rename"));
    Rename_temp_btn->setObjectName(QStringLiteral("Rename_temp_btn"));
    Delete_temp_btn = new QPushButton(QStringLiteral("Delete"));
    Delete_temp_btn->setObjectName(QStringLiteral("Delete_temp_btn"));
    for (QPushButton* b : {Copy_temp_btn, Rename_temp_btn, Delete_temp_btn})
        top->addWidget(b);
    left->addLayout(top);
    _zoom_slider = Make_Browser_And_Zoom(window);
    left->addWidget(imageBrowser, 1);
    auto* zoom = new QHBoxLayout;
    _zoom_label = new QLabel(QStringLiteral("Zoom:"));
    zoom->addWidget(_zoom_label);
    zoom->addWidget(_zoom_slider);
    zoom->addStretch(1);
    left->addLayout(zoom);
    body->addLayout(left, 3);

    auto* sizes = new QGridLayout;
    size_list = new Card_Size_List(window, sizes, 0);
    sizes->setRowStretch(2, 1);
    body->addLayout(sizes, 1);

    auto* buttons = new QHBoxLayout;
    auto* profile = new QPushButton(QStringLiteral("User Profile..."));
    profile->setObjectName(QStringLiteral("User_Profile_Click"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("CancelClick"));
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("OK_Click"));
    buttons->addWidget(profile);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(ok);
    outer->addLayout(buttons);
    for (QPushButton* b : {profile, cancel, ok, Copy_temp_btn, Rename_temp_btn, Delete_temp_btn})
        b->setAutoDefault(false);

    connect(ok, &QPushButton::clicked, this, wizards::Guarded(this, &Template_Wizard::OK_Click));
    connect(cancel, &QPushButton::clicked, this, wizards::Guarded(this, &Template_Wizard::CancelClick));
    connect(profile, &QPushButton::clicked, this, wizards::Guarded(this, &Template_Wizard::User_Profile_Click));
    connect(Delete_temp_btn, &QPushButton::clicked, this, wizards::Guarded(this, &Template_Wizard::Delete_Template_Click));
    connect(Copy_temp_btn, &QPushButton::clicked, this, wizards::Guarded(this, &Template_Wizard::Copy_Templatee_Click));
    connect(Rename_temp_btn, &QPushButton::clicked, this, wizards::Guarded(this, &Template_Wizard::Rename_Template_Click));
    connect(cat_cmbo_bx, &QComboBox::currentIndexChanged, this, [this] { comboBoxSelectionDidChange(cat_cmbo_bx); });
    images.clear();
    Set_Zoom(_zoom_slider, kStartZoom);
}

int Template_Wizard::Open_Template_Window()
{
    try {
        shape_at_opening = Card_Shape.load();
        profile_filled = false;
        cat_cmbo_bx->setCurrentIndex(0);
        size_list->Select_First_Items();
        images.clear();
        Set_Zoom(_zoom_slider, kStartZoom);
        Reload_Browser();
        Fill_Templates();
        const int code = platform::modal::run(*window);
        window->hide();
        return code;
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        return 0;
    }
}

void Template_Wizard::comboBoxSelectionDidChange(QComboBox* box)
{
    if (box != cat_cmbo_bx)
        return;
    try {
        if (cat_cmbo_bx->currentIndex() == 0) {
            Fill_Templates();
            Show_Hide_Template_Buttons(true);
        } else {
            Fill_Templates_User_Defined();
            Show_Hide_Template_Buttons(false);
        }
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

void Template_Wizard::Show_Hide_Template_Buttons(bool hide)
{
    for (QPushButton* b : {Delete_temp_btn, Copy_temp_btn, Rename_temp_btn})
        b->setVisible(!hide);
}

void Template_Wizard::Select_First_Template()
{
    if (!images.empty())
        imageBrowser->setSelectionIndexes({0});
    // The first screenful of previews is read at once.
    imageBrowser->prefetch(12);
}

void Template_Wizard::Fill_Templates()
{
    const QString folder = template_store::Built_In_Folder();
    Show_NSLog_Message(folder);
    Load_Picture_Folder(folder);
    Select_First_Template();
}

void Template_Wizard::Fill_Templates_User_Defined()
{
    const QString folder = template_store::User_Folder();
    const std::optional<QStringList> entries = Picture_Folder_Entries(folder);
    if (!entries)
        return;
    imageBrowser->beginBatch();
    images.clear();
    Reload_Browser();
    const QDir dir(folder);
    for (const QString& name : *entries) {
        // Identifiers are never reused in a run, so a file listed again after
        // a copy or rename never shows an old thumbnail.
        addImageWithPath(dir.filePath(name), name, QString::asprintf("TEMP%llu.png", User_Defined_File));
        ++User_Defined_File;
    }
    imageBrowser->endBatch();
    Select_First_Template();
}

void Template_Wizard::Picture_Chosen(const QString& path)
{
    Selected_Template_Path = path;
}

void Template_Wizard::OK_Click()
{
    if (Selected_Template_Path.isEmpty() || !QFileInfo(Selected_Template_Path).isFile()) {
        Show_MessageBox(kSelectTemplate);
        return;
    }
    Card_Shape = 0;
    Selected_Template_Path = template_store::Design_Path(Selected_Template_Path);
    window->done(1);
}

void Template_Wizard::CancelClick()
{
    Selected_Template_Path = QStringLiteral("");
    // The outline of an open design stays as it was.
    Card_Shape = shape_at_opening;
    window->done(0);
}

void Template_Wizard::User_Profile_Click()
{
    if (EditorHost* host = wizards::editorHost()) {
        if (host->Open_User_Profile_Window(0, QStringLiteral("")) == 1)
            profile_filled = true;
    }
}

QString Template_Wizard::User_Choice()
{
    // The commands act on user templates only, never on a built-in choice
    // left over from the other list.
    if (Selected_Template_Path.isEmpty() || !template_store::Is_User_Template(Selected_Template_Path)) {
        Show_MessageBox(kSelectTemplate);
        return {};
    }
    return Selected_Template_Path;
}

void Template_Wizard::Delete_Template_Click()
{
    const QString preview = User_Choice();
    if (preview.isEmpty())
        return;
    if (!Show_YES_NO_MessageBox(QStringLiteral("Do you want to delete this template?")))
        return;
    QString why;
    if (!template_store::Delete_Pair(preview, &why)) {
        Show_NSLog_Message(why);
        Show_MessageBox(QStringLiteral("Template could not be deleted."));
    }
    Fill_Templates_User_Defined();
}

void Template_Wizard::Copy_Templatee_Click()
{
    const QString preview = User_Choice();
    if (preview.isEmpty())
        return;
    if (!Show_YES_NO_MessageBox(QStringLiteral("Do you want to make copy of this template?")))
        return;
    const std::optional<QString> copy = template_store::Create_New_File_Path(preview);
    QString why = QStringLiteral("No free copy name for ") + preview;
    if (!copy || !template_store::Copy_Pair(preview, *copy, &why)) {
        Show_NSLog_Message(why);
        Show_MessageBox(QStringLiteral("Template could not be copied."));
    }
    Fill_Templates_User_Defined();
}

void Template_Wizard::Rename_Template_Click()
{
    const QString preview = User_Choice();
    if (preview.isEmpty())
        return;
    const QString old = QFileInfo(preview).completeBaseName();
    if (Run_Export_Template_Window(old, old) != 1)
        return;
    const std::optional<QString> target =
        platform::childPath(template_store::User_Folder(), export_template_name, QStringLiteral("png"));
    if (!target) {
        Show_MessageBox(QStringLiteral("Please enter template name."));
        return;
    }
    if (QFileInfo(*target).absoluteFilePath() == QFileInfo(preview).absoluteFilePath())
        return;
    QString why;
    if (!template_store::Rename_Pair(preview, *target, &why)) {
        Show_NSLog_Message(why);
        Show_MessageBox(QStringLiteral("Template could not be renamed."));
    }
    Fill_Templates_User_Defined();
}
