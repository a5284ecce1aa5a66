#include "platform/pasteboard.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QThread>
#include <QUrl>

#include <atomic>

namespace platform::pasteboard {
namespace {

QClipboard* clipboard()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread())
        return nullptr;
    return QGuiApplication::clipboard();
}

std::atomic<qint64> gChangeCount{0};

// Starts counting on first use; the count rises on every dataChanged.
QClipboard* countedClipboard()
{
    QClipboard* board = clipboard();
    static bool connected = false;
    if (board && !connected) {
        connected = true;
        QObject::connect(board, &QClipboard::dataChanged, [] { ++gChangeCount; });
    }
    return board;
}

} // namespace

void putGraphics(const QByteArray& graphics, const QByteArray& pdf, const QByteArray& tiff)
{
    QClipboard* board = clipboard();
    if (!board)
        return;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kGraphicsType), graphics);
    if (!pdf.isEmpty())
        data->setData(QString::fromLatin1(kPdfType), pdf);
    if (!tiff.isEmpty())
        data->setData(QString::fromLatin1(kTiffType), tiff);
    board->setMimeData(data);
}

bool hasGraphics()
{
    QClipboard* board = clipboard();
    const QMimeData* data = board ? board->mimeData() : nullptr;
    return data && data->hasFormat(QString::fromLatin1(kGraphicsType));
}

std::optional<QByteArray> graphics()
{
    if (!hasGraphics())
        return std::nullopt;
    return clipboard()->mimeData()->data(QString::fromLatin1(kGraphicsType));
}

} // namespace platform::pasteboard

namespace platform::pasteboard {

qint64 changeCount()
{
    countedClipboard();
    return gChangeCount.load();
}

QStringList types()
{
    QClipboard* board = countedClipboard();
    const QMimeData* data = board ? board->mimeData() : nullptr;
    return data ? data->formats() : QStringList();
}

QString availableTypeFromArray(const QStringList& wanted)
{
    const QStringList offered = types();
    for (const QString& type : wanted) {
        if (offered.contains(type))
            return type;
    }
    return {};
}

QByteArray dataForType(const QString& type)
{
    QClipboard* board = countedClipboard();
    const QMimeData* data = board ? board->mimeData() : nullptr;
    return data ? data->data(type) : QByteArray();
}

qint64 declareTypes(const std::vector<std::pair<QString, QByteArray>>& flavours)
{
    QClipboard* board = countedClipboard();
    if (!board)
        return gChangeCount.load();
    auto* data = new QMimeData;
    for (const auto& [type, bytes] : flavours) {
        if (!bytes.isEmpty())
            data->setData(type, bytes);
    }
    const qint64 before = gChangeCount.load();
    board->setMimeData(data);
    // Platforms that do not report our own replacement still count it.
    if (gChangeCount.load() == before)
        ++gChangeCount;
    return gChangeCount.load();
}

bool hasImage()
{
    QClipboard* board = countedClipboard();
    const QMimeData* data = board ? board->mimeData() : nullptr;
    return data && data->hasImage();
}

QImage image()
{
    QClipboard* board = countedClipboard();
    const QMimeData* data = board ? board->mimeData() : nullptr;
    if (!data || !data->hasImage())
        return {};
    return qvariant_cast<QImage>(data->imageData());
}

} // namespace platform::pasteboard
