#include "tools/host/EditorCheck.h"

#include <cstdlib>

namespace host
{
void exerciseEditor(PluginCaller& plugin, SessionReport& report, bool withoutDisplay)
{
    if ((plugin.record().flags & effFlagsHasEditor) == 0)
    {
        report.line("editor: none");
        return;
    }
    const char* display = std::getenv("DISPLAY");
    if (!withoutDisplay && (display == nullptr || *display == '\0'))
    {
        report.line("editor: skipped, no display");
        return;
    }
    ERect* rect = nullptr;
    const VstIntPtr gotRect = plugin.dispatch(effEditGetRect, 0, 0, &rect);
    if (rect != nullptr)
        report.line("editor rect: result=%ld top=%d left=%d bottom=%d right=%d",
                    static_cast<long>(gotRect), rect->top, rect->left, rect->bottom, rect->right);
    else
        report.line("editor rect: result=%ld null", static_cast<long>(gotRect));

    const VstIntPtr opened = plugin.dispatch(effEditOpen, 0, 0, nullptr);
    report.line("editor open: %ld", static_cast<long>(opened));
    for (int i = 0; i < 3; ++i)
        plugin.dispatch(effEditIdle);
    plugin.dispatch(effEditClose);
}
} // namespace host
