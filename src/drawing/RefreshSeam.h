#pragma once
// The one way drawing code asks for the canvas to be redrawn. A request made
// while the canvas paints is ignored (a paint must not schedule another);
// any other request, from any thread, is queued to the main thread, where
// requests that arrive together run the handler once.
#include <functional>

namespace drawing {

// Installed by the controller; runs on the main thread.
void setRefreshHandler(std::function<void()> handler);
// Safe from any thread and from inside drawing.
void requestRefresh();
// Number of handler runs so far (for checks).
int refreshRunCount();

// Marks the canvas as painting for its lifetime (main thread).
class CanvasPaintScope {
public:
    CanvasPaintScope();
    ~CanvasPaintScope();
    CanvasPaintScope(const CanvasPaintScope&) = delete;
    CanvasPaintScope& operator=(const CanvasPaintScope&) = delete;
};

} // namespace drawing
