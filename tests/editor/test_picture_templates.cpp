// The grid dialog, the picture library, the template browser with its user
// templates and the card-size wizard, run through the modal seam against a
// started editor.
#include "support_editor.h"

#include "app/Globals.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXGrid.h"
#include "drawing/QBXImage.h"
#include "platform/color_well.h"
#include "platform/files.h"
#include "platform/image_browser.h"
#include "platform/stepper.h"
#include "platform/tab_item.h"
#include "support/process_runner.h"
#include "support/qt_print.h"
#include "support/test_responder.h"
#include "wizards/Card_Size_List.h"
#include "wizards/Card_Wizard.h"
#include "wizards/Grid_Wizard.h"
#include "wizards/Image_Library.h"
#include "wizards/Template_Wizard.h"
#include "wizards/User_Profile_Class.h"
#include "wizards/User_profile.h"
#include "wizards/WizardGlobals.h"

#include <QAction>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSlider>
#include <QTableView>
#include <gtest/gtest.h>

#include <set>

using platform::modal::AlertAnswer;

namespace {

void picture(const QString& path, QColor colour = Qt::darkCyan)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(path, "PNG"));
}

void bytes(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

void click(QDialog& d, const QString& name)
{
    QPushButton* b = d.findChild<QPushButton*>(name);
    ASSERT_TRUE(b) << name.toStdString();
    b->click();
}

// Clicks the button showing this text (mnemonics ignored).
void clickText(QDialog& d, const QString& text)
{
    for (QPushButton* b : d.findChildren<QPushButton*>()) {
        if (b->text().remove(QLatin1Char('&')) == text) {
            b->click();
            return;
        }
    }
    ADD_FAILURE() << "no button " << text.toStdString();
}

QStringList titles(const Picture_Browser_List& list)
{
    QStringList out;
    for (const MyImageObject& item : list.images)
        out << item.image_Name;
    return out;
}

QStringList trimmed(QStringList texts)
{
    for (QString& t : texts)
        t = t.trimmed();
    return texts;
}

// The text of the last alert or question.
QString lastAlert()
{
    const auto requests = testResponder().requests();
    for (auto it = requests.rbegin(); it != requests.rend(); ++it) {
        if (it->kind == QLatin1String("alert") || it->kind == QLatin1String("yesno"))
            return it->text.trimmed();
    }
    return {};
}

QStringList userFiles()
{
    return QDir(Resource_Path + QStringLiteral("/Templates/User")).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

// ---------------------------------------------------------------- grid

TEST(GridDialog, HoldsTheGridControlsWhichActAtOnceAndCancelKeepsChanges)
{
    StartedEditor e;
    QBXGrid* grid = e->_grid;
    grid->setAlwaysShown(false);
    testResponder().answerColor(QColor(Qt::red));
    testResponder().onDialog([&](QDialog& d) {
        EXPECT_TRUE(d.isAncestorOf(e->Grid_Opt_box)) << "the options live in the dialog";
        EXPECT_FALSE(e->Show_hide_grid_chk->isChecked());
        EXPECT_FALSE(e->Grid_Space_slidr->isEnabled()) << "a hidden grid greys the options";
        e->Show_hide_grid_chk->click();
        EXPECT_TRUE(grid->isAlwaysShown());
        EXPECT_TRUE(e->Grid_Space_slidr->isEnabled());
        e->Show_hide_grid_chk->click();
        EXPECT_FALSE(grid->isAlwaysShown());
        EXPECT_FALSE(e->Grid_Opt_box->isEnabled());
        e->Grid_Space_slidr->setValue(20);
        EXPECT_EQ(grid->spacing(), 20);
        EXPECT_TRUE(grid->isAlwaysShown());
        e->Show_hide_grid_chk->click();
        e->Grid_clr->click();
        clickText(d, QStringLiteral("Cancel"));
    });
    e->toggleGridShowing(nullptr);
    EXPECT_EQ(grid->color(), QColor(Qt::red));
    EXPECT_EQ(grid->_color, QColor(Qt::red));
    EXPECT_EQ(grid->spacing(), 20);
    EXPECT_TRUE(grid->isAlwaysShown());
    EXPECT_FALSE(Grid_Wizard::defaultInstance()->isVisible());
}

// ---------------------------------------------------------------- library

TEST(PictureLibrary, CategoriesPicturesChoicesAndTheLibraryTool)
{
    StartedEditor e;
    const QString lib = Resource_Path + QStringLiteral("/LibraryImage");
    QDir(lib).removeRecursively();
    QDir(Resource_Path + QStringLiteral("/Background")).removeRecursively();
    picture(lib + QStringLiteral("/party cards/a.png"));
    picture(lib + QStringLiteral("/party cards/b.JPG"));
    bytes(lib + QStringLiteral("/party cards/broken.png"), "not a picture");
    bytes(lib + QStringLiteral("/party cards/c.gif"), "GIF89a");
    picture(lib + QStringLiteral("/BIRTHDAY/cake.png"));
    picture(lib + QStringLiteral("/loose.png"));
    picture(Resource_Path + QStringLiteral("/Background/bg.png"));
    Image_Library* library = Image_Library::defaultInstance();

    // Clip art: categories by their capitalised names, found on a file
    // system that tells case apart; an unreadable picture is refused.
    testResponder().answerAlert(AlertAnswer::Ok);
    testResponder().answerAlert(AlertAnswer::Ok);
    testResponder().onDialog([&](QDialog& d) {
        QComboBox* box = library->cat_cmbo_bx;
        ASSERT_EQ(box->count(), 2);
        EXPECT_EQ(box->itemText(0), QStringLiteral("Birthday"));
        EXPECT_EQ(box->itemText(1), QStringLiteral("Party Cards"));
        EXPECT_EQ(titles(*library), QStringList{QStringLiteral("cake.png")});
        clickText(d, QStringLiteral("OK")); // nothing chosen yet
        box->setCurrentIndex(1);
        EXPECT_EQ(titles(*library), QStringList({"a.png", "b.JPG", "broken.png"}));
        library->_zoom_slider->setValue(90);
        library->imageBrowser->setSelectionIndexes({2});
        clickText(d, QStringLiteral("OK"));
        EXPECT_TRUE(d.isVisible());
        library->imageBrowser->setSelectionIndexes({0});
        clickText(d, QStringLiteral("OK"));
    });
    library->selected_image.clear();
    ASSERT_EQ(e->Open_Image_Library_Window(QStringLiteral("C")), 1);
    EXPECT_EQ(trimmed(testResponder().texts(QStringLiteral("alert"))),
              QStringList({"Please select image.", "Please select image."}));
    EXPECT_EQ(lib_window_sel_file, lib + QStringLiteral("/party cards/a.png"));

    // Backgrounds: no category box, zoom back to 0.4, the last choice kept.
    testResponder().onDialog([&](QDialog& d) {
        EXPECT_TRUE(library->cat_cmbo_bx->isHidden());
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Background Image Library"));
        EXPECT_EQ(library->_zoom_slider->value(), 40);
        EXPECT_DOUBLE_EQ(library->imageBrowser->zoomValue(), 0.4);
        EXPECT_EQ(titles(*library), QStringList{QStringLiteral("bg.png")});
        clickText(d, QStringLiteral("OK"));
    });
    EXPECT_EQ(e->Open_Image_Library_Window(QStringLiteral("B")), 1);
    EXPECT_EQ(lib_window_sel_file, lib + QStringLiteral("/party cards/a.png"));

    // Cancel clears the choice; a vanished category keeps the list shown.
    testResponder().onDialog([&](QDialog& d) { clickText(d, QStringLiteral("Cancel")); });
    EXPECT_EQ(e->Open_Image_Library_Window(QStringLiteral("C")), 0);
    testResponder().answerAlert(AlertAnswer::Ok);
    testResponder().onDialog([&](QDialog& d) {
        QDir(lib + QStringLiteral("/party cards")).removeRecursively();
        library->cat_cmbo_bx->setCurrentIndex(1);
        EXPECT_EQ(titles(*library), QStringList{QStringLiteral("cake.png")});
        clickText(d, QStringLiteral("OK"));
        EXPECT_EQ(lastAlert(), QStringLiteral("Please select image."));
        library->imageBrowser->setSelectionIndexes({0});
        clickText(d, QStringLiteral("OK"));
    });
    // The library tool places the chosen picture on the card.
    e->Image_Library_Tool_Clicked(nullptr);
    const auto graphics = e->Get_Front_Controls_Array();
    ASSERT_FALSE(graphics.empty());
    EXPECT_EQ(graphics.front()->className(), QStringLiteral("QBXImage"));
    EXPECT_EQ(graphics.front()->_file_path, lib + QStringLiteral("/BIRTHDAY/cake.png"));
}

// ---------------------------------------------------------------- templates

namespace {

void resetTemplateFolders()
{
    QDir(Resource_Path + QStringLiteral("/Templates")).removeRecursively();
    QDir().mkpath(Resource_Path + QStringLiteral("/Templates/User"));
}

int indexOf(const Picture_Browser_List& list, const QString& title)
{
    return int(titles(list).indexOf(title));
}

// Scripts the name dialog: each name typed in turn and OK pressed; the
// dialog is cancelled when it is still open after the last.
void nameDialog(const QStringList& names)
{
    testResponder().onDialog([names](QDialog& d) {
        for (const QString& name : names) {
            d.findChild<QLineEdit*>(QStringLiteral("template_name"))->setText(name);
            click(d, QStringLiteral("OKPressed"));
            if (!d.isVisible())
                return;
        }
        click(d, QStringLiteral("CancelPressed"));
    });
}

} // namespace

TEST(TemplateBrowser, ListsAndUserCommandsKeepWholePairs)
{
    StartedEditor e;
    resetTemplateFolders();
    const QString builtIn = Resource_Path + QStringLiteral("/Templates");
    const QString user = builtIn + QStringLiteral("/User");
    picture(builtIn + QStringLiteral("/Classic.png"));
    bytes(builtIn + QStringLiteral("/Classic.dcard"), "d");
    for (const QString& base : {QStringLiteral("Party"), QStringLiteral("Party (copy 1)"), QStringLiteral("Party (copy 3)")}) {
        picture(user + QLatin1Char('/') + base + QStringLiteral(".png"));
        bytes(user + QLatin1Char('/') + base + QStringLiteral(".dcard"), base.toUtf8());
    }
    bytes(user + QStringLiteral("/Birthday.dcard"), "lone design");
    picture(user + QStringLiteral("/Gift.png")); // a lone preview
    Card_Shape = 1;
    Template_Wizard* w = Template_Wizard::defaultInstance();

    testResponder().onDialog([&](QDialog& d) {
        EXPECT_EQ(titles(*w), QStringList{QStringLiteral("Classic.png")});
        EXPECT_EQ(Selected_Template_Path, builtIn + QStringLiteral("/Classic.png"));
        EXPECT_TRUE(w->Copy_temp_btn->isHidden());
        // A built-in choice is never copied, renamed or deleted.
        testResponder().answerAlert(AlertAnswer::Ok);
        w->Copy_Templatee_Click();
        EXPECT_EQ(lastAlert(), QStringLiteral("Please select template."));
        EXPECT_EQ(QDir(builtIn).entryList(QDir::Files).size(), 2);

        w->cat_cmbo_bx->setCurrentIndex(1);
        EXPECT_FALSE(w->Copy_temp_btn->isHidden());
        EXPECT_EQ(titles(*w), QStringList({"Gift.png", "Party (copy 1).png", "Party (copy 3).png", "Party.png"}));
        const quint64 first = User_Defined_File - 4;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(w->images[size_t(i)].image_UID, QString::asprintf("TEMP%llu.png", first + quint64(i)));

        // Copy: the first free number whose design and preview are free.
        w->imageBrowser->setSelectionIndexes({indexOf(*w, QStringLiteral("Party.png"))});
        testResponder().answerAlert(AlertAnswer::Yes);
        w->Copy_Templatee_Click();
        EXPECT_TRUE(QFile::exists(user + QStringLiteral("/Party (copy 2).png")));
        EXPECT_TRUE(QFile::exists(user + QStringLiteral("/Party (copy 2).dcard")));
        EXPECT_EQ(w->images.front().image_UID, QString::asprintf("TEMP%llu.png", first + 4)) << "never reused";

        // Rename: to itself nothing happens; taken names and unsafe names
        // are refused in the dialog; then a free name moves the pair.
        w->imageBrowser->setSelectionIndexes({indexOf(*w, QStringLiteral("Party.png"))});
        nameDialog({QStringLiteral("Party")});
        w->Rename_Template_Click();
        EXPECT_TRUE(QFile::exists(user + QStringLiteral("/Party.dcard")));
        w->imageBrowser->setSelectionIndexes({indexOf(*w, QStringLiteral("Party.png"))});
        for (int i = 0; i < 5; ++i)
            testResponder().answerAlert(AlertAnswer::Ok);
        nameDialog({QStringLiteral("Birthday"), QStringLiteral("Gift"), QStringLiteral("a/b"), QStringLiteral(".."),
                    QStringLiteral(".x")});
        w->Rename_Template_Click();
        EXPECT_EQ(trimmed(testResponder().texts(QStringLiteral("alert")).mid(1)),
                  QStringList({"Template with this name already exists.", "Template with this name already exists.",
                               "Template name cannot contain the character \"/\".",
                               "Template name cannot start with \".\".", "Template name cannot start with \".\"."}));
        w->imageBrowser->setSelectionIndexes({indexOf(*w, QStringLiteral("Party.png"))});
        nameDialog({QStringLiteral(" /Wedding* ")});
        w->Rename_Template_Click();
        EXPECT_FALSE(QFile::exists(user + QStringLiteral("/Party.png")));
        EXPECT_FALSE(QFile::exists(user + QStringLiteral("/Party.dcard")));
        QFile moved(user + QStringLiteral("/Wedding.dcard"));
        ASSERT_TRUE(moved.open(QIODevice::ReadOnly));
        EXPECT_EQ(moved.readAll(), QByteArray("Party"));

        // Delete: No keeps it; a failing second step keeps the pair and
        // says so; Yes removes both.
        w->imageBrowser->setSelectionIndexes({indexOf(*w, QStringLiteral("Wedding.png"))});
        testResponder().answerAlert(AlertAnswer::No);
        w->Delete_Template_Click();
        EXPECT_TRUE(QFile::exists(user + QStringLiteral("/Wedding.png")));
        testResponder().answerAlert(AlertAnswer::Yes);
        testResponder().answerAlert(AlertAnswer::Ok);
        platform::failFileOperation(2);
        w->Delete_Template_Click();
        platform::failFileOperation(0);
        EXPECT_EQ(lastAlert(), QStringLiteral("Template could not be deleted."));
        EXPECT_TRUE(QFile::exists(user + QStringLiteral("/Wedding.png")));
        EXPECT_TRUE(QFile::exists(user + QStringLiteral("/Wedding.dcard")));
        w->imageBrowser->setSelectionIndexes({indexOf(*w, QStringLiteral("Wedding.png"))});
        testResponder().answerAlert(AlertAnswer::Yes);
        w->Delete_Template_Click();
        EXPECT_EQ(indexOf(*w, QStringLiteral("Wedding.png")), -1);
        click(d, QStringLiteral("CancelClick"));
    });
    EXPECT_EQ(w->Open_Template_Window(), 0);
    EXPECT_EQ(Selected_Template_Path, QString());
    EXPECT_EQ(Card_Shape.load(), 1) << "Cancel keeps the design's outline";
    EXPECT_EQ(userFiles(), QStringList({"Birthday.dcard", "Gift.png", "Party (copy 1).dcard", "Party (copy 1).png",
                                        "Party (copy 2).dcard", "Party (copy 2).png", "Party (copy 3).dcard",
                                        "Party (copy 3).png"}));
}

TEST(TemplateBrowser, ExportedTemplatesLoadAndAFailedLoadKeepsTheDesign)
{
    StartedEditor e;
    resetTemplateFolders();
    const QString user = Resource_Path + QStringLiteral("/Templates/User");
    const QSizeF card(242.64, 153.36);
    e->Front_card_Prop.Card_Size = card;
    e->SetDocumentCanvasSize(card);
    e->Front_card_Prop.Card_Shape = QStringLiteral("E");
    e->Front_card_Prop.Card_fill_chk = true;
    e->Front_card_Prop.Card_fill_style = QStringLiteral("S");
    e->Front_card_Prop.Card_fill_clr = QColor(Qt::red);
    e->Rect_Tool_Clicked(nullptr);
    Project_File_Name = QStringLiteral("");

    // Saved through the editor's export: a design log and a preview with
    // the front above the back.
    nameDialog({QStringLiteral("Wedding")});
    testResponder().answerAlert(AlertAnswer::Ok);
    e->Export_As_Template_Clicked(nullptr);
    EXPECT_EQ(lastAlert(), QStringLiteral("Template exported successfully."));
    ASSERT_EQ(userFiles(), QStringList({"Wedding.dcard", "Wedding.png"}));
    const testsupport::ProcessResult check = testsupport::python(QStringLiteral(R"(
import math, plistlib, sys
from PIL import Image
with open(sys.argv[1], 'rb') as f:
    log = plistlib.load(f)
first = log[0] if isinstance(log, list) else log
assert 'VELTCARDPROJECTHEADER' in repr(first), repr(first)[:200]
im = Image.open(sys.argv[2]).convert('RGB')
w, h = float(sys.argv[3]), float(sys.argv[4])
assert im.size == (math.ceil(w), 2 * math.ceil(h)), im.size
dpi = Image.open(sys.argv[2]).info.get('dpi', (72, 72))
assert abs(dpi[0] - 72) < 0.5, dpi
top = im.getpixel((im.size[0] // 2, 2))
bottom = im.getpixel((im.size[0] // 2, im.size[1] - 3))
assert top[0] > 200 and top[1] < 60, top
assert bottom != top, bottom
print('ok')
)"),
                                                                 {user + QStringLiteral("/Wedding.dcard"),
                                                                  user + QStringLiteral("/Wedding.png"),
                                                                  QString::number(card.width()),
                                                                  QString::number(card.height())});
    EXPECT_EQ(check.out.trimmed(), QByteArray("ok")) << check.err.toStdString();

    // A taken name asks; No returns to the dialog, Yes replaces the pair.
    testResponder().answerAlert(AlertAnswer::No);
    nameDialog({QStringLiteral("Wedding")});
    e->Export_As_Template_Clicked(nullptr);
    EXPECT_EQ(lastAlert(),
              QStringLiteral("Template with this name already exists, Do you want to replace the existing template?"));
    testResponder().answerAlert(AlertAnswer::Yes);
    testResponder().answerAlert(AlertAnswer::Ok);
    nameDialog({QStringLiteral("Wedding")});
    e->Export_As_Template_Clicked(nullptr);
    EXPECT_EQ(lastAlert(), QStringLiteral("Template exported successfully."));
    EXPECT_EQ(userFiles().size(), 2);

    // OK loads the chosen template as a new, unnamed design.
    Card_Shape = 1;
    Template_Wizard* w = Template_Wizard::defaultInstance();
    const auto choose = [&](const QString& title, bool profile) {
        testResponder().onDialog([&, title, profile](QDialog& d) {
            if (profile) {
                // The wizard-time profile form, filled before the choice.
                testResponder().onDialog([](QDialog&) {
                    User_profile* form = User_profile::defaultInstance();
                    form->rows[0].value->setText(QStringLiteral("Ada"));
                    form->ok_btn->click();
                });
                click(d, QStringLiteral("User_Profile_Click"));
            }
            w->cat_cmbo_bx->setCurrentIndex(1);
            w->imageBrowser->setSelectionIndexes({indexOf(*w, title)});
            click(d, QStringLiteral("OK_Click"));
        });
    };
    choose(QStringLiteral("Wedding.png"), true);
    testResponder().answerAlert(AlertAnswer::No); // no save first
    QAction* templates = e->window->findChild<QAction*>(QStringLiteral("Templates_Btn"));
    ASSERT_TRUE(templates);
    templates->trigger();
    EXPECT_EQ(Selected_Template_Path, user + QStringLiteral("/Wedding.dcard"));
    EXPECT_EQ(Card_Shape.load(), 2);
    EXPECT_EQ(Project_File_Name, QString());
    // The profile filled in the browser is placed on both sides of the
    // loaded design.
    EXPECT_EQ(e->Front_user_profile->Name, QStringLiteral("Ada"));
    ASSERT_EQ(e->Get_Front_Controls_Array().size(), 2u);
    ASSERT_EQ(e->Get_Back_Controls_Array().size(), 1u);
    EXPECT_EQ(e->Get_Back_Controls_Array().front()->Text_contents().text, QStringLiteral("Ada"));

    // A preview without a readable design: the reader refuses it, the design
    // and its outline stay.
    picture(user + QStringLiteral("/Broken.png"));
    bytes(user + QStringLiteral("/Broken.dcard"), "not a design log");
    Card_Shape = 1;
    choose(QStringLiteral("Broken.png"), false);
    testResponder().answerAlert(AlertAnswer::No);
    testResponder().answerAlert(AlertAnswer::Ok);
    e->Templates_Btn_Clicked(nullptr);
    EXPECT_TRUE(lastAlert().startsWith(QStringLiteral("File is corrupt and cannot be opened.\n\nBroken.dcard: ")));
    EXPECT_EQ(Card_Shape.load(), 1);
    EXPECT_EQ(e->Get_Front_Controls_Array().size(), 2u);
}

// ---------------------------------------------------------------- card size

TEST(CardSizeWizard, PresetsOrientationReopeningAndTheCardCommand)
{
    StartedEditor e;
    Card_Wizard* w = Card_Wizard::defaultInstance();
    Card_Size_List* list = w->size_list;
    const auto shown = [list] { return list->width_Text->text() + QStringLiteral(" x ") + list->height_Text->text(); };
    Card_Shape = 1;
    testResponder().onDialog([&](QDialog& d) {
        EXPECT_EQ(shown(), QStringLiteral("85.598 x 54.102"));
        list->Category_ComboBox->setCurrentIndex(1);
        list->Preset_ComboBox->setCurrentIndex(1);
        EXPECT_EQ(shown(), QStringLiteral("59.944 x 40.132")) << "the orientation alone changes nothing";
        list->ColList->selectRow(7);
        EXPECT_EQ(shown(), QStringLiteral("125.984 x 150.114"));
        w->matrix_card_shape->button(2)->click();
        EXPECT_EQ(Card_Shape.load(), 2);
        click(d, QStringLiteral("CancelClick"));
    });
    EXPECT_EQ(w->Open_Wnd(), 0);
    EXPECT_EQ(Card_Shape.load(), 1) << "Cancel keeps the design's outline";

    testResponder().onDialog([&](QDialog& d) {
        EXPECT_EQ(list->Category_ComboBox->currentIndex(), 0);
        EXPECT_EQ(shown(), QStringLiteral("85.598 x 54.102"));
        list->ColList->selectRow(5);
        click(d, QStringLiteral("OK_Click"));
    });
    EXPECT_EQ(w->Open_Wnd(), 1);
    testResponder().onDialog([&](QDialog& d) {
        EXPECT_EQ(shown(), QStringLiteral("82.55 x 59.436")) << "CR60 stays chosen";
        EXPECT_TRUE(w->matrix_card_shape->button(0)->isChecked());
        list->ColList->selectRow(0);
        w->matrix_card_shape->button(2)->click();
        click(d, QStringLiteral("OK_Click"));
    });
    ASSERT_TRUE(e->Card_Size_btn && e->card_setting_tab->view()->isAncestorOf(e->Card_Size_btn));
    e->Card_Size_btn->click();
    for (QBXGraphicView* canvas : {e->_graphicView, e->_graphicView_BACK, e->_graphicView_TEMP}) {
        EXPECT_NEAR(canvas->frameSize().width(), 242.64, 0.01);
        EXPECT_NEAR(canvas->frameSize().height(), 153.36, 0.01);
    }
    EXPECT_NEAR(e->Front_card_Prop.Card_Size.width(), 242.64, 0.01);
    EXPECT_NEAR(e->Front_card_Prop.Card_Size.height(), 153.36, 0.01);
    EXPECT_EQ(e->Front_card_Prop.Card_Shape, QStringLiteral("E"));
    EXPECT_TRUE(e->matrix_card_shape->button(2)->isChecked());
    EXPECT_EQ(e->width_Text->text(), QStringLiteral("85.598"));
}

// ---------------------------------------------------------------- screens

namespace {

// Lets the shown dialog paint, then captures the whole screen from outside Qt.
bool captureScreen(const QString& path)
{
    QEventLoop wait;
    QTimer::singleShot(400, &wait, &QEventLoop::quit);
    wait.exec();
    return QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path}) == 0;
}

} // namespace

// The part that runs inside xvfb: each dialog opened and captured.
TEST(DialogScreenChild, CaptureEachDialog)
{
    const QString out = qEnvironmentVariable("CW_DIALOG_SHOTS");
    if (out.isEmpty())
        GTEST_SKIP() << "run by DialogScreens.UnderXvfb";
    StartedEditor e;
    resetTemplateFolders();
    for (int i = 0; i < 4; ++i)
        picture(Resource_Path + QStringLiteral("/Templates/T%1.png").arg(i), QColor::fromHsv(i * 80, 200, 220));
    picture(Resource_Path + QStringLiteral("/LibraryImage/party cards/a.png"), Qt::magenta);
    const auto shoot = [&](const QString& name, const QString& button) {
        testResponder().onDialog([out, name, button](QDialog& d) {
            EXPECT_TRUE(captureScreen(out + QLatin1Char('/') + name + QStringLiteral(".png")));
            clickText(d, button);
        });
    };
    shoot(QStringLiteral("grid"), QStringLiteral("Cancel"));
    e->toggleGridShowing(nullptr);
    shoot(QStringLiteral("library"), QStringLiteral("Cancel"));
    e->Open_Image_Library_Window(QStringLiteral("C"));
    shoot(QStringLiteral("templates"), QStringLiteral("Cancel"));
    e->Templates_Btn_Clicked(nullptr);
    shoot(QStringLiteral("card_size"), QStringLiteral("Cancel"));
    e->Card_Size_Btn_Clicked(nullptr);
    shoot(QStringLiteral("template_name"), QStringLiteral("Cancel"));
    e->Export_As_Template_Clicked(nullptr);
}

TEST(DialogScreens, UnderXvfb)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty())
        GTEST_SKIP() << "xvfb-run and ImageMagick's import are needed";
    QTemporaryDir dir;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("CW_DIALOG_SHOTS"), dir.path());
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("xvfb-run"),
                {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1280x1024x24"),
                 QCoreApplication::applicationFilePath(), QStringLiteral("--gtest_filter=DialogScreenChild.*")});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QByteArray log = child.readAll();
    ASSERT_EQ(child.exitCode(), 0) << log.toStdString();
    for (const char* name : {"grid", "library", "templates", "card_size", "template_name"}) {
        const QImage shot(dir.filePath(QString::fromLatin1(name) + QStringLiteral(".png")));
        ASSERT_FALSE(shot.isNull()) << name;
        std::set<QRgb> colours;
        for (int y = 0; y < shot.height(); y += 2) {
            for (int x = 0; x < shot.width(); x += 2)
                colours.insert(shot.pixel(x, y) & 0xffffff);
        }
        EXPECT_GT(colours.size(), 50u) << name;
        EXPECT_TRUE(colours.count(qRgb(241, 244, 250) & 0xffffff)) << name << ": the dialogs' background";
    }
}
