#pragma once
// Every top-level window fits the screen it opens on, with all its controls
// reachable: the main window when it is placed and every dialog when the
// modal seam runs it.
class QScreen;
class QSize;
class QWidget;

namespace platform {

// The largest window size that fits the screen's available area with the
// window manager's title bar and borders.
QSize windowRoom(const QScreen& screen);

// Fits a top-level window into the available area of its screen, less room
// for the window manager's title bar and borders. Contents that cannot
// shrink that far scroll, while a bottom row of push buttons (or a button
// box) stays below the scrolled part; a window larger than the room is sized
// down and centred. A window that fits keeps its size and place.
void fitToScreen(QWidget& window);

} // namespace platform
