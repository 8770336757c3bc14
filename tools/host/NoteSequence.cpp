#include "tools/host/NoteSequence.h"

#include "tools/host/HostLog.h"
#include "vst/VstStructures.h"

namespace host
{
namespace
{
struct Note
{
    int block;
    int32_t delta;
    uint8_t status, first, second;
};

// Two notes, a modulation wheel move, a pitch bend, a third note, and every note off again;
// at most two per block, which is what one events list holds.
constexpr Note kSequence[] = {
    {0, 0, 0x90, 60, 100}, {0, 64, 0x90, 64, 90},  {1, 0, 0xB0, 1, 64},   {1, 100, 0xE0, 0, 80},
    {2, 0, 0x80, 60, 0},   {2, 32, 0x90, 67, 110}, {3, 16, 0x80, 64, 64}, {3, 200, 0x80, 67, 0},
};
} // namespace

void sendNotes(PluginCaller& plugin, int block, int blockSize)
{
    VstMidiEvent midi[2]{};
    VstEvents list{};
    for (const Note& note : kSequence)
    {
        if (note.block != block)
            continue;
        VstMidiEvent& event = midi[list.numEvents];
        event.type = kVstEventMidi;
        event.byteSize = sizeof(VstMidiEvent) - 8;
        event.deltaFrames = note.delta < blockSize ? note.delta : blockSize - 1;
        event.midiData[0] = note.status;
        event.midiData[1] = note.first;
        event.midiData[2] = note.second;
        list.events[list.numEvents++] = reinterpret_cast<VstEvent*>(&event);
        hostLog().line("event block %d: midi %02X %02X %02X delta=%d", block, note.status,
                       note.first, note.second, event.deltaFrames);
    }
    if (list.numEvents > 0)
        plugin.dispatch(effProcessEvents, 0, 0, &list);
}
} // namespace host
