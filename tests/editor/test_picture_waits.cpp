// Pictures placed on the window: a damaged one is taken and says so on
// every road that places one, and a large one is read while the window
// keeps painting, so the canvas then draws it without reading it again.
#include "support_editor.h"

#include "app/Globals.h"
#include "drawing/PictureStore.h"
#include "drawing/QBXGraphicView.h"
#include "platform/image_browser.h"
#include "support/hostile_bytes.h"
#include "support/test_responder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct PictureWaits : ::testing::Test {
    StartedEditor editor;
    QBXWindowController* c = nullptr;
    QTemporaryDir dir;

    void SetUp() override
    {
        ASSERT_TRUE(editor.started);
        c = editor.controller.get();
        testResponder().reset();
    }
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
};

} // namespace

// The background, the picture tool and the signature say that a damaged
// picture is shown only in part, as the picture panel does, and take it; so
// does a design holding it when opened, and its thumbnail shows the part
// read and says the same.
TEST_F(PictureWaits, ADamagedPictureIsTakenAndSaidOnEveryRoad)
{
    const QByteArray jpeg = hostile::noiseJpeg();
    const QString cut = writeFile(QStringLiteral("cut.jpg"), jpeg.left(jpeg.size() / 2));
    QImage pattern(200, 150, QImage::Format_RGB32);
    for (int y = 0; y < pattern.height(); ++y)
        for (int x = 0; x < pattern.width(); ++x)
            pattern.setPixel(x, y, qRgb(x, y, x ^ y));
    ASSERT_TRUE(pattern.save(dir.filePath(QStringLiteral("sign.png"))));
    QFile png(dir.filePath(QStringLiteral("sign.png")));
    ASSERT_TRUE(png.open(QIODevice::ReadWrite));
    QByteArray spoilt = png.readAll();
    for (qsizetype i = spoilt.size() / 2; i < spoilt.size() * 3 / 4; i += 5)
        spoilt[i] = char(spoilt[i] ^ 0x5A);
    png.seek(0);
    png.write(spoilt);
    png.close();

    const std::pair<QString, std::function<void()>> roads[] = {
        {cut, [&] { c->Card_Image_Browse_Btn(nullptr); }},
        {cut, [&] { c->Image_Tool_Clicked(nullptr); }},
        {png.fileName(), [&] { c->Sign_Browse_Btn(nullptr); }},
    };
    for (const auto& [file, road] : roads) {
        testResponder().reset();
        testResponder().answerFilePanel({file});
        testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
        road();
        const QStringList said = testResponder().texts(QStringLiteral("alert"));
        ASSERT_EQ(said.size(), 1) << file.toStdString();
        EXPECT_TRUE(said[0].startsWith(QStringLiteral("\nThe picture %1 is shown only in part: ").arg(file)))
            << said[0].toStdString();
        c->Arrow_Tool_Clicked(nullptr);
    }
    EXPECT_EQ(c->Back_card_Prop.Card_BG_Image_Path + c->Front_card_Prop.Card_BG_Image_Path, cut);

    // A design holding it says so when it is opened.
    Project_File_Name = dir.filePath(QStringLiteral("design.dcard"));
    ASSERT_TRUE(c->Save_project_file(false, false));
    testResponder().reset();
    testResponder().answerAlert(platform::modal::AlertAnswer::No);
    testResponder().answerFilePanel({Project_File_Name});
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    c->Open_Btn_Clicked(nullptr);
    const QStringList said = testResponder().texts(QStringLiteral("alert"));
    ASSERT_FALSE(said.isEmpty());
    EXPECT_TRUE(said.last().contains(QStringLiteral("is shown only in part: "))) << said.last().toStdString();

    QString notice;
    EXPECT_FALSE(platform::ThumbnailLoader::readThumbnail(cut, 64, &notice).isNull());
    EXPECT_FALSE(notice.isEmpty());
}

// A 48-megapixel photo chosen as the background is read while the window
// keeps handling its events (before, it stopped for the whole read), and the
// canvas's next paint finds it read for its zoom.
TEST_F(PictureWaits, ALargeBackgroundIsReadWhileTheWindowPaints)
{
    const QString photo = writeFile(QStringLiteral("photo.jpg"), hostile::zeroJpeg(8000, 6000, 3, true));
    drawing::PictureStore store;
    QBXGraphicView* canvas = c->currentSideCanvas();
    ASSERT_TRUE(canvas);
    canvas->window()->show();
    settle();

    QElapsedTimer gap;
    double longest = 0;
    int ticks = -1;
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, gap.nsecsElapsed() / 1e6);
        gap.restart();
        if (ticks >= 0)
            ++ticks;
    });
    tick.start();
    gap.start();
    testResponder().answerFilePanel({photo});
    ticks = 0;
    c->Card_Image_Browse_Btn(nullptr);
    const int ticksWhileRead = ticks;
    longest = std::max(longest, gap.nsecsElapsed() / 1e6);
    const qint64 decodes = store.decodes();
    canvas->repaint();
    std::fprintf(stderr, "longest stall %.0f ms, %d ticks while read, %lld decodes\n", longest, ticksWhileRead,
                 static_cast<long long>(decodes));
    EXPECT_GT(ticksWhileRead, 0);
    EXPECT_EQ(store.decodes(), decodes) << "the paint read the picture again";
    EXPECT_FALSE(c->Back_card_Prop.Card_BG_Image.isNull() && c->Front_card_Prop.Card_BG_Image.isNull());
}
