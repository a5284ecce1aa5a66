#include "platform/pasteboard.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QThread>

namespace platform::pasteboard {
namespace {

QClipboard* clipboard()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread())
        return nullptr;
    return QGuiApplication::clipboard();
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
