// The mail command over the real controller: a design bound to spreadsheet
// rows is mailed one card per row from a copy of the design, which the run
// leaves as it was.
#include "support_editor.h"

#include "batch/Binding_Table_Model.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXText.h"
#include "output/Preferences.h"
#include "output/Send_Mail.h"
#include "output/mail_run.h"
#include "support/bounded_wait.h"
#include "support/test_responder.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

TEST(MailCommand, MailsOneCardPerSpreadsheetRowFromACopyOfTheDesign)
{
    StartedEditor e;
    // The mail script's stand-in copies each mail's attachments beside itself.
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("stand_in.py"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(CARDWRIGHT_SOURCE_DIR "/tests/output/mail_stand_in.py"), script));
    mail::scriptSetup().script = script;

    auto prefs = Preferences::sharedInstance();
    prefs->setSendEmailSender(QStringLiteral("Me@B.CD"));
    ASSERT_TRUE(prefs->save());

    auto bound = std::make_shared<QBXText>();
    bound->setBounds(QRectF(5, 5, 120, 20));
    bound->data_source_type = 2;
    bound->excel_binding = true;
    e->_graphicView->insertGraphics({bound}, {0});
    Binding_Table_Model::defaultInstance()->Set_Sheet_Columns({QStringLiteral("Name")});
    Binding_Table_Model::defaultInstance()->Create_List_By_Array({QStringLiteral("Ann")}, 1);
    Binding_Table_Model::defaultInstance()->Create_List_By_Array({QStringLiteral("Bob")}, 1);

    testResponder().reset();
    QString text_during_run;
    testResponder().onDialog([&](QDialog&) {
        Send_Mail* w = Send_Mail::defaultInstance();
        EXPECT_EQ(w->from_txt->text(), QStringLiteral("Me@B.CD"));
        ASSERT_TRUE(w->send_with_excel_chk->isEnabled());
        w->send_with_excel_chk->setChecked(true);
        w->to_txt->setText(QStringLiteral("x@y.zz"));
        testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
        ASSERT_TRUE(w->Send_Button());
        text_during_run = bound->Text_contents().text;
        EXPECT_TRUE(waitUntil([&] { return !w->Run_Active(); }));
        QMetaObject::invokeMethod(w, [w] { w->done(0); }, Qt::QueuedConnection);
    });
    e->Mail_Button();
    mail::scriptSetup() = mail::Script_Setup();

    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")), QStringList{QStringLiteral("\n") + mail::Sent_Text});
    QFile first(dir.filePath(QStringLiteral("1_VELTCard.png")));
    QFile second(dir.filePath(QStringLiteral("2_VELTCard.png")));
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    ASSERT_TRUE(second.open(QIODevice::ReadOnly));
    EXPECT_NE(first.readAll(), second.readAll());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("3_VELTCard.png"))));
    // The run drew from its copy: the design showed no row while it worked.
    EXPECT_FALSE(text_during_run.contains(QStringLiteral("Bob")));
}
