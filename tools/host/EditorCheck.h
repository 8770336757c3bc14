// --editor: the editor opcodes with no window of the host's own. Real plug-ins crash without an
// X display (DPF's already in EditGetRect, LSP's in EditOpen), so they need one unless forced.
#pragma once

#include "tools/host/PluginCaller.h"
#include "tools/host/SessionReport.h"

namespace host
{
void exerciseEditor(PluginCaller& plugin, SessionReport& report, bool withoutDisplay);
}
