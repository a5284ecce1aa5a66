// Clipboard data and picture files from anywhere: bombs are refused within
// a second and 100 MB, pictures naming one file share one decode, and a
// seeded fuzz loop (seed printed; CARDWRIGHT_FUZZ_SEED repeats a run) feeds
// mutated settings, clipboard and entity-declaring bytes to the readers.
#include "drawing/GraphicDefaults.h"
#include "drawing/QBXGraphic.h"
#include "drawing/QBXImage.h"
#include "platform/plist.h"
#include "support/hostile_bytes.h"
#include "support_model.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>

using platform::Plist;

namespace {

struct QuietDefaults {
    GraphicDefaults saved = graphicDefaults();
    QuietDefaults() { graphicDefaults().log = [](const QString&) {}; }
    ~QuietDefaults() { graphicDefaults() = saved; }
};

// Random damage of the kinds that reach readers: flipped and special bytes,
// inserted, removed and repeated runs, truncation.
QByteArray mutate(QByteArray data, QRandomGenerator& rng)
{
    static const char special[] = {0, '\x7f', '\x80', '\xff', '\x0f', '\xd0', '\xaf', '<', '>'};
    const int steps = 1 + int(rng.bounded(6));
    for (int s = 0; s < steps && !data.isEmpty(); ++s) {
        const auto at = qsizetype(rng.bounded(quint32(data.size())));
        const auto run = qsizetype(1 + rng.bounded(quint32(std::min<qsizetype>(64, data.size() - at))));
        switch (rng.bounded(6)) {
        case 0: data[at] = char(rng.bounded(256)); break;
        case 1: data[at] = special[rng.bounded(quint32(sizeof special))]; break;
        case 2: data.insert(at, QByteArray(run, char(rng.bounded(256)))); break;
        case 3: data.remove(at, run); break;
        case 4: data.insert(at, data.mid(at, run).repeated(1 + int(rng.bounded(8)))); break;
        default: data.truncate(at); break;
        }
    }
    return data;
}

} // namespace

TEST(HostileInput, ClipboardBombsAreRefusedAndOneFileIsDecodedOnce)
{
    QuietDefaults quiet;
    // A few hundred bytes of arrays that each name the next three times.
    std::vector<QByteArray> objects;
    for (uint64_t i = 0; i < 24; ++i)
        objects.push_back(hostile::arrayObject({i + 1, i + 1, i + 1}, 1));
    objects.push_back(hostile::arrayObject({}, 1));
    const QByteArray bomb = hostile::binaryPlist(objects, 1);
    std::optional<GraphicList> graphics;
    QBXError error;
    const hostile::Cost cost = hostile::measure([&] { graphics = QBXGraphic::graphicsWithPasteboardData(bomb, &error); });
    EXPECT_FALSE(graphics);
    EXPECT_EQ(error.code, 2);
    EXPECT_LT(cost.seconds, hostile::kCpuSeconds);
    EXPECT_LT(cost.peakMiB, 100);

    // Eight picture graphics naming one 8000 x 8000 file.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.png"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(hostile::blackPng(8000, 8000));
    file.close();
    std::vector<std::shared_ptr<QBXImage>> pictures;
    const hostile::Cost load = hostile::measure([&] {
        for (int i = 0; i < 8; ++i) {
            pictures.push_back(std::make_shared<QBXImage>());
            pictures.back()->setFilePath(path);
        }
    });
    EXPECT_LT(load.seconds, hostile::kCpuSeconds);
    EXPECT_LT(load.peakMiB, 100);
    const QImage& first = pictures[0]->_contents;
    ASSERT_FALSE(first.isNull());
    EXPECT_LE(qint64(first.width()) * first.height(), platform::kMaxDecodePixels);
    for (const auto& p : pictures)
        EXPECT_EQ(p->_contents.cacheKey(), first.cacheKey());
}

TEST(HostileInput, FuzzedSettingsAndClipboardBytesNeverCrash)
{
    QuietDefaults quiet;
    quint64 seed = qEnvironmentVariable("CARDWRIGHT_FUZZ_SEED").toULongLong();
    if (seed == 0)
        seed = QRandomGenerator::system()->generate64();
    std::cout << "fuzz seed: " << seed << std::endl;
    RecordProperty("seed", std::to_string(seed));
    QRandomGenerator rng(seed);

    Plist settings = Plist::dict();
    for (const char* key : {"SendEmailRecipient", "SendEmailSender", "SendEmailPwd", "SendEmailSMTP", "SendEmailPORT"})
        settings.insert(QString::fromLatin1(key), Plist::string(QStringLiteral("value of ") + QLatin1String(key)));
    GraphicList list = oneOfEachClass();
    for (size_t i = 0; i < list.size(); ++i)
        fillDistinct(*list[i], int(i), i % 2 == 1);
    const QByteArray clipboard = QBXGraphic::pasteboardDataWithGraphics(list);
    QString text;
    for (char16_t c : {0x01, 0x0D, 0xD800, 0xFFFE, 0xFDD0, 0x26, 0xE9})
        text.append(QChar(c));
    settings.insert(text, Plist::string(text));
    const std::vector<QByteArray> seeds = {settings.toXml(), settings.toBinary(), clipboard,
                                           Plist::fromData(clipboard)->toXml(), hostile::entityXml(3, 40)};

    const int cases = qEnvironmentVariableIsSet("CARDWRIGHT_FUZZ_CASES")
        ? qEnvironmentVariableIntValue("CARDWRIGHT_FUZZ_CASES") : 5000;
    QElapsedTimer timer;
    timer.start();
    int done = 0, read = 0;
    for (; done < cases && timer.elapsed() < 30000; ++done) {
        const QByteArray data = mutate(seeds[rng.bounded(quint32(seeds.size()))], rng);
        // The settings road: a dictionary, its strings looked up. The direct
        // scan of plain XML and the general reader agree.
        const std::optional<Plist> v = Plist::fromData(data);
        EXPECT_TRUE(Plist::fromData(hostile::withComment(data)) == v) << data.toStdString();
        if (v && v->isDict()) {
            ++read;
            (void)v->value(u"SendEmailSMTP").toString();
        }
        QBXError error;
        if (const auto graphics = QBXGraphic::graphicsWithPasteboardData(data, &error)) {
            ++read;
            EXPECT_FALSE(QBXGraphic::pasteboardDataWithGraphics(*graphics).isEmpty() && !graphics->empty());
        }
    }
    std::cout << done << " cases, " << read << " read, seed " << seed << std::endl;
    EXPECT_GT(read, 0);
}
