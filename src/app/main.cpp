#include "app/EditorStart.h"
#include "platform/picture/picture_decode.h"
#include "platform/image_browser.h"
#include "platform/log.h"
#include "platform/modal.h"
#include "platform/process_end.h"
#include "platform/threads.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv)
{
    // Made before the application, whose end waits for the drawing threads.
    platform::DecodeBudget decodeBudget;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cardwright"));
    QApplication::setApplicationDisplayName(QStringLiteral("Cardwright"));
    // Windows name the program's desktop entry and carry its icon (both
    // installed under share/), so a desktop matches them to its menu item.
    QGuiApplication::setDesktopFileName(QStringLiteral("cardwright"));
    QApplication::setWindowIcon(QIcon::fromTheme(
        QStringLiteral("cardwright"),
        QIcon(QCoreApplication::applicationDirPath()
              + QStringLiteral("/../share/icons/hicolor/256x256/apps/cardwright.png"))));
    platform::setPictureAllocationLimit();
    // Qt's pool holds its threads from now on: drawing never waits for one
    // that a system at its limit refuses later. Without any, no window can
    // be drawn: the program says so and ends.
    if (!platform::keepImagePoolReady()) {
        const QString why = QStringLiteral("Cardwright cannot start: the system refuses to start the threads its "
                                           "drawing needs. Close other programs and try again.");
        platform::logText(why);
        platform::modal::alert(platform::modal::AlertKind::Ok, why);
        platform::endIfPoolLostThread(1);
        return 1;
    }
    // For start-up checks: with CARDWRIGHT_EXIT_AT_START set, the program
    // ends with status 0 as soon as its first event loop runs (the start
    // wizard's), after the resource folder and the main window were made,
    // and logs the title of the window it reached.
    // Thumbnail workers are stopped first, as the wizard's Exit does.
    if (!qEnvironmentVariableIsEmpty("CARDWRIGHT_EXIT_AT_START")) {
        QTimer::singleShot(0, [] {
            if (const QWidget* window = QApplication::activeModalWidget())
                platform::logText(QStringLiteral("start-up reached: ") + window->windowTitle());
            platform::ThumbnailLoader::shutdown();
            platform::endProcess(0);
        });
    }
    const int status = Start_Editor();
    platform::endIfPoolLostThread(status);
    return status;
}
