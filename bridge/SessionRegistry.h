// The module's sessions, any number at once. No forwarded call ever takes the registry's lock.
#pragma once

#include <mutex>
#include <string>
#include <vector>

class Session;
struct AEffect;

namespace registry
{
// Held while sessions change state and the process-wide parts start or stop; never through a
// chooser or a plug-in's call. Endings wait for it only for a while.
std::timed_mutex& lifecycle() noexcept;

// An idle session to start for the module itself (wrapper empty) or a wrapper, with the smallest
// instance number no live session of the same one holds and a callback of its own: a new one
// while fewer than 65 sessions are closed, else the one closed longest ago. Null when onlyOne and
// another session of the same one is live, or when every callback is held by a live session
// (noCallback). Under the lock.
Session* sessionToStart(bool onlyOne, const std::string& wrapper, bool& noCallback);
bool anyLiveSession() noexcept;
// The session whose lines a refused entry call goes to: a busy one, or null.
Session* busySession() noexcept;
// The sessions that are not idle. Under the lock.
std::vector<Session*> liveSessions();
// Frees every session, when the module is unloaded and no code of it can run any more. Under the
// lock.
void releaseSessions() noexcept;
// Every session, without the lock and without allocating: for a crash handler.
void forEverySession(void (*function)(Session&) noexcept) noexcept;
} // namespace registry
