// The callbacks handed to hosted plug-ins. A C callback carries no user pointer, so each session
// hands its plug-in a function of its own from a fixed set, and the function's index names the
// session: a callback is attributed exactly, from any thread, with a null record too.
#pragma once

#include "bridge/Process.h"
#include "vst/VstInterface.h"

class Session;

namespace callbackPool
{
constexpr int kCallbacks = Process::kCallbacks;

// The function of index; each index has its own address.
audioMasterCallback function(int index) noexcept;

// Under the registry's lock. The free index that was given back longest ago, now belonging to
// session; -1 when every one is held.
int take(Session& session) noexcept;
// Index now belongs to session (a held one, taken from the session that held it).
void handOver(int index, Session& session) noexcept;
// Index is free again: its calls return 0 and reach no session.
void giveBack(int index) noexcept;
// Every index is free, when the sessions are freed.
void giveBackAll() noexcept;
} // namespace callbackPool

// What every callback of the pool calls with its session: defined with the other forwarders
// (Forwarders.cpp), declared here, where it is handed out.
VstIntPtr forwardCallback(Session& session, AEffect* effect, int32_t opcode, int32_t index,
                          VstIntPtr value, void* ptr, float opt);
