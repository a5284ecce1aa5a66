#include "platform/print_preview.h"

#include "platform/modal.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace platform {

int runPrintPreview(QPrinter& printer, const std::function<void(QPrinter*)>& paint, QWidget* parent)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("Print_Preview"));
    dialog.setWindowTitle(QStringLiteral("Print Preview"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* preview = new QPrintPreviewWidget(&printer, &dialog);
    preview->setObjectName(QStringLiteral("preview"));
    QObject::connect(preview, &QPrintPreviewWidget::paintRequested, &dialog, [&paint](QPrinter* p) { paint(p); });
    layout->addWidget(preview);

    auto* buttons = new QDialogButtonBox(&dialog);
    auto* zoomIn = buttons->addButton(QStringLiteral("Zoom In"), QDialogButtonBox::ActionRole);
    auto* zoomOut = buttons->addButton(QStringLiteral("Zoom Out"), QDialogButtonBox::ActionRole);
    auto* fit = buttons->addButton(QStringLiteral("Fit Page"), QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Close);
    QObject::connect(zoomIn, &QPushButton::clicked, preview, [preview] { preview->zoomIn(); });
    QObject::connect(zoomOut, &QPushButton::clicked, preview, [preview] { preview->zoomOut(); });
    QObject::connect(fit, &QPushButton::clicked, preview, [preview] { preview->fitInView(); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, [&dialog] { dialog.done(0); });
    layout->addWidget(buttons);
    dialog.resize(700, 800);
    // The pages exist once the dialog runs; a responder may read them at once.
    preview->updatePreview();
    return modal::run(dialog);
}

} // namespace platform
