// --editor: the editor opcodes with no window of the host's own.
#pragma once

#include "tools/host/PluginCaller.h"
#include "tools/host/SessionReport.h"

namespace host
{
void exerciseEditor(PluginCaller& plugin, SessionReport& report);
}
