#include "wizards/EditorHost.h"

namespace {
EditorHost* g_host = nullptr;
}

float EditorHost::MM_to_Points_Convert(float value)
{
    return float(double(value) * 2.834645669291);
}

namespace wizards {
EditorHost* editorHost()
{
    return g_host;
}

void setEditorHost(EditorHost* host)
{
    g_host = host;
}
} // namespace wizards
