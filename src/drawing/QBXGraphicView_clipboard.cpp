// The canvas's clipboard: copy writes the private graphics type, then PDF and
// TIFF of the selection; paste reads the private type (cascading repeated
// pastes), ignores file names and otherwise makes a picture graphic from a
// picture on the clipboard.
#include "drawing/QBXGraphicView.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "drawing/CanvasHost.h"
#include "drawing/GraphicDefaults.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXRenderingView.h"
#include "platform/pasteboard.h"

namespace pb = platform::pasteboard;

void QBXGraphicView::copy()
{
    if (There_Is_Any_Lock_Contrl()) {
        Show_MessageBox(QStringLiteral("Selected control is locked."));
        return;
    }
    const GraphicList sel = selectedGraphics();
    CanvasHost* host = drawing::canvasHost();
    const QByteArray graphicsData = QBXGraphic::pasteboardDataWithGraphics(sel);
    QByteArray pdf;
    QByteArray tiff;
    try {
        pdf = QBXRenderingView::pdfDataWithGraphics_data(sel, host ? host->cardRenderContext() : CardRenderContext());
        // A selection the renderer cannot picture leaves the TIFF out.
        tiff = QBXRenderingView::tiffDataWithGraphics(sel, nullptr);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
    _pasteboardChangeCount = pb::declareTypes({{QBXGraphicViewPasteboardType, graphicsData},
                                               {QString::fromLatin1(pb::kPdfType), pdf},
                                               {QString::fromLatin1(pb::kTiffType), tiff}});
    _pasteCascadeNumber = 1;
    if (host)
        host->pasteButtonStatus();
}

void QBXGraphicView::cut()
{
    if (There_Is_Any_Lock_Contrl()) {
        Show_MessageBox(QStringLiteral("Selected control is locked."));
        return;
    }
    copy();
    delete_();
    if (CanvasHost* host = drawing::canvasHost())
        host->undoRedoButtonState();
}

void QBXGraphicView::paste()
{
    const QString type =
        pb::availableTypeFromArray({QBXGraphicViewPasteboardType, QString::fromLatin1(pb::kFileNamesType)});
    if (type == QBXGraphicViewPasteboardType) {
        QBXError error;
        const std::optional<GraphicList> decoded =
            QBXGraphic::graphicsWithPasteboardData(pb::dataForType(type), &error);
        if (!decoded) {
            Show_MessageBox(error.localizedDescription + QLatin1Char('\n') + error.localizedFailureReason);
            return;
        }
        const qint64 count = pb::changeCount();
        if (count != _pasteboardChangeCount) {
            _pasteboardChangeCount = count;
            _pasteCascadeNumber = 0;
        }
        GraphicList gs;
        for (const GraphicPtr& g : *decoded) {
            if (g)
                gs.push_back(g);
        }
        if (gs.empty())
            return;
        // Contents from elsewhere keep their positions on a first paste,
        // unless they would land wholly off this card.
        const bool offCard = !QBXGraphic::boundsOfGraphics(gs).intersects(bounds());
        if (_pasteCascadeNumber > 0 || offCard) {
            const QString side = Card_Front_Or_Back == 1 ? QStringLiteral("B") : QStringLiteral("F");
            const QPointF p = graphic_defaults::controlNewPoint(side, gs.front()->bounds().size());
            QBXGraphic::Paste_Location_Of_Graphics(gs, p.x(), p.y(), side);
        }
        ++_pasteCascadeNumber;
        std::vector<int> indexes;
        platform::IndexSet chosen;
        for (int i = 0; i < int(gs.size()); ++i) {
            indexes.push_back(i);
            chosen.insert(i);
        }
        insertGraphics(gs, indexes);
        changeSelectionIndexes(chosen);
        if (CanvasHost* host = drawing::canvasHost())
            host->undoRedoButtonState();
        return;
    }
    if (!type.isEmpty())
        return; // file names alone: nothing
    makeNewImageFromPasteboard(QPointF(50, 50));
}

bool QBXGraphicView::makeNewImageFromPasteboard(const QPointF& point)
{
    if (!pb::hasImage()) {
        Show_NSLog_Message(QStringLiteral("The clipboard holds no picture."));
        return false;
    }
    const QImage picture = pb::image();
    if (picture.isNull()) {
        Show_NSLog_Message(QStringLiteral("The picture on the clipboard cannot be read."));
        return false;
    }
    CanvasHost* host = drawing::canvasHost();
    // Stored once as a file of its own, so that it draws and reloads.
    const QString path = host ? host->storePastedPicture(picture) : QString();
    if (path.isEmpty())
        return false;
    auto g = QBXImage::initWithPosition(point, picture, path);
    const double h = g->bounds().height();
    g = QBXImage::initWithPosition(QPointF(point.x(), point.y() - h), picture, path);
    g->setFilePath(path);
    insertGraphics({g}, {0});
    changeSelectionIndexes({0});
    if (host)
        host->undoRedoButtonState();
    return true;
}
