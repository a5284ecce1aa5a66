#include "wizards/ProfileHost.h"

namespace {
ProfileHost* g_host = nullptr;
}

namespace wizards {

ProfileHost* profileHost()
{
    return g_host;
}

void setProfileHost(ProfileHost* host)
{
    g_host = host;
}

GraphicPtr Find_Profile_Graphic(const GraphicList& list, const QString& control_id, bool photo)
{
    const QString kind = photo ? QStringLiteral("QBXImage") : QStringLiteral("QBXText");
    GraphicPtr hidden;
    for (const GraphicPtr& g : list) {
        if (!g || g->control_ID != control_id || g->className() != kind)
            continue;
        if (g->ctrl_is_visible)
            return g;
        if (!hidden)
            hidden = g;
    }
    return hidden;
}

} // namespace wizards
