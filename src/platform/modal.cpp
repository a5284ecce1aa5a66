#include "platform/modal.h"

#include "platform/font_resolve.h"
#include "platform/log.h"
#include "platform/window_fit.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>

namespace platform::modal {
namespace {

Responder* g_responder = nullptr;

bool haveWidgets()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

QString filterFor(const QStringList& extensions)
{
    if (extensions.isEmpty())
        return {};
    QStringList patterns;
    for (const QString& ext : extensions)
        patterns.append(QStringLiteral("*.") + ext);
    return patterns.join(QLatin1Char(' '));
}

QStringList askFiles(const FilePanelRequest& request)
{
    if (g_responder)
        return g_responder->filePanel(request);
    if (!haveWidgets())
        return {};
    const QString filter = filterFor(request.extensions);
    switch (request.kind) {
    case FilePanelRequest::Kind::OpenFile: {
        const QString path = QFileDialog::getOpenFileName(nullptr, request.title, request.folder, filter);
        return path.isEmpty() ? QStringList() : QStringList{path};
    }
    case FilePanelRequest::Kind::OpenFiles:
        return QFileDialog::getOpenFileNames(nullptr, request.title, request.folder, filter);
    case FilePanelRequest::Kind::ChooseFolder: {
        const QString path = QFileDialog::getExistingDirectory(nullptr, request.title, request.folder);
        return path.isEmpty() ? QStringList() : QStringList{path};
    }
    case FilePanelRequest::Kind::SaveFile: {
        const QString start = request.fileName.isEmpty()
            ? request.folder
            : QDir(request.folder.isEmpty() ? QDir::currentPath() : request.folder).filePath(request.fileName);
        // The caller asks before replacing: the extension may be added after
        // the panel closes, so the panel's own question would miss files.
        const QString path = QFileDialog::getSaveFileName(nullptr, request.title, start, filter, nullptr,
                                                          QFileDialog::DontConfirmOverwrite);
        return path.isEmpty() ? QStringList() : QStringList{path};
    }
    }
    return {};
}

} // namespace

void setResponder(Responder* responder)
{
    g_responder = responder;
}

Responder* responder()
{
    return g_responder;
}

int run(QDialog& dialog)
{
    // Every dialog fits the screen before it shows, whoever answers it.
    fitToScreen(dialog);
    if (g_responder)
        return g_responder->run(dialog);
    return dialog.exec();
}

AlertAnswer alert(AlertKind kind, const QString& text)
{
    if (g_responder)
        return g_responder->alert(kind, text);
    const AlertAnswer fallback = kind == AlertKind::Ok ? AlertAnswer::Ok : AlertAnswer::No;
    if (!haveWidgets() || QCoreApplication::closingDown()) {
        logText(QStringLiteral("alert without a running application: ") + text);
        return fallback;
    }
    QMessageBox box;
    box.setWindowModality(Qt::ApplicationModal);
    box.setIcon(QMessageBox::NoIcon);
    box.setText(text);
    box.setInformativeText(QString());
    if (kind == AlertKind::Ok) {
        QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
        box.exec();
        return AlertAnswer::Ok;
    }
    QPushButton* yes = box.addButton(QStringLiteral("Yes"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes ? AlertAnswer::Yes : AlertAnswer::No;
}

std::optional<QString> openFile(const QString& title, const QString& folder, const QStringList& extensions)
{
    const QStringList paths = askFiles({FilePanelRequest::Kind::OpenFile, title, folder, {}, extensions});
    if (paths.isEmpty())
        return std::nullopt;
    return paths.first();
}

QStringList openFiles(const QString& title, const QString& folder, const QStringList& extensions)
{
    return askFiles({FilePanelRequest::Kind::OpenFiles, title, folder, {}, extensions});
}

std::optional<QString> chooseFolder(const QString& title, const QString& folder)
{
    const QStringList paths = askFiles({FilePanelRequest::Kind::ChooseFolder, title, folder, {}, {}});
    if (paths.isEmpty())
        return std::nullopt;
    return paths.first();
}

std::optional<QString> saveFile(const QString& title, const QString& folder, const QString& fileName,
                                const QString& extension, bool askReplace)
{
    const QStringList paths = askFiles({FilePanelRequest::Kind::SaveFile, title, folder, fileName,
                                        extension.isEmpty() ? QStringList() : QStringList{extension}});
    if (paths.isEmpty() || paths.first().isEmpty())
        return std::nullopt;
    QString path = paths.first();
    if (!extension.isEmpty() && QFileInfo(path).suffix().compare(extension, Qt::CaseInsensitive) != 0)
        path += QLatin1Char('.') + extension;
    if (askReplace && QFileInfo::exists(path)
        && alert(AlertKind::YesNo, QStringLiteral("%1 already exists. Do you want to replace it?")
                                       .arg(QFileInfo(path).fileName()))
            != AlertAnswer::Yes)
        return std::nullopt;
    return path;
}

std::optional<SaveChoice> saveFileOfType(const QString& title, const QString& folder, const QString& fileName,
                                         const QStringList& types)
{
    const FilePanelRequest request{FilePanelRequest::Kind::SaveFile, title, folder, fileName, types};
    if (g_responder) {
        const QStringList answer = g_responder->filePanel(request);
        if (answer.isEmpty() || answer.first().isEmpty())
            return std::nullopt;
        return SaveChoice{answer.first(), answer.size() > 1 ? int(qMax(qsizetype(0), types.indexOf(answer.at(1)))) : 0};
    }
    if (!haveWidgets())
        return std::nullopt;
    QStringList filters;
    for (const QString& type : types)
        filters.append(type + QStringLiteral(" (*.") + type + QLatin1Char(')'));
    QString selected = filters.value(0);
    const QString start = fileName.isEmpty()
        ? folder
        : QDir(folder.isEmpty() ? QDir::currentPath() : folder).filePath(fileName);
    const QString path = QFileDialog::getSaveFileName(nullptr, title, start, filters.join(QStringLiteral(";;")),
                                                      &selected, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty())
        return std::nullopt;
    return SaveChoice{path, int(qMax(qsizetype(0), filters.indexOf(selected)))};
}

std::optional<QColor> chooseColor(const QColor& initial, const QString& title)
{
    if (g_responder)
        return g_responder->colorPanel(initial, title);
    if (!haveWidgets())
        return std::nullopt;
    const QColor chosen = QColorDialog::getColor(initial, nullptr, title, QColorDialog::ShowAlphaChannel);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

std::optional<QFont> chooseFont(const QFont& initial, const QString& title)
{
    // The panel opens on the family, style and size the font is drawn with.
    const QFont shown = panelFont(initial);
    if (g_responder)
        return g_responder->fontPanel(shown, title);
    if (!haveWidgets())
        return std::nullopt;
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, shown, nullptr, title);
    if (!ok)
        return std::nullopt;
    return chosen;
}

} // namespace platform::modal
