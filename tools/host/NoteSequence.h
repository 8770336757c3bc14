// The short note sequence of --notes: MIDI events sent with ProcessEvents right before the
// first blocks are processed, as a sequencer sends them.
#pragma once

#include "tools/host/PluginCaller.h"

namespace host
{
// Sends the events that belong to block (none after the sequence's end), each logged as
// "event block B: midi XX XX XX delta=D".
void sendNotes(PluginCaller& plugin, int block, int blockSize);
} // namespace host
