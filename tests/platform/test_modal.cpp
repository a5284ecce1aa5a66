#include "app/AppHelpers.h"
#include "platform/modal.h"
#include "support/qt_print.h"
#include "support/test_responder.h"

#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

using platform::modal::AlertAnswer;

namespace {

// A dialog whose OK refuses an empty name with an alert, as the series and
// template dialogs do.
class NameDialog : public QDialog {
public:
    NameDialog()
    {
        setWindowTitle(QStringLiteral("Series name"));
        auto* layout = new QVBoxLayout(this);
        name = new QLineEdit(this);
        buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        layout->addWidget(name);
        layout->addWidget(buttons);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    }
    void accept() override
    {
        if (name->text().isEmpty()) {
            Show_MessageBox(QStringLiteral("Please enter a name."));
            return;
        }
        QDialog::accept();
    }
    QLineEdit* name;
    QDialogButtonBox* buttons;
};

void pressOk(QDialog& dialog)
{
    static_cast<NameDialog&>(dialog).buttons->button(QDialogButtonBox::Ok)->click();
}

} // namespace

TEST(Modal, DialogRunsItsOwnLoopAndValidationRuns)
{
    NameDialog dialog;
    testResponder().answerAlert(AlertAnswer::Ok);
    testResponder().onDialog([](QDialog& d) {
        pressOk(d); // refused: the name is empty
        EXPECT_TRUE(d.isVisible());
        static_cast<NameDialog&>(d).name->setText(QStringLiteral("Guests"));
        pressOk(d);
    });
    EXPECT_EQ(platform::modal::run(dialog), QDialog::Accepted);
    EXPECT_EQ(dialog.name->text(), QStringLiteral("Guests"));
    const auto requests = testResponder().requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].kind, QStringLiteral("dialog"));
    EXPECT_EQ(requests[0].text, QStringLiteral("Series name"));
    EXPECT_EQ(requests[1].text, QStringLiteral("\nPlease enter a name."));
}

TEST(Modal, UnansweredOrForgottenDialogsFailInsteadOfHanging)
{
    static NameDialog* dialog = nullptr;
    NameDialog local;
    dialog = &local;
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(platform::modal::run(*dialog), QDialog::Rejected), "unanswered dialog");
    testResponder().watchdogMilliseconds = 200;
    testResponder().onDialog([](QDialog&) {}); // presses nothing
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(platform::modal::run(*dialog), QDialog::Rejected), "dialog left open");
    testResponder().watchdogMilliseconds = kHangMilliseconds;
    EXPECT_NONFATAL_FAILURE(platform::modal::alert(platform::modal::AlertKind::YesNo, QStringLiteral("Sure?")),
                            "unanswered alert: Sure?");
    dialog = nullptr;
}

TEST(Modal, SavePanelAlwaysEndsWithTheExtension)
{
    testResponder().answerFilePanel({QStringLiteral("/tmp/cards/Party")});
    testResponder().answerFilePanel({QStringLiteral("/tmp/cards/Party.DCARD")});
    testResponder().answerFilePanel({QStringLiteral("/tmp/cards/Party.txt")});
    testResponder().answerFilePanel({});
    const QString title = QStringLiteral("Save design");
    EXPECT_EQ(platform::modal::saveFile(title, {}, {}, QStringLiteral("dcard")), QStringLiteral("/tmp/cards/Party.dcard"));
    EXPECT_EQ(platform::modal::saveFile(title, {}, {}, QStringLiteral("dcard")), QStringLiteral("/tmp/cards/Party.DCARD"));
    EXPECT_EQ(platform::modal::saveFile(title, {}, {}, QStringLiteral("dcard")),
              QStringLiteral("/tmp/cards/Party.txt.dcard"));
    EXPECT_FALSE(platform::modal::saveFile(title, {}, {}, QStringLiteral("dcard")).has_value());
    EXPECT_EQ(testResponder().texts(QStringLiteral("file")).size(), 4);

    // A typed name whose file exists only once the extension is added is
    // still a replacement: the user is asked, and No cancels.
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("Party.dcard"));
    QFile(existing).open(QIODevice::WriteOnly);
    for (const AlertAnswer answer : {AlertAnswer::No, AlertAnswer::Yes}) {
        testResponder().answerFilePanel({dir.filePath(QStringLiteral("Party"))});
        testResponder().answerAlert(answer);
        const auto chosen = platform::modal::saveFile(title, {}, {}, QStringLiteral("dcard"));
        EXPECT_EQ(chosen.value_or(QString()), answer == AlertAnswer::Yes ? existing : QString());
    }
    EXPECT_EQ(testResponder().texts(QStringLiteral("yesno")),
              QStringList(2, QStringLiteral("Party.dcard already exists. Do you want to replace it?")));
    testResponder().answerFilePanel({existing});
    EXPECT_EQ(platform::modal::saveFile(title, {}, {}, QStringLiteral("dcard"), false), existing);
}

TEST(Modal, ColourAndFontPanelsAnswerOrCancel)
{
    testResponder().answerColor(QColor(1, 2, 3));
    testResponder().answerColor(std::nullopt);
    testResponder().answerFont(QFont(QStringLiteral("DejaVu Serif")));
    EXPECT_EQ(platform::modal::chooseColor(Qt::white), QColor(1, 2, 3));
    EXPECT_FALSE(platform::modal::chooseColor(Qt::white).has_value());
    EXPECT_EQ(platform::modal::chooseFont(QFont())->family(), QStringLiteral("DejaVu Serif"));
}
