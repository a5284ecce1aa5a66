// The start wizard over the started editor: a new card laid on the front,
// the open-design choice through the reader, Exit, and the page checks.
#include "support_editor.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXGrid.h"
#include "drawing/QBXText.h"
#include "platform/process_end.h"
#include "support/process_end_guard.h"
#include "platform/stepper.h"
#include "support/bounded_wait.h"
#include "support/test_responder.h"
#include "wizards/Invitation_Wizard.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

using Answer = platform::modal::AlertAnswer;

Invitation_Wizard* wizard()
{
    return Invitation_Wizard::defaultInstance();
}

// The resource folder's pictures and lists, written fresh for each test.
void seedResources(int pictures = 4)
{
    const QDir res(Resource_Path);
    QDir(res.filePath("Background")).removeRecursively();
    res.mkpath("Background");
    for (int i = 0; i < pictures; ++i) {
        QImage image(80, 60, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(i * 60, 200, 220));
        ASSERT_TRUE(image.save(res.filePath(QStringLiteral("Background/bg%1.png").arg(i))));
    }
    QFile title(res.filePath("Title.txt"));
    ASSERT_TRUE(title.open(QIODevice::WriteOnly));
    title.write("  Party Time  \r\nSecond Title\r\nThird Title\r\n");
    title.close();
    QFile message(res.filePath("Message.txt"));
    ASSERT_TRUE(message.open(QIODevice::WriteOnly));
    message.write("First message\nSecond message\n");
}

struct Texts {
    QString id, text;
    QRectF bounds;
    int alignment;
    QFont font;
};

std::vector<Texts> frontTexts(QBXWindowController* c)
{
    std::vector<Texts> out;
    for (const GraphicPtr& g : c->Get_Front_Controls_Array())
        out.push_back({g->control_ID, g->Text_Value, g->bounds(), g->text_alignmnet, g->text_ctrl_font});
    return out;
}

class StartWizard : public ::testing::Test {
protected:
    void SetUp() override
    {
        seedResources();
        platform::setProcessEndHandler([this](int status) { ended.push_back(status); });
        QBXWindowController::designLogReader() = nullptr;
    }
    void TearDown() override
    {
        platform::setProcessEndHandler({});
        QBXWindowController::designLogReader() = nullptr;
    }
    StartedEditor e;
    std::vector<int> ended;
};

} // namespace

TEST(StartWizardStartUp, TheFirstModalRunIsTheWizard)
{
    StartedEditor e;
    ASSERT_TRUE(e.started);
    const auto requests = testResponder().requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.front().kind, QStringLiteral("dialog"));
    EXPECT_EQ(requests.front().text, wizard()->window->windowTitle());
    EXPECT_EQ(e.endedWith, 0);
    EXPECT_EQ(Start_Card_Option, QString());
    EXPECT_TRUE(e->Get_Front_Controls_Array().empty());
}

TEST_F(StartWizard, NewCardLaysTheTextsOnTheFrontOverThePicture)
{
    Invitation_Wizard* w = wizard();
    testResponder().onDialog([w](QDialog&) {
        w->Using_Wizard_btn->click();              // start screen -> page 1
        EXPECT_EQ(w->width_Stepper->value(), 120);
        w->Next_btn->click();                      // page 2, first picture chosen
        EXPECT_EQ(w->next_counter, 2);
        EXPECT_TRUE(w->selected_image.endsWith("bg0.png"));
        w->imageBrowser->setSelectionIndexes({2}); // a click on picture 3
        EXPECT_EQ(w->next_counter, 3);
        EXPECT_EQ(w->msg_title->text(), QStringLiteral("Party Time  "));
        w->title_bk_btn->click();                  // wraps to the last title
        EXPECT_EQ(w->msg_title->text(), QStringLiteral("Third Title"));
        w->title_nxt_btn->click();
        w->msg_bk_btn->click();
        w->msg_nxt_btn->click();
        w->Next_btn->click();                      // page 4
        EXPECT_EQ(w->next_counter, 4);
        w->to_value->setText(QStringLiteral(" X "));
        w->from_value->setText(QStringLiteral("Y"));
        w->Next_btn->click();
    });
    e->New_Project();
    EXPECT_TRUE(ended.empty());
    EXPECT_EQ(Start_Card_Option, QStringLiteral("W"));
    EXPECT_EQ(Invite_Title, QStringLiteral("Party Time"));
    EXPECT_EQ(Invite_To, QStringLiteral("X"));
    EXPECT_EQ(Invite_Message, QStringLiteral("First message"));
    EXPECT_TRUE(Invite_BG_IMG.endsWith("bg2.png"));
    EXPECT_EQ(float(e->Front_card_Prop.Card_Size.width()), 340.15747f);
    EXPECT_EQ(float(e->Front_card_Prop.Card_Size.height()), 340.15747f);

    const float w260 = 260.15747f;
    EXPECT_EQ(float(340.15747f - 80.0), w260);
    const std::vector<Texts> texts = frontTexts(e.controller.get());
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0].id, QStringLiteral("PARTY_FROM"));
    EXPECT_EQ(texts[0].text, QStringLiteral("From:\nY"));
    EXPECT_EQ(texts[0].bounds, QRectF(40, 250, w260, 40));
    EXPECT_EQ(texts[1].id, QStringLiteral("PARTY_MSG"));
    EXPECT_EQ(texts[1].bounds, QRectF(50, 120, w260, 80));
    EXPECT_EQ(texts[2].id, QStringLiteral("PARTY_TO"));
    EXPECT_EQ(texts[2].text, QStringLiteral("Dear X,"));
    EXPECT_EQ(texts[2].bounds, QRectF(30, 90, w260, 20));
    EXPECT_EQ(texts[3].id, QStringLiteral("PARTY_TITLE"));
    EXPECT_EQ(texts[3].bounds, QRectF(40, 40, w260, 30));
    EXPECT_EQ(float(texts[3].bounds.width()), w260);
    EXPECT_EQ((std::vector<int>{texts[0].alignment, texts[1].alignment, texts[2].alignment, texts[3].alignment}),
              (std::vector<int>{1, 0, 0, 2}));
    EXPECT_EQ(texts[3].font.family(), QStringLiteral("TimesNewRomanPS-BoldItalicMT"));
    EXPECT_EQ(texts[3].font.pointSizeF(), 18.0);
    const QFont plain = QBXText().text_ctrl_font;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(texts[size_t(i)].font, plain) << i;
    for (const GraphicPtr& g : e->Get_Front_Controls_Array()) {
        EXPECT_EQ(g->className(), QStringLiteral("QBXText"));
        EXPECT_FALSE(g->isDrawingFill());
    }
    EXPECT_EQ(e->Front_card_Prop.Card_fill_style, QStringLiteral("I"));
    EXPECT_TRUE(e->Front_card_Prop.Card_fill_chk);
    EXPECT_EQ(e->Front_card_Prop.Card_BG_Image_Path, Invite_BG_IMG);
    EXPECT_FALSE(e->Front_card_Prop.Card_BG_Image.isNull());
    EXPECT_FALSE(e.document->undoManager()->canUndo());
    EXPECT_TRUE(e.document->undoManager()->isUndoRegistrationEnabled());
    EXPECT_TRUE(e->Get_Back_Controls_Array().empty());

    // The card's panel is shown: no text keeps handles, and the edit buttons
    // agree with that.
    EXPECT_TRUE(e->_graphicView->selectionIndexes().empty());
    EXPECT_FALSE(e->Cut_btn->isEnabled() || e->Copy_btn->isEnabled() || e->Delete_btn->isEnabled());
    EXPECT_FALSE(e->Undo_btn->isEnabled());
    // "From:" and the name draw as two lines.
    QImage drawn(340, 340, QImage::Format_ARGB32);
    drawn.fill(Qt::white);
    {
        QPainter painter(&drawn);
        e->Get_Front_Controls_Array()[0]->drawContentsInView(&painter, DrawingContext{}, false);
    }
    int lines = 0;
    bool inLine = false;
    for (int y = 0; y < drawn.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < drawn.width() && !ink; ++x)
            ink = qGray(drawn.pixel(x, y)) < 128;
        lines += ink && !inLine;
        inLine = ink;
    }
    EXPECT_EQ(lines, 2);
}

TEST_F(StartWizard, TitleAndMessageAloneAndSnappingCorners)
{
    e->Front_card_Prop.Card_Size = QSizeF(340.15747f, 200);
    Invite_Title = QStringLiteral("T");
    Invite_Message = QStringLiteral("M");
    Invite_To = Invite_From = Invite_Date = Invite_Time = Invite_Venue = Invite_BG_IMG = QString();
    e->Fill_Party_Invidation_Details();
    std::vector<Texts> texts = frontTexts(e.controller.get());
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].id, QStringLiteral("PARTY_MSG"));
    EXPECT_EQ(texts[0].bounds.topLeft(), QPointF(50, 90));
    EXPECT_EQ(e->Front_card_Prop.Card_fill_style, QStringLiteral("S")); // no picture: unchanged

    // Date, time and venue: the date carries the time; the sender moves
    // 70 points for a venue.
    e->New_Project_Setting_Reset();
    e->Front_card_Prop.Card_Size = QSizeF(340.15747f, 200);
    Invite_Date = QStringLiteral("Friday, 1 May 2026");
    Invite_Time = QStringLiteral("7:30 PM");
    Invite_Venue = QStringLiteral("Hall");
    Invite_From = QStringLiteral("Z");
    e->Fill_Party_Invidation_Details();
    texts = frontTexts(e.controller.get());
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0].id, QStringLiteral("PARTY_FROM"));
    EXPECT_EQ(texts[0].bounds.y(), 40 + 50 + 80 + 30 + 70);
    EXPECT_EQ(texts[1].id, QStringLiteral("PARTY_VENUE"));
    EXPECT_EQ(texts[1].text, QStringLiteral("Venue:\nHall"));
    EXPECT_EQ(texts[1].alignment, 2);
    EXPECT_EQ(texts[2].id, QStringLiteral("PARTY_DATE"));
    EXPECT_EQ(texts[2].text, QStringLiteral("Friday, 1 May 2026 at 7:30 PM"));

    // A constraining grid snaps both corners to the nearest grid point.
    e->New_Project_Setting_Reset();
    e->Front_card_Prop.Card_Size = QSizeF(340.15747f, 200);
    Invite_Message = Invite_Date = Invite_Time = Invite_Venue = Invite_From = QString();
    e->grid()->setConstraining(true);
    e->Fill_Party_Invidation_Details();
    e->grid()->setConstraining(false);
    texts = frontTexts(e.controller.get());
    ASSERT_EQ(texts.size(), 1u);
    // The far corner snaps from the snapped origin plus the size.
    EXPECT_EQ(texts[0].bounds, QRectF(QPointF(36, 36), QPointF(297, 63)));
}

TEST_F(StartWizard, ExitEndsTheProgramAndPlacesNothing)
{
    testResponder().onDialog([](QDialog&) { wizard()->Exit_btn->click(); });
    e->New_Project();
    EXPECT_EQ(ended, std::vector<int>{0});
    EXPECT_EQ(Start_Card_Option, QString());
    EXPECT_TRUE(e->Get_Front_Controls_Array().empty());
}

TEST_F(StartWizard, OpenDesignGoesThroughThePanelAndTheReader)
{
    QStringList read;
    // Loaded: the run ends with 1, "L", nothing placed.
    QBXWindowController::designLogReader() = [&read](const QString& path, const QString& mode) {
        read << path + "|" + mode;
        return 1;
    };
    testResponder().answerFilePanel({QStringLiteral("/designs/card.dcard")});
    testResponder().onDialog([](QDialog&) { wizard()->Open_Log_btn->click(); });
    e->New_Project();
    EXPECT_TRUE(ended.empty());
    EXPECT_EQ(read, QStringList{QStringLiteral("/designs/card.dcard|L")});
    EXPECT_EQ(Start_Card_Option, QStringLiteral("L"));
    EXPECT_TRUE(e->Get_Front_Controls_Array().empty());

    // Not loaded, then a cancelled panel: the start screen stays with "L";
    // New card afterwards gives "W".
    QBXWindowController::designLogReader() = [](const QString&, const QString&) { return 0; };
    testResponder().answerFilePanel({QStringLiteral("/designs/bad.dcard")});
    testResponder().answerFilePanel({});
    testResponder().onDialog([](QDialog&) {
        Invitation_Wizard* w = wizard();
        w->Open_Log_btn->click();
        EXPECT_EQ(w->pages->currentWidget(), w->Start_card_box);
        w->Open_Log_btn->click();
        EXPECT_EQ(w->pages->currentWidget(), w->Start_card_box);
        EXPECT_EQ(Start_Card_Option, QStringLiteral("L"));
        w->Using_Wizard_btn->click();
        EXPECT_EQ(Start_Card_Option, QStringLiteral("W"));
        w->Next_btn->click();
        w->Next_btn->click();
        w->Next_btn->click();
        w->Next_btn->click();
    });
    e->New_Project();
    EXPECT_EQ(Start_Card_Option, QStringLiteral("W"));
    EXPECT_EQ(e->Get_Front_Controls_Array().size(), 2u); // title and message
}

TEST_F(StartWizard, PageChecksRefuseWithTheirMessagesAndFocus)
{
    // A truncated first picture is refused on page 2; an empty title and a
    // message of blanks on page 3.
    const QDir res(Resource_Path);
    {
        QFile first(res.filePath("Background/bg0.png"));
        ASSERT_TRUE(first.open(QIODevice::ReadWrite));
        first.resize(first.size() / 2);
    }
    testResponder().answerAlert(Answer::Ok);
    testResponder().answerAlert(Answer::Ok);
    testResponder().answerAlert(Answer::Ok);
    testResponder().onDialog([](QDialog& window) {
        Invitation_Wizard* w = wizard();
        w->Using_Wizard_btn->click();
        w->Next_btn->click();
        w->Next_btn->click(); // bg0.png is cut short
        EXPECT_EQ(w->next_counter, 2);
        w->imageBrowser->setSelectionIndexes({1});
        EXPECT_EQ(w->next_counter, 3);
        w->msg_title->setText(QString());
        w->Next_btn->click();
        EXPECT_EQ(window.focusWidget(), w->msg_title);
        w->msg_title->setText(QStringLiteral("Title"));
        w->msg_value->setText(QStringLiteral(" \t "));
        w->Next_btn->click();
        EXPECT_EQ(window.focusWidget(), w->msg_value);
        EXPECT_EQ(w->next_counter, 3);
        w->Cancel_btn->click();
        w->Exit_btn->click();
    });
    e->New_Project();
    QStringList alerts;
    for (const QString& text : testResponder().texts(QStringLiteral("alert")))
        alerts << text.trimmed();
    EXPECT_EQ(alerts, (QStringList{"Please select background.", "Please select title.", "Please select message."}));
}

TEST_F(StartWizard, NoPicturesStopsPageTwo)
{
    QDir(QDir(Resource_Path).filePath("Background")).removeRecursively();
    testResponder().answerAlert(Answer::Ok);
    testResponder().onDialog([](QDialog&) {
        Invitation_Wizard* w = wizard();
        w->Using_Wizard_btn->click();
        w->Next_btn->click();
        EXPECT_TRUE(w->images.empty());
        w->Next_btn->click();
        EXPECT_EQ(w->next_counter, 2);
        w->Back_Btn->click();
        w->Back_Btn->click();
        w->Exit_btn->click();
    });
    e->New_Project();
    ASSERT_EQ(testResponder().texts(QStringLiteral("alert")).size(), 1);
}

TEST_F(StartWizard, CancelAndBackKeepTheSizeAndResetTheRest)
{
    testResponder().onDialog([](QDialog&) {
        Invitation_Wizard* w = wizard();
        w->Using_Wizard_btn->click();
        w->width_Stepper->setValue(150);
        w->Next_btn->click();
        w->Next_btn->click();
        w->msg_title->setText(QStringLiteral("Changed"));
        w->title_nxt_btn->click();
        w->Cancel_btn->click();
        EXPECT_EQ(w->pages->currentWidget(), w->Start_card_box);
        EXPECT_EQ(w->width_Stepper->value(), 150);
        EXPECT_EQ(w->title_index, 0);
        EXPECT_EQ(w->msg_title->text(), QStringLiteral("Party Time  "));
        EXPECT_TRUE(w->selected_image.isEmpty());
        w->Using_Wizard_btn->click();
        w->Back_Btn->click();
        EXPECT_EQ(w->next_counter, 0);
        EXPECT_EQ(w->width_Stepper->value(), 150);
        w->Back_Btn->click(); // nothing on the start screen
        EXPECT_EQ(w->next_counter, 0);
        w->Exit_btn->click();
    });
    e->New_Project();
}

TEST_F(StartWizard, LengthLimitsDropAWholeEmojiAndClearDetailsAsks)
{
    testResponder().answerAlert(Answer::No);
    testResponder().answerAlert(Answer::Yes);
    testResponder().onDialog([](QDialog&) {
        Invitation_Wizard* w = wizard();
        const QString emoji = QStringLiteral(u"🎈");
        w->msg_title->setText(QString(99, u'a') + emoji);
        w->controlTextDidChange(w->msg_title);
        EXPECT_EQ(w->msg_title->text(), QString(99, u'a'));
        w->msg_value->setText(QString(260, u'm'));
        w->controlTextDidChange(w->msg_value);
        EXPECT_EQ(w->msg_value->text().size(), 250);
        EXPECT_FALSE(w->clear_details_btn->isEnabled());
        w->to_value->setText(QString(39, u't') + emoji);
        w->controlTextDidChange(w->to_value);
        EXPECT_EQ(w->to_value->text(), QString(39, u't'));
        EXPECT_TRUE(w->clear_details_btn->isEnabled());
        w->from_value->setText(QStringLiteral("F"));
        w->Clear_Details_Click(); // No: kept
        EXPECT_EQ(w->from_value->text(), QStringLiteral("F"));
        w->Clear_Details_Click(); // Yes: cleared
        EXPECT_TRUE(w->from_value->text().isEmpty());
        EXPECT_TRUE(w->to_value->text().isEmpty());
        EXPECT_FALSE(w->clear_details_btn->isEnabled());
        w->Exit_btn->click();
    });
    e->New_Project();
}

// Runs inside xvfb: the wizard's window is on the screen before Exit.
TEST(StartWizardScreenChild, ExposedBeforeExit)
{
    if (qEnvironmentVariableIsEmpty("CW_WIZARD_SCREEN"))
        GTEST_SKIP() << "run by StartWizardScreen.ExposedUnderXvfb";
    bool exposed = false;
    testResponder().onDialog([&exposed](QDialog& window) {
        exposed = waitUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); });
        wizard()->Exit_btn->click();
    });
    StartedEditor e(false);
    EXPECT_TRUE(e.started);
    EXPECT_TRUE(exposed);
    EXPECT_EQ(e.endedWith, 0);
}

TEST(StartWizardScreen, ExposedUnderXvfb)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty())
        GTEST_SKIP() << "xvfb-run is needed";
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("CW_WIZARD_SCREEN"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("xvfb-run"), {QStringLiteral("-a"), QCoreApplication::applicationFilePath(),
                                             QStringLiteral("--gtest_filter=StartWizardScreenChild.*")});
    ASSERT_TRUE(child.waitForFinished(kHangMilliseconds));
    const QByteArray log = child.readAll();
    EXPECT_EQ(child.exitCode(), 0) << log.toStdString();
    EXPECT_TRUE(log.contains("[  PASSED  ] 1 test")) << log.toStdString();
}

// Runs in a child process: start-up as the program does it, Exit pressed,
// the real end of the process.
TEST(StartWizardExitChild, ExitEndsTheProcess)
{
    if (qEnvironmentVariableIsEmpty("CW_WIZARD_EXIT"))
        GTEST_SKIP() << "run by StartWizardExit.ProcessEndsWithStatusZero";
    allowRealProcessEnd();
    testResponder().onDialog([](QDialog&) { wizard()->Exit_btn->click(); });
    QBXDocument document;
    QBXWindowController controller;
    controller.setDocument(&document);
    controller.awakeFromNib();
    ADD_FAILURE() << "the program went on after Exit";
}

TEST(StartWizardExit, ProcessEndsWithStatusZero)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CW_WIZARD_EXIT"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=StartWizardExitChild.*")});
    ASSERT_TRUE(child.waitForFinished(kHangMilliseconds));
    const QByteArray log = child.readAll();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << log.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << log.toStdString();
    EXPECT_FALSE(log.contains("went on after Exit")) << log.toStdString();
}

TEST_F(StartWizard, SizesAreTypedWithinTheCardRange)
{
    const auto type = [](QLineEdit* field, const QString& text) {
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    };
    testResponder().onDialog([&](QDialog&) {
        Invitation_Wizard* w = wizard();
        w->Using_Wizard_btn->click();
        type(w->width_Text, QStringLiteral("150"));
        type(w->height_Text, QStringLiteral("tall"));
        EXPECT_EQ(w->height_Text->text(), QStringLiteral("120")) << "no number: the last size stays";
        type(w->height_Text, QStringLiteral("900"));
        EXPECT_EQ(w->height_Text->text(), QStringLiteral("500"));
        type(w->height_Text, QStringLiteral("100"));
        w->Next_btn->click();
        w->Next_btn->click();
        w->Next_btn->click();
        w->Next_btn->click();
    });
    e->New_Project();
    EXPECT_FLOAT_EQ(float(e->Front_card_Prop.Card_Size.width()), 150 * 2.834645669291f);
    EXPECT_FLOAT_EQ(float(e->Front_card_Prop.Card_Size.height()), 100 * 2.834645669291f);
    EXPECT_EQ(e->Front_card_Prop.Card_Cat_index, -1) << "150 x 100 mm is no preset";
}
