// Cards leaving as picture files: names, folders and formats; the single
// export; the batch export on workers with its progress, Stop and failures.
#include "app/Globals.h"
#include "batch/Binding_Table_Model.h"
#include "drawing/QBXDocument.h"
#include "drawing/QBXImage.h"
#include "editor/QBXWindowController.h"
#include "output/Send_Modeless.h"
#include "output/card_export.h"
#include "platform/process_end.h"
#include "platform/files.h"
#include "platform/threads.h"
#include "support/bounded_wait.h"
#include "support/file_limits.h"
#include "support/file_mode.h"
#include "support/test_responder.h"
#include "wizards/Invitation_Wizard.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QProcess>
#include <gtest/gtest.h>
#include <png.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <pthread.h>
#include <tuple>

using namespace card_export;

namespace {

// While set, every thread the process starts is refused (ours and those of
// Qt's pools), as by a system at its limit of threads.
std::atomic<bool> gRefuseThreads{false};

} // namespace

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*start)(void*), void* arg) noexcept
{
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const auto real = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
    return gRefuseThreads.load() ? EAGAIN : real(thread, attr, start, arg);
}

namespace {

struct Editor {
    std::unique_ptr<QBXDocument> document = std::make_unique<QBXDocument>();
    std::unique_ptr<QBXWindowController> c = std::make_unique<QBXWindowController>();
    bool started = false;
    Editor()
    {
        Card_Front_Or_Back = 0;
        c->setDocument(document.get());
        // Start-up runs the start wizard: leave it, recording the end.
        platform::setProcessEndHandler([](int) {});
        testResponder().onDialog([](QDialog&) { Invitation_Wizard::defaultInstance()->ExitClick(); });
        started = c->awakeFromNib();
        CARD_SIDE_STR = QStringLiteral("2");
        export_card_side = QStringLiteral("F");
        export_combined_image = false;
        export_file_format = QStringLiteral("PNG");
        export_dpi = 72;
    }
    ~Editor()
    {
        for (const QString& f : QDir(Data_Folder_Path).entryList(QDir::Files))
            QFile::remove(Data_Folder_Path + QLatin1Char('/') + f);
        Binding_Table_Model::defaultInstance()->Clear_Rows();
        c.reset();
        document.reset();
        platform::setProcessEndHandler({});
        QApplication::processEvents();
    }
    void wait()
    {
        EXPECT_TRUE(waitUntil([this] { return !c->Export_Run_Active(); })) << "the export did not end";
    }
};

QColor Row_Colour(int row) { return QColor(20 * row, 255 - 20 * row, 128); }

std::shared_ptr<QBXImage> Picture(const QColor& colour)
{
    auto g = std::make_shared<QBXImage>();
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(colour);
    g->_contents = image;
    g->setBounds(QRectF(0, 0, 400, 400));
    return g;
}

// A design whose front and back each show series "P": row i is a picture of
// Row_Colour(i), side x side pixels.
std::shared_ptr<QBXImage> Bound_Design(Editor& e, const QString& folder, int rows, int side = 4)
{
    QByteArray list;
    for (int i = 0; i < rows; ++i) {
        const QString path = folder + QStringLiteral("/c%1.png").arg(i);
        QImage image(side, side, QImage::Format_RGB32);
        image.fill(Row_Colour(i));
        image.save(path);
        list += path.toUtf8() + "\n";
    }
    QFile f(Data_Folder_Path + QStringLiteral("/P.txt"));
    f.open(QIODevice::WriteOnly);
    f.write(list);
    f.close();
    auto front = Picture(Qt::black);
    front->Set_Data_source_type(1);
    front->Set_Batch_List_Name(QStringLiteral("P"));
    e.document->insertGraphic(front, 0);
    auto back = Picture(Qt::black);
    back->Set_Data_source_type(1);
    back->Set_Batch_List_Name(QStringLiteral("P"));
    e.document->setList(QStringLiteral("graphics_back"), {back});
    e.c->Check_Series_Or_Excel_Use_or_not();
    return front;
}

QColor Centre(const QString& path)
{
    const QImage image(path);
    return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
}

} // namespace

TEST(CardExport, NamesFoldersAndFormats)
{
    EXPECT_EQ(Create_Back_Card_Path(QStringLiteral("/x/Invite.png")), QStringLiteral("/x/Invite_Back.png"));
    EXPECT_EQ(Create_Back_Card_Path(QStringLiteral("/x/a.b.png")), QStringLiteral("/x/a.b_Back.png"));
    // Only the last component changes, even where it repeats in the path.
    EXPECT_EQ(Create_Back_Card_Path(QStringLiteral("/x/a.png.d/a.png")), QStringLiteral("/x/a.png.d/a_Back.png"));

    QTemporaryDir dir;
    // Made with the process umask, and never writable by others.
    const mode_t umask = ::umask(0);
    const QString first = Create_Run_Folder(dir.path());
    ::umask(077);
    const QString second = Create_Run_Folder(dir.path());
    ::umask(umask);
    EXPECT_TRUE(first.endsWith(QStringLiteral("/VELT Festrune")));
    EXPECT_TRUE(second.endsWith(QStringLiteral("/VELT Festrune 2")));
    EXPECT_EQ(fileMode(first), 0775);
    EXPECT_EQ(fileMode(second), 0700);
    QFile plain(dir.filePath(QStringLiteral("plain")));
    plain.open(QIODevice::WriteOnly);
    plain.close();
    EXPECT_TRUE(Create_Run_Folder(dir.filePath(QStringLiteral("plain/under"))).isEmpty());

    // The bytes are what the extension names; a failed write leaves nothing.
    QImage red(6, 4, QImage::Format_ARGB32);
    red.fill(Qt::red);
    for (const char* name : {"a.PNG", "a.TIFF", "b.tif"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(Write_Picture(red, path, nullptr));
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        const QByteArray head = f.read(4);
        const bool tiff = head == QByteArray("II*\0", 4) || head == QByteArray("MM\0*", 4);
        EXPECT_EQ(tiff, QString::fromLatin1(name).contains(QStringLiteral("TIF"), Qt::CaseInsensitive)) << name;
    }
    // PNG pixels are deflated, not stored: a plain 300-dpi card is small.
    QImage card(1050, 600, QImage::Format_ARGB32);
    card.fill(Qt::white);
    ASSERT_TRUE(Write_Picture(card, dir.filePath(QStringLiteral("card.png")), nullptr));
    EXPECT_LT(QFileInfo(dir.filePath(QStringLiteral("card.png"))).size(), 100000);
    QString reason;
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    EXPECT_FALSE(Write_Picture(red, dir.filePath(QStringLiteral("VELT Festrune")), &reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);

    // Front over back: the front's width, twice its height.
    QImage blue(6, 4, QImage::Format_ARGB32);
    blue.fill(Qt::blue);
    const QImage both = Combine_Front_Back(red, blue);
    ASSERT_EQ(both.size(), QSize(6, 8));
    EXPECT_EQ(both.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(both.pixelColor(0, 7), QColor(Qt::blue));
    EXPECT_TRUE(Combine_Front_Back(red, QImage()).isNull());
}

// A picture that cannot be written (the disk full): the system's reason, and
// no file, partial or temporary, for the single export and the run's files,
// PNG and TIFF, with unnamed temporary files or without. The larger picture's
// TIFF strips outgrow a file buffer, and its writer seeks back after the
// failed write.
TEST(CardExport, AFailedWriteGivesTheSystemsReasonAndLeavesNoFile)
{
    const QString reason = QString::fromLocal8Bit(std::strerror(EFBIG));
    for (const int side : {600, 1200}) {
        QImage noise(side, side, QImage::Format_RGB32);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x)
                noise.setPixel(x, y, qRgb((x * 7919 + y * 104729) % 251, (x * y) % 241, (x ^ y) & 0xff));
        for (const bool named : {false, true}) {
            platform::standInFileSystem(named ? platform::FileSystemStandIn::NoUnnamedFiles
                                              : platform::FileSystemStandIn::Native);
            QTemporaryDir dir;
            for (const char* name : {"a.PNG", "b.TIFF"}) {
                SCOPED_TRACE(::testing::Message() << name << ' ' << side << (named ? " named" : ""));
                QString single, run;
                bool singleWritten, runWritten;
                {
                    const FileSizeLimit limit(65536);
                    singleWritten = Write_Picture(noise, dir.filePath(QString::fromLatin1(name)), &single);
                    runWritten = Write_Run_Picture(noise, dir.filePath(QStringLiteral("Card_1.") + name), &run);
                }
                EXPECT_FALSE(singleWritten);
                EXPECT_FALSE(runWritten);
                EXPECT_EQ(single, reason);
                EXPECT_EQ(run, reason);
            }
            EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
        }
    }
    platform::standInFileSystem(platform::FileSystemStandIn::Native);
}

namespace {

// Straight RGBA rows as libpng's own reader gives them.
QImage Libpng_Read(const QString& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, QFile::encodeName(path).constData()))
        return {};
    image.format = PNG_FORMAT_RGBA;
    QImage out(int(image.width), int(image.height), QImage::Format_RGBA8888);
    if (!png_image_finish_read(&image, nullptr, out.bits(), int(out.bytesPerLine()), nullptr))
        return {};
    return out;
}

// The same through ImageMagick.
QImage Magick_Read(const QString& path, QSize size)
{
    QProcess magick;
    magick.start(QStringLiteral("/usr/bin/convert"), {path, QStringLiteral("-depth"), QStringLiteral("8"),
                                                       QStringLiteral("rgba:-")});
    if (!magick.waitForFinished(kHangMilliseconds))
        return {};
    const QByteArray bytes = magick.readAllStandardOutput();
    if (bytes.size() != qsizetype(size.width()) * size.height() * 4)
        return {};
    QImage out(size, QImage::Format_RGBA8888);
    for (int y = 0; y < size.height(); ++y)
        std::memcpy(out.scanLine(y), bytes.constData() + qsizetype(y) * size.width() * 4, size_t(size.width()) * 4);
    return out;
}

} // namespace

// Cards are written as RGB when opaque and as straight RGBA otherwise; Qt,
// libpng and ImageMagick all read the pixels back exactly, and the files are
// no larger than Qt's own writer makes them (within a tenth).
TEST(CardExport, PngFilesReadBackToTheSamePixels)
{
    QTemporaryDir dir;
    QImage card(1050, 600, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < card.height(); ++y)
        for (int x = 0; x < card.width(); ++x)
            card.setPixel(x, y, qRgb(x * 255 / 1050, y * 255 / 600, 128 + int(100 * std::sin(x / 23.0) * std::cos(y / 17.0))));
    {
        QPainter p(&card);
        p.setRenderHint(QPainter::Antialiasing);
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 40));
        p.drawText(QRectF(40, 40, 900, 200), QStringLiteral("Guest 17, Company 5"));
        p.fillRect(QRectF(600, 300, 300, 200), Qt::white);
    }
    card.setDotsPerMeterX(11811);
    card.setDotsPerMeterY(11811);
    QImage translucent = card;
    {
        QPainter p(&translucent);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(QRectF(0, 0, 200, 600), QColor(20, 120, 220, 90));
        p.fillRect(QRectF(200, 0, 40, 600), Qt::transparent);
    }
    for (const auto& [name, picture, colourType] :
         {std::tuple{"opaque.png", card, 2}, std::tuple{"translucent.png", translucent, 6}}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(Write_Picture(picture, path, nullptr)) << name;
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(int(f.read(26).at(25)), colourType) << name << ": IHDR colour type";
        const QImage expected = picture.convertToFormat(QImage::Format_RGBA8888);
        EXPECT_EQ(QImage(path).convertToFormat(QImage::Format_RGBA8888), expected) << name << ": Qt";
        EXPECT_EQ(Libpng_Read(path), expected) << name << ": libpng";
        EXPECT_EQ(Magick_Read(path, picture.size()), expected) << name << ": ImageMagick";
        EXPECT_EQ(QImage(path).dotsPerMeterX(), 11811) << name;

        QBuffer qt;
        qt.open(QIODevice::WriteOnly);
        QImageWriter writer(&qt, "png");
        writer.setQuality(89);
        ASSERT_TRUE(writer.write(picture));
        EXPECT_LE(double(QFileInfo(path).size()), 1.10 * double(qt.size())) << name;
    }
}

TEST(CardExport, SingleExportWritesTheSidesAtTheResolution)
{
    Editor e;
    ASSERT_TRUE(e.started);
    e.document->insertGraphic(Picture(Qt::red), 0);
    e.document->setList(QStringLiteral("graphics_back"), {Picture(Qt::blue)});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Invite.png"));

    Card_Front_Or_Back = 1;
    export_card_side = QStringLiteral("BOTH");
    ASSERT_TRUE(e.c->Export_Single_File(path, false));
    EXPECT_EQ(Centre(path), QColor(Qt::red));
    EXPECT_EQ(Centre(dir.filePath(QStringLiteral("Invite_Back.png"))), QColor(Qt::blue));
    EXPECT_EQ(Card_Front_Or_Back, 1); // the editor's side is left alone

    const QSize at72 = QImage(path).size();
    export_dpi = 300;
    export_combined_image = true;
    const QString combined = dir.filePath(QStringLiteral("Both.png"));
    ASSERT_TRUE(e.c->Export_Single_File(combined, false));
    const QImage both(combined);
    EXPECT_NEAR(both.width(), at72.width() * 300.0 / 72, 2);
    EXPECT_NEAR(both.height(), 2 * at72.height() * 300.0 / 72, 4);
    EXPECT_EQ(both.pixelColor(both.width() / 2, both.height() / 4), QColor(Qt::red));
    EXPECT_EQ(both.pixelColor(both.width() / 2, both.height() * 3 / 4), QColor(Qt::blue));

    // Onto a full disk: one box, naming the file and the system's reason.
    export_combined_image = false;
    export_card_side = QStringLiteral("F");
    const QString full = dir.filePath(QStringLiteral("Full.tiff"));
    testResponder().reset();
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    bool exported;
    {
        const FileSizeLimit limit(65536);
        exported = e.c->Export_Single_File(full, false);
    }
    EXPECT_FALSE(exported);
    EXPECT_FALSE(QFile::exists(full));
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")),
              QStringList{QStringLiteral("\nThe card could not be exported to %1:\n%2")
                              .arg(full, QString::fromLocal8Bit(std::strerror(EFBIG)))});
    Card_Front_Or_Back = 0;
}

// Workers meet rows out of order: the end box lists the problems by card.
TEST(CardExport, BatchEndBoxListsProblemsByCardNumber)
{
    Editor e;
    ASSERT_TRUE(e.started);
    QTemporaryDir dir;
    Bound_Design(e, dir.path(), 200);
    std::vector<int> missing;
    for (int i = 1; i < 200; i += 3) {
        QFile::remove(dir.filePath(QStringLiteral("c%1.png").arg(i)));
        missing.push_back(i + 1);
    }
    testResponder().onDialog([](QDialog& box) { box.reject(); });
    e.c->Export_Batch_File(dir.path());
    e.wait();
    QStringList lines = Export_File_Message.get().split(QLatin1Char('\n'));
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.takeFirst(), QStringLiteral("200 of 200 cards were exported."));
    EXPECT_EQ(lines.takeFirst(), QStringLiteral("%1 of 200 cards carry a problem.").arg(missing.size()));
    EXPECT_EQ(lines.takeFirst(), QStringLiteral("Pictures left off:"));
    // The first ones are listed, the rest counted.
    const QString more = lines.takeLast();
    std::vector<int> listed;
    for (const QString& line : lines)
        listed.push_back(line.section(QLatin1Char(':'), 0, 0).section(QLatin1Char(' '), 1).toInt());
    EXPECT_EQ(more, QStringLiteral("\u2026 and %1 more.").arg(missing.size() - listed.size()));
    ASSERT_GE(listed.size(), 8u);
    missing.resize(listed.size());
    EXPECT_EQ(listed, missing);
    testResponder().reset();
}

// Drawing hands parts of large pictures to Qt's pool: with every new thread
// refused the run goes on this thread and ends with its message.
TEST(CardExport, BatchEndsWhenTheSystemRefusesThreads)
{
    // The program fills drawing's pool first thing at start-up.
    ASSERT_TRUE(platform::keepImagePoolReady());
    Editor e;
    ASSERT_TRUE(e.started);
    QTemporaryDir dir;
    Bound_Design(e, dir.path(), 6, 2000);
    export_dpi = 300;
    testResponder().onDialog([](QDialog& box) { box.reject(); });
    gRefuseThreads = true;
    e.c->Export_Batch_File(dir.path());
    e.wait();
    gRefuseThreads = false;
    EXPECT_FALSE(e.c->Export_Run_Active());
    EXPECT_EQ(Export_File_Message.get(), QStringLiteral("Card has been exported successfully."));
    const QString run = dir.filePath(QStringLiteral("VELT Festrune"));
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Centre(run + QStringLiteral("/Card_%1.PNG").arg(i + 1)), Row_Colour(i)) << i;
    testResponder().reset();
}

TEST(CardExport, BatchRunsEveryRowOnWorkersAndStopsCleanly)
{
    Editor e;
    ASSERT_TRUE(e.started);
    QTemporaryDir dir;
    auto front = Bound_Design(e, dir.path(), 12);
    ASSERT_EQ(Total_Batch_Excel_Card, 12);
    Card_Front_Or_Back = 1;
    export_card_side = QStringLiteral("BOTH");

    testResponder().onDialog([](QDialog& box) { box.reject(); });
    e.c->Export_Batch_File(dir.path());
    EXPECT_EQ(e.c->send_modls_wnd->_curr_msg_cnt->text(), QStringLiteral("0 / 12 Card"));
    e.wait();
    EXPECT_EQ(e.c->send_modls_wnd->_curr_msg_cnt->text(), QStringLiteral("12 / 12 "));
    EXPECT_EQ(Export_File_Message.get(), QStringLiteral("Card has been exported successfully."));
    const QString run = dir.filePath(QStringLiteral("VELT Festrune"));
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(Centre(run + QStringLiteral("/Card_%1.PNG").arg(i + 1)), Row_Colour(i)) << i;
        EXPECT_EQ(Centre(run + QStringLiteral("/Card_%1_Back.PNG").arg(i + 1)), Row_Colour(i)) << i;
    }
    // The design and the editor's side are as they were.
    EXPECT_EQ(Card_Front_Or_Back, 1);
    EXPECT_FALSE(Card_Value_In_Process);

    // A second run gets its own folder; Stop after 3 cards leaves a prefix.
    export_card_side = QStringLiteral("F");
    testResponder().answerAlert(platform::modal::AlertAnswer::Yes);
    testResponder().onDialog([](QDialog& box) { box.reject(); });
    e.c->Export_Batch_File(dir.path());
    EXPECT_TRUE(waitUntil([&] { return !e.c->Export_Run_Active() || curr_barcode_count >= 3; }));
    e.c->send_modls_wnd->Stop_Sending_Pressed();
    e.wait();
    const QStringList written = QDir(dir.filePath(QStringLiteral("VELT Festrune 2"))).entryList(QDir::Files, QDir::Name);
    ASSERT_GE(written.size(), 3);
    for (int i = 1; i <= written.size(); ++i)
        EXPECT_TRUE(written.contains(QStringLiteral("Card_%1.PNG").arg(i))) << i;
    EXPECT_EQ(Export_File_Message.get(), QStringLiteral("Card has been exported successfully."));
    testResponder().reset();

    // A write that fails ends the run with its path and reason, once.
    export_file_format = QStringLiteral("PNG/none");
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    e.c->Export_Batch_File(dir.path());
    e.wait();
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")).size(), 2);
    EXPECT_TRUE(testResponder().texts(QStringLiteral("alert")).value(0).endsWith(QStringLiteral("PNG/none")));
    EXPECT_TRUE(testResponder().texts(QStringLiteral("dialog")).isEmpty());
    testResponder().reset();

    // A folder that cannot be made: the message, nothing else.
    QFile plain(dir.filePath(QStringLiteral("plain")));
    plain.open(QIODevice::WriteOnly);
    plain.close();
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    e.c->Export_Batch_File(dir.filePath(QStringLiteral("plain")));
    ASSERT_EQ(testResponder().texts(QStringLiteral("alert")).size(), 1);
    EXPECT_TRUE(testResponder().texts(QStringLiteral("alert")).value(0).contains(unable_saving_Msg));
    EXPECT_FALSE(e.c->Export_Run_Active());
    EXPECT_FALSE(Card_Value_In_Process);
    EXPECT_EQ(Card_Front_Or_Back, 1);
    testResponder().reset();
    // Row 0 is back on the design after the runs.
    EXPECT_EQ(front->_contents.image().pixelColor(0, 0), Row_Colour(0));

    // Quitting mid-run stops the workers after the rows in flight and waits
    // for them: nothing more is written once the process-end hooks ran.
    export_file_format = QStringLiteral("PNG");
    testResponder().onDialog([](QDialog& box) { box.reject(); });
    e.c->Export_Batch_File(dir.path());
    int ended = -1;
    platform::setProcessEndHandler([&ended](int status) { ended = status; });
    platform::endProcess(0);
    platform::setProcessEndHandler({});
    EXPECT_EQ(ended, 0);
    const QDir third(dir.filePath(QStringLiteral("VELT Festrune 3")));
    const qsizetype at_end = third.entryList(QDir::Files).size();
    e.wait();
    EXPECT_EQ(third.entryList(QDir::Files).size(), at_end);
    EXPECT_FALSE(e.c->Export_Run_Active());
    Card_Front_Or_Back = 0;
}
