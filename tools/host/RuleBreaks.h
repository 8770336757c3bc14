// oplexa-host --break RULE-ID: a session that is well-behaved but for one host-side rule of the
// VST 2 protocol, broken once, so that the rule checker has a host at fault to find.
#pragma once

#include "tools/host/PluginCaller.h"

#include <string>

namespace host
{
// Where in the session a rule is broken.
enum class SessionPoint
{
    beforeResume, // set up, before effMainsChanged 1
    resumed,      // after effStartProcess, before the blocks
    afterClose,
};

// True when id names a rule the host can break.
bool isHostBreak(const std::string& id);
// The ids, comma-separated.
std::string hostBreakIds();

// Breaks rule if it is broken at point.
void breakRule(const std::string& rule, SessionPoint point, PluginCaller& plugin);
} // namespace host
