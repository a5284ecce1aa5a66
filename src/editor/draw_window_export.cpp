// Export of one card picture, as far as the template preview needs it: the
// front, or the front above the back when both sides are combined, as PNG.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "drawing/QBXRenderingView.h"

#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

bool export_combined_image = false;

bool QBXWindowController::Export_Single_File(const QString& path, bool show_msg)
{
    try {
        QImage front = QBXRenderingView::image_From_Card_Graphics(Get_Front_Controls_Array(), false,
                                                                  Card_Render_Context(0))
                           .toImage(72.0);
        QImage picture = front;
        if (export_card_side == QLatin1String("BOTH") && export_combined_image && !front.isNull()) {
            const QImage back = QBXRenderingView::image_From_Card_Graphics(Get_Back_Controls_Array(), false,
                                                                           Card_Render_Context(1))
                                    .toImage(72.0);
            picture = QImage(front.width(), front.height() + back.height(), QImage::Format_ARGB32_Premultiplied);
            picture.fill(Qt::white);
            QPainter painter(&picture);
            painter.drawImage(0, 0, front);
            painter.drawImage(0, front.height(), back);
        }
        QSaveFile file(path);
        bool ok = !picture.isNull() && file.open(QIODevice::WriteOnly);
        if (ok) {
            QImageWriter writer(&file, "png");
            ok = writer.write(picture);
            if (!ok)
                file.cancelWriting();
        }
        ok = ok && file.commit();
        if (!ok)
            Show_NSLog_Message(QStringLiteral("Unable to export ") + path);
        else if (show_msg)
            Show_MessageBox(QStringLiteral("Card exported successfully."));
        return ok;
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        return false;
    }
}

void QBXWindowController::Export_Batch_File(const QString& folder)
{
    // Minimal until the batch export lands: the request is only logged.
    Show_NSLog_Message(QStringLiteral("Batch export into %1 is not available yet.").arg(folder));
}
