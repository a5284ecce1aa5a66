// The small dialogs, the maker's links and the background browser on the
// started window, with the desktop replaced by a recorder.
#include "support_editor.h"

#include "app/Globals.h"
#include "editor/Help_Support.h"
#include "editor/Links.h"
#include "editor/Long_SMS_Dlg.h"
#include "editor/Promotion_Form.h"
#include "editor/Review_Form.h"
#include "platform/workspace.h"
#include "support/hostile_bytes.h"
#include "support/test_responder.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace {

struct Dialogs : ::testing::Test {
    StartedEditor editor;
    QBXWindowController* c = nullptr;
    std::vector<QUrl> opened;

    void SetUp() override
    {
        ASSERT_TRUE(editor.started);
        c = editor.controller.get();
        testResponder().reset();
        platform::workspace::setOpener([this](const QUrl& url) {
            opened.push_back(url);
            return true;
        });
    }
    void TearDown() override
    {
        platform::workspace::setOpener({});
        QFile::remove(Resource_Path + QStringLiteral("/Links.plist"));
        Card_Front_Or_Back = 0;
        EXPECT_TRUE(testResponder().reset()) << "a scripted answer was left unused";
    }
    static void writeLinks(const QByteArray& entries)
    {
        QFile f(Resource_Path + QStringLiteral("/Links.plist"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + entries
                + "</dict></plist>\n");
    }
};

class SmallDialogs : public Dialogs {};
class BackgroundBrowser : public Dialogs {};

} // namespace

TEST_F(SmallDialogs, LongMessageDialogShowsHelpTextsAndKeepsTheLastYes)
{
    Long_SMS_Dlg* d = Long_SMS_Dlg::defaultInstance();
    Cutom_Msg_Title = QStringLiteral("Help title");
    Cutom_Msg_Val = QStringLiteral("Help text");
    d->title_val = QString();
    d->apply_chk_show = false;
    bool noShown = true;
    testResponder().onDialog([&](QDialog&) {
        noShown = d->no_button->isVisible();
        EXPECT_EQ(d->_Msg_Title->text(), QStringLiteral("Help title"));
        EXPECT_EQ(d->_Msg_Val->text(), QStringLiteral("Help text"));
        d->yes_button->click();
    });
    EXPECT_EQ(d->Open_Long_sms_Dialog(), 1);
    EXPECT_FALSE(noShown);

    d->title_val = QStringLiteral("Question");
    d->msg_val_str = QStringLiteral("Apply?");
    d->apply_chk_show = true;
    testResponder().onDialog([&](QDialog&) {
        d->apply_chk->setChecked(true);
        d->yes_button->click();
    });
    EXPECT_EQ(d->Open_Long_sms_Dialog(), 1);
    EXPECT_TRUE(Msg_Apply_All_Chk);
    testResponder().onDialog([&](QDialog&) {
        d->apply_chk->setChecked(false);
        d->no_button->click();
    });
    EXPECT_EQ(d->Open_Long_sms_Dialog(), 0);
    EXPECT_TRUE(Msg_Apply_All_Chk) << "No keeps what the last Yes left";
    d->title_val.reset();
    d->apply_chk_show = false;

    // The data-source help opens it with its own texts.
    testResponder().onDialog([&](QDialog&) { d->yes_button->click(); });
    c->Data_Source_Help_Button(nullptr);
    EXPECT_EQ(Cutom_Msg_Title, QStringLiteral("Batch Processing Settings Help :"));
    EXPECT_EQ(d->_Msg_Val->text(), Cutom_Msg_Val);
}

TEST_F(SmallDialogs, HelpReviewAndPromotionOpenTheirLinks)
{
    auto* help = static_cast<Help_Support*>(c->HelpWindow);
    const QString pdf = Resource_Path + QStringLiteral("/Help.pdf");
    QFile::remove(pdf);
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    help->HelpFilePressed();
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")), QStringList{QStringLiteral("\nHelp file does not exist!")});
    EXPECT_TRUE(opened.empty());
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("%PDF-1.4\n");
    f.close();
    help->HelpFilePressed();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened.back(), QUrl::fromLocalFile(pdf));

    writeLinks("<key>Review_Page</key><string>https://example.org/review?x=1&amp;y=2</string>"
               "<key>Promotion</key><dict><key>R</key><dict><key>Title</key><string>Sheets</string>"
               "<key>Order</key><string>https://example.org/order/r</string></dict></dict>");
    testResponder().onDialog([](QDialog& d) { static_cast<Review_Form&>(d).Review_Clicked(); });
    EXPECT_EQ(Review_Form::defaultInstance()->Open_Review_Form_Window(), 1);
    EXPECT_EQ(opened.back(), QUrl(QStringLiteral("https://example.org/review?x=1&y=2")));

    QString title;
    bool mailOn = true;
    testResponder().onDialog([&](QDialog& d) {
        auto& form = static_cast<Promotion_Form&>(d);
        title = form.Software_title->text();
        mailOn = form.mail_btn->isEnabled();
        form.order_btn->click();
        form.OK_Clicked();
    });
    c->Open_Promotion(QStringLiteral("R"));
    EXPECT_EQ(title, QStringLiteral("Sheets"));
    EXPECT_FALSE(mailOn) << "an empty link greys its button";
    EXPECT_EQ(opened.back(), QUrl(QStringLiteral("https://example.org/order/r")));
    EXPECT_EQ(opened.size(), 3u);
}

TEST_F(SmallDialogs, LinksAreEncodedCheckedAndEmptyOnesOpenNothing)
{
    const QString subject = QStringLiteral("Cards & more+");
    const QUrl mail = links::mailLink(QStringLiteral("help@example.org"), subject,
                                      QStringLiteral("Line one é\nline two"));
    const QByteArray encoded = mail.toEncoded();
    EXPECT_TRUE(encoded.startsWith("mailto:help@example.org?subject=Cards%20%26%20more%2B&body=")) << encoded.data();
    EXPECT_TRUE(encoded.contains("%0A%0A")) << encoded.data();
    const QUrlQuery query(mail);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded), subject);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded),
              QStringLiteral("Line one é\n\nline two"));

    // A corrupt Links.plist gives no links; bad schemes and empty links open
    // nothing.
    writeLinks("<key>Website_1</key><string>file:///etc/passwd</string><key>Website_2");
    c->Open_Website_1();
    // Links declared in another encoding (EBCDIC, with 80,000 attribute
    // declarations) give no link at once.
    {
        QFile f(Resource_Path + QStringLiteral("/Links.plist"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(hostile::ebcdicXml(hostile::declarationsXml(
            80000 * 34, "ATTLIST", "<plist version=\"1.0\"><dict><key>Website_1</key><string>https://example.org/e</string></dict></plist>")));
    }
    const hostile::Cost cost = hostile::measure([&] { c->Open_Website_1(); });
    EXPECT_LT(cost.seconds, hostile::kCpuSeconds);
    writeLinks("<key>Website_1</key><string>file:///etc/passwd</string>"
               "<key>Website_2</key><string>javascript:alert(1)</string>"
               "<key>Website_3</key><string>https://example.org/ok</string>");
    c->Open_Website_1();
    c->Open_Website_2();
    c->Open_Support_Mail();
    c->Open_Share_It_Dl();
    c->Open_Website_3();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened.front(), QUrl(QStringLiteral("https://example.org/ok")));

    auto* help = static_cast<Help_Support*>(c->HelpWindow);
    testResponder().onDialog([&](QDialog& d) {
        EXPECT_FALSE(help->support_id->isEnabled());
        EXPECT_TRUE(help->reseller_2->isEnabled());
        d.done(1);
    });
    c->Help_Button();
}

TEST_F(BackgroundBrowser, APickSetsTheFrontBackgroundAndABadEntryIsRefused)
{
    const QString folder = Resource_Path + QStringLiteral("/Background");
    QDir(folder).removeRecursively();
    c->Load_and_fill_backgrounds();
    EXPECT_EQ(c->images.size(), 0u) << "no folder: nothing listed, no message";

    QDir().mkpath(folder);
    QImage picture(32, 24, QImage::Format_RGB32);
    picture.fill(Qt::magenta);
    ASSERT_TRUE(picture.save(folder + QStringLiteral("/a.PNG"), "PNG"));
    QFile bad(folder + QStringLiteral("/b.jpg"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("no picture");
    bad.close();
    QFile(folder + QStringLiteral("/c.txt")).open(QIODevice::WriteOnly);
    c->Load_and_fill_backgrounds();
    ASSERT_EQ(c->images.size(), 2u);

    c->Select_back_side();
    const Card_Property back = c->Back_card_Prop;
    c->imageBrowser->setSelectionIndexes({0});
    settle();
    EXPECT_EQ(c->Front_card_Prop.Card_fill_style, QStringLiteral("I"));
    EXPECT_EQ(c->Front_card_Prop.Card_BG_Image_Path, folder + QStringLiteral("/a.PNG"));
    EXPECT_TRUE(c->Back_card_Prop == back);

    const Card_Property front = c->Front_card_Prop;
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    c->imageBrowser->setSelectionIndexes({1});
    settle();
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")),
              QStringList{QStringLiteral("\nThis file cannot be used as a picture:\n") + folder
                          + QStringLiteral("/b.jpg\n\nIt is not a picture.")});
    EXPECT_TRUE(c->Front_card_Prop == front);
    QDir(folder).removeRecursively();
}

namespace {

// Pixels of the link blue in the button as drawn.
int bluePixels(QPushButton* b)
{
    const QImage shot = b->grab().toImage();
    int n = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            n += c.blue() > 200 && c.red() < 80 && c.green() < 80;
        }
    return n;
}

// Buttons whose link opens are enabled and blue; the others are greyed.
void expectLinkButtons(QDialog& d, const std::vector<std::pair<const char*, bool>>& expected)
{
    for (const auto& [name, usable] : expected) {
        SCOPED_TRACE(name);
        auto* b = d.findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_TRUE(b);
        EXPECT_EQ(b->isEnabled(), usable);
        if (usable)
            EXPECT_GT(bluePixels(b), 0);
        else
            EXPECT_EQ(bluePixels(b), 0) << "a greyed link shows grey";
    }
}

} // namespace

TEST_F(SmallDialogs, LinkButtonsThatOpenNothingAreGreyed)
{
    // A mail address and a page that open; a page the desktop is never
    // handed (not http); everything else empty.
    writeLinks("<key>Support_Mail</key><string>help@example.org</string>"
               "<key>Website_1</key><string>file:///etc/passwd</string>"
               "<key>Website_3</key><string>https://example.org/resell</string>"
               "<key>Promotion</key><dict><key>S</key><dict>"
               "<key>Order</key><string>https://example.org/order/s</string></dict></dict>");
    testResponder().onDialog([](QDialog& d) {
        expectLinkButtons(d, {{"support_id", true}, {"website_1", false}, {"support_id_2", false},
                              {"reseller_1", false}, {"reseller_2", true}, {"like", false}});
        d.done(1);
    });
    c->Help_Button();
    testResponder().onDialog([](QDialog& d) {
        expectLinkButtons(d, {{"support_id", true}, {"website_1", false}});
        d.done(1);
    });
    Review_Form::defaultInstance()->Open_Review_Form_Window();
    testResponder().onDialog([](QDialog& d) {
        expectLinkButtons(d, {{"mail_btn", false}, {"contact_btn", false}, {"order_btn", true},
                              {"video_btn", false}, {"support_id", true}, {"website_1", false}});
        d.done(1);
    });
    c->Open_Promotion(QStringLiteral("S"));
    // The Help menu greys by the same rule.
    QMenu* menu = c->helpMenu;
    emit menu->aboutToShow();
    EXPECT_FALSE(menu->actions().at(menu->actions().size() - 2)->isEnabled()) << "Website";
    EXPECT_TRUE(menu->actions().last()->isEnabled()) << "Mail Support";
    EXPECT_TRUE(opened.empty());
}
