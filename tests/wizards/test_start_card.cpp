// The small start dialog: each choice stores its code and ends with 1;
// Cancel stores "" and ends the program with status 0.
#include "editor/QBXWindowController.h"
#include "platform/process_end.h"
#include "wizards/Start_Card.h"

#include <QDialog>
#include <gtest/gtest.h>

TEST(StartCard, ChoicesStoreTheirCodeAndCancelEndsTheProgram)
{
    Start_Card dialog;
    const std::pair<void (Start_Card::*)(), const char*> choices[] = {
        {&Start_Card::Using_Template_Click, "T"}, {&Start_Card::Using_Wizard_Click, "W"}, {&Start_Card::Open_Log_Click, "L"}};
    for (const auto& [click, code] : choices) {
        dialog.window->setResult(0);
        (dialog.*click)();
        EXPECT_EQ(Start_Card_Option, QString::fromLatin1(code));
        EXPECT_EQ(dialog.window->result(), 1);
    }
    std::vector<int> ended;
    platform::setProcessEndHandler([&ended](int status) { ended.push_back(status); });
    dialog.CancelClick();
    platform::setProcessEndHandler({});
    EXPECT_EQ(Start_Card_Option, QString());
    EXPECT_EQ(dialog.window->result(), 0);
    EXPECT_EQ(ended, std::vector<int>{0});
}
