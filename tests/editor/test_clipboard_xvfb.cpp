// The clipboard between processes on a real X server: one instance copies,
// xclip lists and reads the flavours (poppler and ImageMagick read the PDF
// and the TIFF), a second instance pastes equal graphics, and a PNG offered
// by xclip becomes a picture graphic.
#include "support_editor.h"

#include "app/Globals.h"
#include "drawing/QBXGraphicView.h"
#include "platform/pasteboard.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QString dirOf() { return qEnvironmentVariable("CW_CLIP_DIR"); }

void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(data);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Keeps the event loop running until the file appears (or a timeout).
void serveUntil(const QString& path, int ms)
{
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QFileInfo::exists(path))
            QCoreApplication::exit(0);
    });
    poll.start(50);
    QTimer::singleShot(ms, [] { QCoreApplication::exit(1); });
    QCoreApplication::exec();
}

} // namespace

TEST(ClipboardChild, Copy)
{
    if (dirOf().isEmpty())
        GTEST_SKIP() << "run by ClipboardXvfb.BetweenInstances";
    StartedEditor e;
    ASSERT_TRUE(e.started);
    e->Rect_Tool_Clicked(nullptr);
    e->Text_Tool_Clicked(nullptr);
    e->_graphicView->selectAll();
    // Our own replacement is reported at once, inside setMimeData.
    QSignalSpy changed(QGuiApplication::clipboard(), &QClipboard::dataChanged);
    e->Copy_Clicked(nullptr);
    writeFile(dirOf() + QStringLiteral("/sync"), QByteArray::number(changed.count()));
    writeFile(dirOf() + QStringLiteral("/copied"), QBXGraphic::pasteboardDataWithGraphics(e->_graphicView->selectedGraphics()));
    writeFile(dirOf() + QStringLiteral("/ready"), "1");
    serveUntil(dirOf() + QStringLiteral("/done"), 60000);
}

TEST(ClipboardChild, Paste)
{
    if (dirOf().isEmpty())
        GTEST_SKIP() << "run by ClipboardXvfb.BetweenInstances";
    // Started before the copy: a new design empties the clipboard of our
    // own graphics.
    StartedEditor e;
    ASSERT_TRUE(e.started);
    writeFile(dirOf() + QStringLiteral("/b_started"), "1");
    serveUntil(dirOf() + QStringLiteral("/ready"), 60000);
    e->Paste_Clicked(nullptr);
    writeFile(dirOf() + QStringLiteral("/pasted"), QBXGraphic::pasteboardDataWithGraphics(e->Get_Front_Controls_Array()));
}

TEST(ClipboardChild, PastePicture)
{
    if (dirOf().isEmpty())
        GTEST_SKIP() << "run by ClipboardXvfb.BetweenInstances";
    StartedEditor e;
    ASSERT_TRUE(e.started);
    e->Paste_Clicked(nullptr);
    const GraphicList list = e->Get_Front_Controls_Array();
    QByteArray out;
    if (list.size() == 1) {
        const QRectF b = list[0]->bounds();
        out = (list[0]->className() + QStringLiteral(" %1 %2").arg(b.width()).arg(b.height())).toUtf8();
    }
    writeFile(dirOf() + QStringLiteral("/picture"), out);
}

TEST(ClipboardXvfb, BetweenInstances)
{
    for (const char* tool : {"xvfb-run", "xclip", "pdfinfo", "identify"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            GTEST_SKIP() << tool << " is needed";
    }
    QTemporaryDir dir;
    const QString d = dir.path();
    QImage png(40, 20, QImage::Format_ARGB32);
    png.fill(Qt::red);
    png.setDotsPerMeterX(2835);
    png.setDotsPerMeterY(2835);
    ASSERT_TRUE(png.save(d + QStringLiteral("/offered.png")));
    const QString bin = QCoreApplication::applicationFilePath();
    const QString script = QStringLiteral(
        "set -u\n"
        "B=\"$0\"; D=\"$1\"\n"
        "\"$B\" --gtest_filter=ClipboardChild.Paste > \"$D/b.log\" 2>&1 &\n"
        "P=$!\n"
        "for i in $(seq 1 300); do [ -f \"$D/b_started\" ] && break; sleep 0.1; done\n"
        "\"$B\" --gtest_filter=ClipboardChild.Copy > \"$D/a.log\" 2>&1 &\n"
        "A=$!\n"
        "for i in $(seq 1 300); do [ -f \"$D/ready\" ] && break; sleep 0.1; done\n"
        "xclip -o -selection clipboard -t TARGETS > \"$D/targets\" 2>&1\n"
        "xclip -o -selection clipboard -t application/pdf > \"$D/c.pdf\"\n"
        "xclip -o -selection clipboard -t image/tiff > \"$D/c.tif\"\n"
        "wait $P\n"
        "touch \"$D/done\"; wait $A\n"
        "xclip -quiet -selection clipboard -t image/png -i \"$D/offered.png\" > /dev/null 2>&1 &\n"
        "X=$!\n"
        "sleep 0.3\n"
        "\"$B\" --gtest_filter=ClipboardChild.PastePicture > \"$D/c.log\" 2>&1\n"
        "kill $X 2>/dev/null; true\n");
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("CW_CLIP_DIR"), d);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("xvfb-run"), {QStringLiteral("-a"), QStringLiteral("sh"), QStringLiteral("-c"), script,
                                             bin, d});
    ASSERT_TRUE(child.waitForFinished(120000));
    const std::string log = (child.readAll() + readFile(d + QStringLiteral("/a.log"))
                             + readFile(d + QStringLiteral("/b.log")) + readFile(d + QStringLiteral("/c.log")))
                                .toStdString();

    const QByteArray targets = readFile(d + QStringLiteral("/targets"));
    EXPECT_TRUE(targets.contains("Quillbox 2 pasteboard type")) << targets.toStdString() << log;
    EXPECT_TRUE(targets.contains("application/pdf")) << targets.toStdString();
    EXPECT_TRUE(targets.contains("image/tiff")) << targets.toStdString();
    EXPECT_EQ(QProcess::execute(QStringLiteral("pdfinfo"), {d + QStringLiteral("/c.pdf")}), 0);
    EXPECT_EQ(QProcess::execute(QStringLiteral("identify"), {d + QStringLiteral("/c.tif")}), 0);
    EXPECT_EQ(readFile(d + QStringLiteral("/sync")), QByteArray("1")) << log;
    const QByteArray copied = readFile(d + QStringLiteral("/copied"));
    ASSERT_FALSE(copied.isEmpty()) << log;
    QBXError error;
    const auto a = QBXGraphic::graphicsWithPasteboardData(copied, &error);
    const auto b = QBXGraphic::graphicsWithPasteboardData(readFile(d + QStringLiteral("/pasted")), &error);
    ASSERT_TRUE(a && b) << log;
    ASSERT_EQ(a->size(), 2u);
    ASSERT_EQ(b->size(), a->size()) << log;
    for (size_t i = 0; i < a->size(); ++i) {
        const QBXGraphic& x = *(*a)[i];
        const QBXGraphic& y = *(*b)[i];
        EXPECT_EQ(x.className(), y.className());
        EXPECT_EQ(x.bounds(), y.bounds()) << "a first foreign paste keeps the positions";
        EXPECT_EQ(x._shape_type, y._shape_type);
        EXPECT_EQ(x.Text_Value, y.Text_Value);
        EXPECT_EQ(x._fillColor, y._fillColor);
        EXPECT_EQ(x._strokeWidth, y._strokeWidth);
    }
    EXPECT_EQ(readFile(d + QStringLiteral("/picture")), QByteArray("QBXImage 40 20")) << log;
}
