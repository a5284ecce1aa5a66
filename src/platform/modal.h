#pragma once
// The one seam for everything that waits on the user: modal dialog runs,
// alerts, file panels, the colour panel and the font panel. Production code
// calls these functions; tests install a Responder that answers directly.
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>

class QDialog;

namespace platform::modal {

enum class AlertKind { Ok, YesNo };
enum class AlertAnswer { Ok, Yes, No };

struct FilePanelRequest {
    enum class Kind { OpenFile, OpenFiles, SaveFile, ChooseFolder };
    Kind kind = Kind::OpenFile;
    QString title;
    QString folder;         // where the panel starts
    QString fileName;       // proposed name of a save panel
    QStringList extensions; // allowed extensions, without the dot; empty: any
};

class Responder {
public:
    virtual ~Responder() = default;
    virtual AlertAnswer alert(AlertKind kind, const QString& text) = 0;
    // Runs the dialog modally and returns its result code (1 OK, 0 Cancel).
    virtual int run(QDialog& dialog) = 0;
    // The chosen paths; empty when cancelled.
    virtual QStringList filePanel(const FilePanelRequest& request) = 0;
    virtual std::optional<QColor> colorPanel(const QColor& initial, const QString& title) = 0;
    virtual std::optional<QFont> fontPanel(const QFont& initial, const QString& title) = 0;
};

// Installs a responder (nullptr: the real panels). Main thread only.
void setResponder(Responder* responder);
Responder* responder();

// All of the following run on the main thread only; alerts from other
// threads go through platform::showAlert (alerts.h).

// Fits the dialog to its screen (fitToScreen), runs it modally (its own
// event loop) and returns its result code.
int run(QDialog& dialog);

// An application-modal alert with the message text, an empty informative
// text and the buttons "OK", or "Yes" (default) and "No".
AlertAnswer alert(AlertKind kind, const QString& text);

std::optional<QString> openFile(const QString& title, const QString& folder, const QStringList& extensions);
QStringList openFiles(const QString& title, const QString& folder, const QStringList& extensions);
std::optional<QString> chooseFolder(const QString& title, const QString& folder);
// A save panel limited to one extension; the answer always ends with
// "." + extension (appended when the user typed another or none). When that
// file exists the user is asked whether to replace it (unless askReplace is
// false: the caller asks itself), and No answers like Cancel.
std::optional<QString> saveFile(const QString& title, const QString& folder, const QString& fileName,
                                const QString& extension, bool askReplace = true);
// A save panel offering several file types (extensions without the dot).
// The path comes back as the user gave it, with the index of the type chosen;
// the caller asks before replacing a file.
// A responder answers the path, optionally followed by the chosen type's
// extension (the first type when it gives none or an unknown one).
struct SaveChoice {
    QString path;
    int type = 0;
};
std::optional<SaveChoice> saveFileOfType(const QString& title, const QString& folder, const QString& fileName,
                                         const QStringList& types);
std::optional<QColor> chooseColor(const QColor& initial, const QString& title = {});
// The font panel opens on panelFont(initial) (font_resolve.h).
std::optional<QFont> chooseFont(const QFont& initial, const QString& title = {});

} // namespace platform::modal
