// Decoded pictures kept between draws: found again by their stored picture,
// never keeping its bytes once the design lets it go, decoded once when
// several draws miss it at once, and their reasons logged per picture. Each
// test draws with a fresh store of its own.
#include "drawing/PictureStore.h"
#include "support/hang_guard.h"
#include "support/hostile_bytes.h"
#include "support/log_capture.h"

#include <QSemaphore>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace {

platform::StoredPicture colourPicture(int width, int height, QRgb colour)
{
    return platform::StoredPicture::fromBytes(hostile::colourPng(uint32_t(width), uint32_t(height), colour));
}

} // namespace

TEST(PictureStore, EightDrawsMissingOnePictureDecodeItOnce)
{
    const platform::StoredPicture stored = colourPicture(4096, 4096, qRgb(200, 30, 90));
    ASSERT_FALSE(stored.isNull());
    drawing::PictureStore store;
    QSemaphore ready;
    QSemaphore go;
    std::vector<drawing::PicturePtr> drawn(8);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < drawn.size(); ++t)
        threads.emplace_back([&, t] {
            ready.release();
            go.acquire();
            drawn[t] = drawing::pictureFor(stored, QSize(1500, 1500));
        });
    ready.acquire(int(drawn.size()));
    go.release(int(drawn.size()));
    {
        // A lost wake-up leaves the waiting draws asleep: fail now, not at
        // the test's time limit.
        HangGuard guard(std::chrono::seconds(30), "eight draws of one picture");
        for (std::thread& thread : threads)
            thread.join();
    }
    EXPECT_EQ(store.decodes(), 1);
    for (const drawing::PicturePtr& pic : drawn) {
        ASSERT_TRUE(pic);
        EXPECT_EQ(pic, drawn[0]);
    }
    EXPECT_EQ(drawn[0]->image.pixel(0, 0), qRgb(200, 30, 90));
    // A larger need decodes again; a smaller one finds the kept picture.
    EXPECT_NE(drawing::pictureFor(stored, QSize(2000, 2000)), drawn[0]);
    EXPECT_TRUE(drawing::pictureFor(stored, QSize(100, 100)));
    EXPECT_EQ(store.decodes(), 2);
}

TEST(PictureStore, PicturesLetGoAreNotHeldAndEachHasItsOwnPixelsAndReasons)
{
    // Pictures made and dropped one after another may take the memory of the
    // one before: each still shows its own colour, and the bytes of those
    // let go are no longer held.
    const drawing::PictureStore store;
    const qint64 held = platform::StoredPicture::heldBytes();
    for (int i = 0; i < 40; ++i) {
        const QRgb colour = qRgb(6 * i, 255 - 6 * i, 100);
        const QByteArray bytes = hostile::colourPng(600, 400, colour) + QByteArray(1 << 20, char(i));
        const platform::StoredPicture stored = platform::StoredPicture::fromBytes(bytes);
        const drawing::PicturePtr pic = drawing::pictureFor(stored, QSize(60, 40));
        ASSERT_TRUE(pic) << i;
        EXPECT_EQ(pic->image.pixel(3, 3), colour) << i;
        EXPECT_GE(platform::StoredPicture::heldBytes(), held + (1 << 20));
    }
    EXPECT_EQ(platform::StoredPicture::heldBytes(), held);

    // Each damaged picture says why, though the one before it is gone.
    LogCapture log;
    for (int i = 0; i < 5; ++i) {
        QByteArray damaged = hostile::colourPng(64, 64, qRgb(i, 2, 3));
        damaged.replace(56, 4, "\xff\xff\xff\xff"); // no zlib stream where the image data starts
        const platform::StoredPicture stored = platform::StoredPicture::fromBytes(damaged);
        if (stored.isNull())
            continue;
        QString why;
        EXPECT_FALSE(drawing::pictureFor(stored, {}, &why));
        EXPECT_FALSE(why.isEmpty());
        EXPECT_FALSE(drawing::pictureFor(stored)); // said once per picture
        EXPECT_EQ(LogCapture::lines().filter(QStringLiteral("cannot be read")).size(), i + 1) << i;
    }
}

TEST(PictureStore, PixelsNeededFollowTheSurfaceUpToTheHighestOutput)
{
    EXPECT_EQ(drawing::pixelsNeeded(QSizeF(72, 36), 1.0), QSize(72, 36));
    EXPECT_EQ(drawing::pixelsNeeded(QSizeF(72, 36), 300.0 / 72), QSize(300, 150));
    EXPECT_EQ(drawing::pixelsNeeded(QSizeF(72, 36), 1200.0 / 72), QSize(600, 300));
    EXPECT_EQ(drawing::pixelsNeeded(QSizeF(72, 36)), QSize(600, 300));
}

TEST(PictureStore, PicturesShownTogetherAreDecodedTogetherWithinTheThreads)
{
    std::vector<std::pair<platform::StoredPicture, QSize>> wanted;
    for (int i = 0; i < 6; ++i)
        wanted.emplace_back(colourPicture(2048, 2048, qRgb(40 * i, 7, 9)), QSize(1024, 1024));
    drawing::PictureStore store;
    drawing::decodeTogether(wanted);
    const int most = store.mostDecodesAtOnce();
    EXPECT_GE(most, std::min(2, QThread::idealThreadCount()));
    EXPECT_LE(most, std::max(1, QThread::idealThreadCount()));
    for (const auto& [stored, need] : wanted)
        EXPECT_TRUE(drawing::pictureFor(stored, need));
    EXPECT_EQ(store.decodes(), 6); // each decoded once, then found kept
}

TEST(PictureStore, KeptPicturesGiveWayToStoredBytesAndGoWhenReleased)
{
    // Stored bytes of 400 MiB (pages never touched) leave the kept pictures
    // less than their most.
    QByteArray bytes(400 << 20, Qt::Uninitialized);
    const QByteArray png = hostile::colourPng(64, 64, qRgb(1, 2, 3));
    std::copy(png.begin(), png.end(), bytes.begin());
    const platform::StoredPicture big = platform::StoredPicture::fromBytes(bytes);
    ASSERT_FALSE(big.isNull());
    drawing::PictureStore store;
    const qint64 allowance = std::clamp(drawing::kPictureMemoryBytes - platform::StoredPicture::heldBytes(),
                                        drawing::kMinKeptPictureBytes, drawing::kKeptPictureBytes);
    ASSERT_LT(allowance, drawing::kKeptPictureBytes);
    std::vector<platform::StoredPicture> pictures;
    for (int i = 0; i < 10; ++i) {
        pictures.push_back(colourPicture(2048, 2048, qRgb(i, 90, 9)));
        ASSERT_TRUE(drawing::pictureFor(pictures.back()));
        EXPECT_LE(store.keptBytes(), allowance) << i;
    }
    drawing::releaseDecodedPictures();
    EXPECT_EQ(store.keptBytes(), 0);
}
