// Every dialog the program opens, shown on a 1366 x 768 X server: it lies
// inside the screen's available area and its default and cancel buttons are
// on screen, not below its edge or scrolled away.
#include "support_editor.h"

#include "app/Globals.h"
#include "batch/View_Data_Series.h"
#include "drawing/QBXGraphicView.h"
#include "output/Email_Setting.h"
#include "output/Print_Wnd.h"
#include "platform/modal.h"
#include "platform/printers.h"
#include "support/test_responder.h"
#include "wizards/Grid_Wizard.h"
#include "wizards/Insert_Template.h"

#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

namespace {

using platform::modal::AlertAnswer;
using platform::modal::AlertKind;

// Shows each dialog run, notes what is out of reach, and cancels it; alerts
// get the negative answer and panels are cancelled.
class FitProbe : public platform::modal::Responder {
public:
    QStringList seen;     // title of every dialog run
    QStringList problems; // "title: what is wrong"

    AlertAnswer alert(AlertKind kind, const QString&) override { return kind == AlertKind::Ok ? AlertAnswer::Ok : AlertAnswer::No; }
    QStringList filePanel(const platform::modal::FilePanelRequest&) override { return {}; }
    std::optional<QColor> colorPanel(const QColor&, const QString&) override { return std::nullopt; }
    std::optional<QFont> fontPanel(const QFont&, const QString&) override { return std::nullopt; }

    int run(QDialog& dialog) override
    {
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        settle();
        const QString title = dialog.windowTitle() + QLatin1Char('/') + dialog.objectName();
        seen << title;
        const QRect area = dialog.screen()->availableGeometry();
        if (!area.contains(dialog.frameGeometry()))
            problems << title + QStringLiteral(": window outside");
        // The default and cancel buttons (an OK-only viewer's OK) it shows.
        static const QStringList actions{"Cancel", "Close", "OK", "Print", "Preview", "Send", "Save", "Done", "Next"};
        bool found = false;
        for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
            const QString text = b->text().remove(QLatin1Char('&'));
            if (!b->isVisibleTo(&dialog) || !(b->isDefault() || actions.contains(text)))
                continue;
            found = true;
            if (b->visibleRegion().boundingRect() != b->rect() || !area.contains(QRect(b->mapToGlobal(QPoint()), b->size())))
                problems << title + QStringLiteral(": button ") + text + QStringLiteral(" out of reach");
        }
        if (!found)
            problems << title + QStringLiteral(": no default or cancel button");
        // Contents too tall for the screen scroll up and down only.
        for (QScrollArea* scrolled : dialog.findChildren<QScrollArea*>(QStringLiteral("fitted_contents")))
            if (scrolled->horizontalScrollBar()->isVisibleTo(&dialog))
                problems << title + QStringLiteral(": scrolls sideways");
        if (auto* print = qobject_cast<Print_Wnd*>(&dialog)) {
            // The print window needs no scrolling at all, and its preview
            // shows the whole sheet: the sheet's shape, inside the view.
            if (dialog.findChild<QScrollArea*>(QStringLiteral("fitted_contents")))
                problems << title + QStringLiteral(": scrolls");
            const QLabel& preview = *print->test_image_view;
            const QSize shown = preview.pixmap().size();
            const QSizeF paper(print->layout.paper_w, print->layout.paper_h);
            if (preview.visibleRegion().boundingRect() != preview.rect() || shown.isEmpty()
                || shown.width() > preview.contentsRect().width() || shown.height() > preview.contentsRect().height()
                || std::abs(shown.width() * paper.height() - shown.height() * paper.width()) > paper.width() + paper.height())
                problems << title + QStringLiteral(": sheet preview not whole");
            // Its preview opens from inside it.
            print->Execute_Printing(true);
        }
        dialog.hide();
        return 0;
    }
};

} // namespace

TEST(WindowFitChild, EveryDialog)
{
    if (qEnvironmentVariable("CW_WINDOW_FIT") != QLatin1String("inner"))
        GTEST_SKIP() << "run by WindowFit.DialogsFit1366x768";
    StartedEditor e;
    ASSERT_TRUE(e.started);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    platform::setPrinterSource([pdf] {
        return QList<platform::Printer_Desc>{{QStringLiteral("Office"), QPageSize(QPageSize::A4), QMarginsF(), pdf}};
    });
    GraphicPtr barcode = QBXGraphic::graphicOfClass(QStringLiteral("QBXBarcode"));
    barcode->setBounds(QRectF(10, 10, 120, 60));
    e->_graphicView->insertGraphics({barcode}, {0});
    e->_graphicView->Set_Selected_Graphic(barcode);

    FitProbe probe;
    platform::modal::setResponder(&probe);
    const std::pair<const char*, std::function<void()>> commands[] = {
        {"print and preview", [&] { e->Print_method(); }},
        {"export", [&] { e->Export_Button(); }},
        {"mail", [&] { e->Mail_Button(); }},
        {"e-mail settings", [] { Email_Setting::defaultInstance()->Open_Wnd(); }},
        {"barcode designer", [&] { e->Open_Barcode_Window(); }},
        {"series manager", [&] { e->Batch_Series_Button(); }},
        {"import wizard", [&] { e->Import_Wizard_Button(); }},
        {"series generator", [&] { e->Create_Series_Button(); }},
        {"series viewer", [] { View_Data_Series::defaultInstance()->Open_Wnd(); }},
        {"profile form", [&] { e->Open_User_Profile_Window(1, QStringLiteral("F")); }},
        {"template browser", [&] { e->Templates_Btn_Clicked(nullptr); }},
        {"title and message templates", [] { Insert_Template::defaultInstance()->Open_Template_Dialog(); }},
        {"library", [&] { e->Open_Image_Library_Window(QStringLiteral("C")); }},
        {"card-size wizard", [&] { e->Card_Size_Btn_Clicked(nullptr); }},
        {"grid", [] { Grid_Wizard::defaultInstance()->Open_Wnd(); }},
    };
    for (const auto& [name, command] : commands) {
        const qsizetype before = probe.seen.size();
        command();
        EXPECT_GT(probe.seen.size(), before) << name << " opened no dialog";
    }
    platform::modal::setResponder(&testResponder());
    platform::setPrinterSource({});
    EXPECT_TRUE(probe.seen.contains(QStringLiteral("Print Preview/Print_Preview"))) << probe.seen.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(probe.problems.isEmpty()) << probe.problems.join(QLatin1Char('\n')).toStdString();
}

TEST(WindowFit, DialogsFit1366x768)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty())
        GTEST_SKIP() << "xvfb-run is needed";
    const XvfbRun run = runUnderXvfb(QStringLiteral("WindowFitChild.EveryDialog"), QStringLiteral("CW_WINDOW_FIT"),
                                     QStringLiteral("1366x768x24"), 240000);
    EXPECT_EQ(run.exitCode, 0) << run.log.toStdString();
    EXPECT_TRUE(run.log.contains(QStringLiteral("[  PASSED  ] 1 test"))) << run.log.toStdString();
}
