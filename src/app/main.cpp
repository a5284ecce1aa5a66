#include "app/EditorStart.h"
#include "platform/picture_decode.h"
#include "platform/image_browser.h"
#include "platform/process_end.h"
#include "platform/threads.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cardwright"));
    QApplication::setApplicationDisplayName(QStringLiteral("Cardwright"));
    platform::setPictureAllocationLimit();
    // Qt's pool holds its threads from now on: drawing never waits for one
    // that a system at its limit refuses later.
    platform::keepImagePoolReady();
    // For start-up checks: with CARDWRIGHT_EXIT_AT_START set, the program
    // ends with status 0 as soon as its first event loop runs (the start
    // wizard's), after the resource folder and the main window were made.
    // Thumbnail workers are stopped first, as the wizard's Exit does.
    if (!qEnvironmentVariableIsEmpty("CARDWRIGHT_EXIT_AT_START")) {
        QTimer::singleShot(0, [] {
            platform::ThumbnailLoader::shutdown();
            platform::endProcess(0);
        });
    }
    return Start_Editor();
}
