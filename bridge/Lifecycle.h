// Start-up before the plug-in is chosen and shutdown after it closed or failed to load, for a
// session; and the parts the whole process shares, started with the first session and stopped
// after the last.
#pragma once

#include <string>

class Session;

// Finds the module's own path, starts the session's logger and reads the settings file.
void startOplexa(Session& session);
// Writes the settings file, closes the window and unloads the hosted module (unless a call is
// still running inside it).
void stopOplexa(Session& session, bool unload);

// The message thread and its X error filter, and the ending hooks; the first session starts
// them, the last one's release stops them. Never under the registry's lock.
void acquireProcessParts(Session& session);
void releaseProcessParts() noexcept;
// The host unloads a wrapper without closing its sessions: each gets what it would get if the
// host unloaded the module itself. Nothing at exit() or in a forked child.
void endWrapperSessions(const std::string& wrapper) noexcept;
// A call is still inside a plug-in after Close: it will return through Oplexa's code.
void keepLoadedForStuckCall() noexcept;

// singleInstance="1" in the settings file of the module or wrapper while a session is live: the
// next one is refused. Reads the file: never under the registry's lock.
bool singleInstanceWanted(const std::string& wrapper);

// The settings as they are now, written atomically when they differ from what the session last
// read or wrote (or the file is missing), flushed to the disk on another thread; a line says so
// when writing fails.
void saveSettings(Session& session);
