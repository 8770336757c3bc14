// The endings that come without Close: the host unloads the module, a wrapper, or exits while
// plug-ins are still open. Each session ends itself; this finds the ones concerned.
#pragma once

#include "bridge/Platform.h"

#include <string>

// The host unloads the module or exits without closing every plug-in: handed to the process's
// parts as their ending hook. Nothing in a forked child; no step waits without a limit.
void endSessionsWithoutClose(platform::Ending ending) noexcept;
// The host unloads a wrapper without closing its sessions: each gets what it would get if the
// host unloaded the module itself. Nothing at exit() or in a forked child.
void endWrapperSessions(const std::string& wrapper) noexcept;
