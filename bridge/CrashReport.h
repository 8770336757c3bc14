// What Oplexa says when the process crashes while a plug-in is hosted: the queued lines, then
// one line naming the signal and the call that was inside the plug-in on the crashing thread.
#pragma once

// From the signal handler: async-signal-safe.
void reportCrash(int signal) noexcept;
