#include "drawing/CanvasHost.h"

#include <atomic>

namespace drawing {
namespace {
std::atomic<CanvasHost*> gHost{nullptr};
}

CanvasHost* canvasHost()
{
    return gHost.load();
}

void setCanvasHost(CanvasHost* host)
{
    gHost.store(host);
}

} // namespace drawing
