// The events list of ProcessEvents: one line for the count, one per event. Each event is copied
// with no more bytes than its type's own size, whatever its byteSize claims: hosts fill that
// field inconsistently, and the plug-in never reads past its type either.
#include "logger/EventDecoder.h"

#include "logger/DetailText.h"
#include "vst/VstStructures.h"

#include <cstring>

namespace detail
{
namespace
{
const char* const kEventTypeNames[] = {nullptr,     "midi",    "audio", "video",
                                       "parameter", "trigger", "sysex"};

// By the status byte's upper four bits, from 0x8; a null label means no such data byte.
struct MidiMessage
{
    const char* name;
    const char* first;
    const char* second;
};
constexpr MidiMessage kMidiMessages[] = {
    {"note off", "note", "velocity"},       {"note on", "note", "velocity"},
    {"poly pressure", "note", "pressure"},  {"control change", "controller", "value"},
    {"program change", "program", nullptr}, {"channel pressure", "pressure", nullptr},
    {"pitch bend", nullptr, nullptr},
};
constexpr int kPitchBend = 6;

constexpr size_t kSysExShown = 16;

void appendMidiMessage(LineBuffer& line, const uint8_t* data) noexcept
{
    const int status = data[0];
    if (status < 0x80)
    {
        line.append(" (no status byte)");
        return;
    }
    if (status >= 0xF0)
    {
        line.append(" (system message)");
        return;
    }
    const int kind = (status >> 4) - 8;
    const MidiMessage& message = kMidiMessages[kind];
    line.append(" (%s, channel %d", message.name, (status & 0x0F) + 1);
    if (kind == kPitchBend)
        line.append(", value %d", (((data[2] & 0x7F) << 7) | (data[1] & 0x7F)) - 8192);
    if (message.first != nullptr)
        line.append(", %s %d", message.first, data[1]);
    if (message.second != nullptr)
        line.append(", %s %d", message.second, data[2]);
    line.append(")");
}

void appendMidi(LineBuffer& line, const void* event) noexcept
{
    VstMidiEvent midi;
    std::memcpy(&midi, event, sizeof(midi));
    line.append("midi %02X %02X %02X delta=%d", midi.midiData[0], midi.midiData[1],
                midi.midiData[2], midi.deltaFrames);
    appendMidiMessage(line, midi.midiData);
    if (midi.noteLength != 0)
        line.append(" length=%d", midi.noteLength);
    if (midi.noteOffset != 0)
        line.append(" offset=%d", midi.noteOffset);
    if (midi.detune != 0)
        line.append(" detune=%d", midi.detune);
    if (midi.noteOffVelocity != 0)
        line.append(" noteOffVelocity=%d", midi.noteOffVelocity);
    if ((midi.flags & kVstMidiEventIsRealtime) != 0)
        line.append(" realtime");
}

void appendSysEx(LineBuffer& line, const void* event) noexcept
{
    VstMidiSysexEvent sysex;
    std::memcpy(&sysex, event, sizeof(sysex));
    line.append("sysex delta=%d length=%d", sysex.deltaFrames, sysex.dumpBytes);
    if (sysex.dumpBytes < 0)
        line.append(" (negative)");
    else if (sysex.dumpBytes > 0 && sysex.dump == nullptr)
        line.append(" data=null");
    else if (sysex.dumpBytes > 0)
    {
        const auto given = static_cast<size_t>(sysex.dumpBytes);
        line.append(":");
        appendHex(line, sysex.dump, given < kSysExShown ? given : kSysExShown, given);
    }
}

void appendEvent(LineBuffer& line, const void* event) noexcept
{
    // The 16-byte head is part of every type's own size.
    VstEvent head;
    std::memcpy(&head, event, offsetof(VstEvent, typeData));
    if (head.type == kVstEventMidi)
        appendMidi(line, event);
    else if (head.type == kVstEventSysEx)
        appendSysEx(line, event);
    else if (const char* name = nameAt(kEventTypeNames, head.type))
        line.append("%s delta=%d", name, head.deltaFrames);
    else
        line.append("type %d delta=%d", head.type, head.deltaFrames);
}
} // namespace

void decodeEvents(DetailLines& out, const void* list) noexcept
{
    LineBuffer line;
    if (list == nullptr)
    {
        line.append("  events: null pointer");
        out.write(line.c_str());
        return;
    }
    int32_t count = 0;
    std::memcpy(&count, list, sizeof(count));
    line.append(count < 0 ? "  events: negative count %d" : "  events: %d", count);
    out.write(line.c_str());
    const long shown = count < kMaxShown ? count : kMaxShown;
    const auto* slots = static_cast<const char*>(list) + offsetof(VstEvents, events);
    for (long i = 0; i < shown; ++i)
    {
        const void* event = nullptr;
        std::memcpy(&event, slots + i * sizeof(event), sizeof(event));
        LineBuffer eventLine;
        eventLine.append("  event %ld: ", i);
        if (event == nullptr)
            eventLine.append("null pointer");
        else
            appendEvent(eventLine, event);
        out.write(eventLine.c_str());
    }
    if (count > shown)
    {
        LineBuffer more;
        more.append("  … %ld more", count - shown);
        out.write(more.c_str());
    }
}
} // namespace detail
