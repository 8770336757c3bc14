// The structures that calls carry, decoded by the built module while it hosts the probe: tables
// of calls with known bytes and the lines they give, limits and null pointers included.
// Bytes that end at an unreadable page crash the test if the decoder reads one byte too far.
#include "tests/support/OplexaUnderTest.h"
#include "vst/VstStructures.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <regex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
using Lines = std::vector<std::string>;
constexpr const char* kNoteOn = "midi 90 3C 64 delta=7 (note on, channel 1, note 60, velocity 100)";

// One page of bytes followed by an unreadable one; place() puts bytes right before the border.
struct Guarded
{
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    char* const base = static_cast<char*>(
        mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    Guarded() { mprotect(base + page, page, PROT_NONE); }
    ~Guarded() { munmap(base, 2 * page); }
    void* place(const void* bytes, size_t size) const
    {
        return std::memcpy(base + page - size, bytes, size);
    }
};

VstMidiEvent midi(int32_t delta, uint8_t status, uint8_t first, uint8_t second)
{
    VstMidiEvent event{};
    event.type = kVstEventMidi;
    event.byteSize = 24;
    event.deltaFrames = delta;
    event.midiData[0] = status, event.midiData[1] = first, event.midiData[2] = second;
    return event;
}

// An events list that ends exactly after its last pointer.
void* eventList(const Guarded& page, int32_t count, const std::vector<const void*>& events)
{
    std::vector<char> bytes(16 + 8 * events.size());
    std::memcpy(bytes.data(), &count, sizeof count);
    std::memcpy(bytes.data() + 16, events.data(), 8 * events.size());
    return page.place(bytes.data(), bytes.size());
}

struct Row
{
    std::function<VstIntPtr()> call;
    Lines lines; // those after two blanks only while decoding is on
};

long number(const void* pointer)
{
    return reinterpret_cast<long>(pointer);
}

bool isDetail(const std::string& message)
{
    return message.rfind("  ", 0) == 0;
}

// The lines of the call and return reports: what a recording of the session prints too.
bool isCallReport(const std::string& message)
{
    for (const char* start : {"eff", "audioMaster", "process", "setParameter", "getParameter"})
        if (message.rfind(start, 0) == 0)
            return true;
    return isDetail(message) && message.rfind("  summary ", 0) != 0;
}

// oplexa-host's printout of the one recording in folder, as messages, without the lines only
// a recording has (the thread's floating-point mode, output hashes).
Lines printedMessages(const std::string& folder)
{
    const std::string command =
        std::string(OPLEXA_HOST_PATH) + " --print " + folder + "/*.oplexarec";
    Lines messages;
    FILE* printed = popen(command.c_str(), "r");
    char line[2048];
    while (printed != nullptr && std::fgets(line, sizeof line, printed) != nullptr)
    {
        const std::string text(line, std::strcspn(line, "\n"));
        const std::string message = messageOf(text);
        if (message != text && message.rfind("  mxcsr: ", 0) != 0 &&
            message.rfind("  outputs: ", 0) != 0)
            messages.push_back(message);
    }
    EXPECT_EQ(printed != nullptr ? pclose(printed) : -1, 0) << command;
    return messages;
}

// A log report as the printout shows it: GetTime's filter and the address it returns in hex,
// where the log has them in decimal.
std::string asPrinted(std::string report)
{
    std::smatch number;
    for (const char* label : {"filter=", "TimeInfo="})
        if (std::regex_search(report, number, std::regex(std::string(label) + "([0-9]+) ")))
        {
            const unsigned long long value = std::stoull(number[1]);
            char hex[32];
            std::snprintf(hex, sizeof hex, *label == 'f' ? "0x%llX" : "0x%llx", value);
            report.replace(static_cast<size_t>(number.position(1)), number.length(1),
                           value == 0 && *label == 'T' ? "(nil)" : hex);
        }
    return report;
}
} // namespace

// The probe hosted while a case's calls run three times: without the attributes, with them
// off, with them on. The last run is recorded too, and the recording printed gives the log's
// very lines.
class DecodedStructures : public ::testing::Test
{
protected:
    Probe probe;
    AEffect* proxy = nullptr;

    std::function<VstIntPtr()> call(int32_t opcode, int32_t index, VstIntPtr value, void* ptr)
    {
        return [=] { return proxy->dispatcher(proxy, opcode, index, value, ptr, 0.0f); };
    }
    // Each row gives its lines (the detail lines only while decoding is on) and the same plain
    // lines each time; Close adds the summary only while it is on.
    void runThreeWays(const std::vector<Row>& table, const Lines& summary);
};

void DecodedStructures::runThreeWays(const std::vector<Row>& table, const Lines& summary)
{
    OplexaUnderTest oplexa(probe.path());
    const std::string recordings = oplexa.folder().file("recordings");
    ASSERT_EQ(mkdir(recordings.c_str(), 0700), 0);
    const std::string recorded =
        "decodeStructures=\"1\" logSummary=\"1\" recordFolder=\"" + recordings + "\" ";
    std::vector<Lines> runs;
    for (const char* parameters :
         {"", "decodeStructures=\"0\" logSummary=\"0\" ", recorded.c_str()})
    {
        if (*parameters != '\0')
            oplexa.writeParameters(parameters);
        const size_t runFrom = oplexa.messages().size();
        proxy = oplexa.startOrThrow();
        const bool on = std::strstr(parameters, "\"1\"") != nullptr;
        runs.emplace_back();
        for (const Row& row : table)
        {
            const size_t from = oplexa.lines().size();
            row.call();
            const Lines lines = oplexa.lines();
            Lines messages, expected;
            for (size_t i = from; i < lines.size(); ++i)
            {
                messages.push_back(messageOf(lines[i]));
                if (!isDetail(messages.back()))
                    runs.back().push_back(lines[i]);
            }
            std::copy_if(row.lines.begin(), row.lines.end(), std::back_inserter(expected),
                         [on](const std::string& line) { return on || !isDetail(line); });
            EXPECT_EQ(messages, expected) << row.lines.front();
        }
        const size_t from = oplexa.lines().size();
        proxy->dispatcher(proxy, effClose, 0, 0, nullptr, 0.0f);
        const Lines messages = oplexa.messages();
        Lines after;
        for (size_t i = from + 1; i < messages.size() && isDetail(messages[i]); ++i)
            after.push_back(messages[i]);
        EXPECT_EQ(after, on ? summary : Lines{});
        // Saved as they were loaded, absent ones as off.
        EXPECT_TRUE(std::regex_search(readFile(oplexa.settingsFile()),
                                      std::regex(on ? R"(decodeStructures="1"\s+logSummary="1")"
                                                    : R"(decodeStructures="0"\s+logSummary="0")")));
        Lines reports;
        for (auto m = messages.begin() + static_cast<long>(runFrom); m != messages.end(); ++m)
            if (isCallReport(*m))
                reports.push_back(asPrinted(*m));
        if (on)
        {
            EXPECT_EQ(printedMessages(recordings), reports);
        }
    }
    EXPECT_EQ(runs[0], runs[1]);
    EXPECT_EQ(runs[0], runs[2]);
}

// A list of every kind of event, the border of its bytes included; one longer than is shown, a
// null and a negative count.
TEST_F(DecodedStructures, Events)
{
    Guarded pages[4];
    // A note-off whose byteSize claims more than is there, a SysEx dump at the border.
    VstMidiEvent noteOff = midi(63, 0x80, 0x3C, 0x00);
    noteOff.byteSize = 1000, noteOff.noteLength = 480, noteOff.noteOffset = 10;
    noteOff.detune = -5, noteOff.noteOffVelocity = 64, noteOff.flags = kVstMidiEventIsRealtime;
    const uint8_t dump[] = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}, longDump[20] = {1, 2, 3};
    VstMidiSysexEvent sysex{kVstEventSysEx, 32, 2, 0, 6, 0, 0, nullptr, 0};
    sysex.dump = static_cast<const uint8_t*>(pages[1].place(dump, sizeof dump));
    VstMidiSysexEvent longSysex{kVstEventSysEx, 32, 0, 0, 20, 0, 0, longDump, 0};
    VstMidiSysexEvent badSysex{kVstEventSysEx, 32, 0, 0, -1, 0, 0, longDump, 0};
    VstEvent odd{42, 8, 3, 0, {}};
    VstMidiEvent events[] = {midi(7, 0x90, 0x3C, 0x64), midi(0, 0xB1, 7, 127),
                             midi(0, 0xC2, 5, 0),       midi(0, 0xE0, 0, 0),
                             midi(0, 0xD0, 0x30, 0),    midi(0, 0xA0, 0x3C, 0x20)};
    void* list =
        eventList(pages[0], 12,
                  {&events[0], pages[2].place(&noteOff, 32), &events[1], &events[2], &events[3],
                   &events[4], &events[5], &sysex, &longSysex, nullptr, &odd, &badSysex});
    void* longList = eventList(pages[3], 70, std::vector<const void*>(70, &events[0]));
    int32_t negative[8] = {-1};
    Lines longLines{formatted("effProcessEvents events=%p ", longList), "  events: 70"};
    for (int i = 0; i < 64; ++i)
        longLines.push_back(formatted("  event %d: %s", i, kNoteOn));
    longLines.insert(longLines.end(), {"  … 6 more", "effProcessEvents returned long=0 "});
    runThreeWays(
        {{call(effProcessEvents, 0, 0, list),
          {formatted("effProcessEvents events=%p ", list), "  events: 12",
           std::string("  event 0: ") + kNoteOn,
           "  event 1: midi 80 3C 00 delta=63 (note off, channel 1, note 60, velocity 0) "
           "length=480 offset=10 detune=-5 noteOffVelocity=64 realtime",
           "  event 2: midi B1 07 7F delta=0 (control change, channel 2, controller 7, value 127)",
           "  event 3: midi C2 05 00 delta=0 (program change, channel 3, program 5)",
           "  event 4: midi E0 00 00 delta=0 (pitch bend, channel 1, value -8192)",
           "  event 5: midi D0 30 00 delta=0 (channel pressure, channel 1, pressure 48)",
           "  event 6: midi A0 3C 20 delta=0 (poly pressure, channel 1, note 60, pressure 32)",
           "  event 7: sysex delta=2 length=6: F0 7E 7F 06 01 F7",
           "  event 8: sysex delta=0 length=20: 01 02 03 00 00 00 00 00 00 00 00 00 00 00 00 00 …",
           "  event 9: null pointer", "  event 10: type 42 delta=3",
           "  event 11: sysex delta=0 length=-1 (negative)", "effProcessEvents returned long=0 "}},
         {call(effProcessEvents, 0, 0, longList), longLines},
         {call(effProcessEvents, 0, 0, nullptr),
          {"effProcessEvents events=(nil) ", "  events: null pointer",
           "effProcessEvents returned long=0 "}},
         {call(effProcessEvents, 0, 0, negative),
          {formatted("effProcessEvents events=%p ", negative), "  events: negative count -1",
           "effProcessEvents returned long=0 "}}},
        {"  summary functions: dispatcher=5",
         "  summary dispatcher: effClose=1 effProcessEvents=4"});
}

// Chunks given at the border, at null and with a negative size, and taken with a size that makes
// no sense.
TEST_F(DecodedStructures, Chunks)
{
    Guarded page;
    const uint8_t chunk[] = {1, 2, 3, 4, 5};
    void* chunkAtBorder = page.place(chunk, sizeof chunk);
    void* data = nullptr;
    const auto huge = [&]
    {
        probe->setResult(effGetChunk, VstIntPtr{1} << 40);
        call(effGetChunk, 0, 0, &data)();
        probe->clearResult(effGetChunk);
        return 0;
    };
    runThreeWays(
        {{call(effSetChunk, 0, 5, chunkAtBorder),
          {formatted("effSetChunk isPreset=0 byteSize=5 data=%p ", chunkAtBorder),
           "  chunk: 5 bytes: 01 02 03 04 05", "effSetChunk returned long=0 "}},
         {call(effSetChunk, 1, 4, nullptr),
          {"effSetChunk isPreset=1 byteSize=4 data=(nil) ", "  chunk: 4 bytes at a null pointer",
           "effSetChunk returned long=0 "}},
         {call(effSetChunk, 0, -3, nullptr),
          {"effSetChunk isPreset=0 byteSize=-3 data=(nil) ", "  chunk: negative size -3",
           "effSetChunk returned long=0 "}},
         {call(effGetChunk, 0, 0, &data),
          {formatted("effGetChunk isPreset=0 data=%p ", &data), "effGetChunk returned dataSize=20 ",
           "  chunk: 20 bytes: 4F 58 50 52 4F 42 45 31 00 00 00 3F 00 00 80 3E …"}},
         {huge,
          {formatted("effGetChunk isPreset=0 data=%p ", &data),
           "effGetChunk returned dataSize=1099511627776 ",
           "  chunk: size 1099511627776 makes no sense"}}},
        {"  summary functions: dispatcher=6",
         "  summary dispatcher: effClose=1 effGetChunk=2 effSetChunk=3"});
}

// Arrangements given (stereo at the border) and taken (six channels the probe hands out, and
// null), pins and parameter properties filled and not.
TEST_F(DecodedStructures, ArrangementsAndProperties)
{
    Guarded page;
    VstSpeakerArrangement mono{0, 1, {}}, stereo{1, 2, {}}, six{8, 6, {}};
    for (int i = 0; i < 6; ++i)
        stereo.speakers[i].type = six.speakers[i].type = i + 1;
    void* stereoAtBorder = page.place(&stereo, 8 + 2 * sizeof(VstSpeakerProperties));
    VstSpeakerArrangement* sixAt = &six;
    probe->setFill(effGetSpeakerArrangement, &sixAt, sizeof sixAt);
    VstPinProperties pin{"Left\nIn",
                         kVstPinIsActive | kVstPinIsStereo | kVstPinUseSpeaker,
                         1,
                         {'L', 'e', 'f', 't', 'I', 'n', '1', '2'},
                         {}};
    probe->setFill(effGetInputProperties, &pin, sizeof pin);
    VstParameterProperties parameter{0.1f, 0.01f, 1.0f, "Cutoff", 0x7F, 0, 127,      1,
                                     10,   "Cut", 3,    2,        4,    0, "Filter", {}};
    probe->setFill(effGetParameterProperties, &parameter, sizeof parameter);
    VstSpeakerArrangement *in = nullptr, *out = nullptr;
    const std::string sixLine = "arrangement: type 8, 6 channels: L R C Lfe Ls Rs";
    runThreeWays(
        {{call(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), stereoAtBorder),
          {formatted("effSetSpeakerArrangement pluginInput=%ld pluginOutput=%p ", number(&mono),
                     stereoAtBorder),
           "  input arrangement: mono, 1 channel: M",
           "  output arrangement: stereo, 2 channels: L R",
           "effSetSpeakerArrangement returned bool=0 "}},
         {call(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out),
          {formatted("effGetSpeakerArrangement pluginInput=%ld pluginOutput=%p ", number(&in),
                     &out),
           "effGetSpeakerArrangement returned bool=1 ", "  input " + sixLine,
           "  output " + sixLine}},
         {call(effGetSpeakerArrangement, 0, 0, nullptr),
          {"effGetSpeakerArrangement pluginInput=0 pluginOutput=(nil) ",
           "effGetSpeakerArrangement returned bool=0 ", "  arrangements: null pointer"}},
         {call(effGetInputProperties, 0, 0, &pin),
          {formatted("effGetInputProperties index=0 properties=%p ", &pin),
           "effGetInputProperties returned bool=1 ",
           "  pin: label=\"Left\\nIn\" shortLabel=\"LeftIn12\" flags=active|stereoPair|"
           "arrangementValid arrangement=stereo"}},
         {call(effGetOutputProperties, 1, 0, &pin),
          {formatted("effGetOutputProperties index=1 properties=%p ", &pin),
           "effGetOutputProperties returned bool=0 ", "  pin: not filled (result 0)"}},
         {call(effGetParameterProperties, 2, 0, &parameter),
          {formatted("effGetParameterProperties index=2 properties=%p ", &parameter),
           "effGetParameterProperties returned bool=1 ",
           "  parameter: label=\"Cutoff\" shortLabel=\"Cut\" flags=switch|integerMinMaxValid|"
           "floatStepsValid|integerStepsValid|displayIndexValid|categoryValid|canRamp min=0 "
           "max=127 step=0.1 smallStep=0.01 largeStep=1 integerStep=1 largeIntegerStep=10 "
           "displayIndex=3 category=2 categoryLabel=\"Filter\" parametersInCategory=4"}}},
        {"  summary functions: dispatcher=7",
         "  summary dispatcher: effClose=1 effGetInputProperties=1 effGetOutputProperties=1 "
         "effSetSpeakerArrangement=1 effGetParameterProperties=1 effGetSpeakerArrangement=2"});
}

// Inside GetVu the probe sends one event to the host and asks for time, level and language: each
// answer decoded, known values, all flags, and none.
TEST_F(DecodedStructures, AnswersOfTheHost)
{
    VstMidiEvent note = midi(7, 0x90, 0x3C, 0x64);
    VstEvents one{1, 0, {reinterpret_cast<VstEvent*>(&note), {}}};
    probe.callHostAt(effGetVu, audioMasterProcessEvents, 0, 0.0f, &one);
    for (int32_t opcode : {int32_t{audioMasterGetTime}, int32_t{audioMasterGetCurrentProcessLevel},
                           int32_t{audioMasterGetLanguage}})
        probe.callHostAt(effGetVu, opcode);
    VstTimeInfo time{96000, 48000, 0, 4.25, 123.5, 0, 0, 0, 7, 8, 0, 0, 0, 0x2602};
    VstTimeInfo full{1000, 44100, 5e8, 1.5, 90, 0, 0, 16, 3, 4, 80, 1, 12, 0xFFDF};
    const auto answers = [&](VstTimeInfo* info, VstIntPtr level, VstIntPtr language,
                             const std::string& timeLine, const std::string& levelLine,
                             const std::string& languageLine)
    {
        return Row{[=]
                   {
                       TestHost::answer(audioMasterGetTime, reinterpret_cast<VstIntPtr>(info));
                       TestHost::answer(audioMasterGetCurrentProcessLevel, level);
                       TestHost::answer(audioMasterGetLanguage, language);
                       return call(effGetVu, 0, 0, nullptr)();
                   },
                   {"effGetVu ", formatted("audioMasterProcessEvents events=%p ", &one),
                    "  events: 1", std::string("  event 0: ") + kNoteOn,
                    "audioMasterProcessEvents returned bool=0 ", "audioMasterGetTime filter=0 ",
                    formatted("audioMasterGetTime returned TimeInfo=%ld ", number(info)), timeLine,
                    "audioMasterGetCurrentProcessLevel ",
                    formatted("audioMasterGetCurrentProcessLevel returned long=%ld ", level),
                    levelLine, "audioMasterGetLanguage ",
                    formatted("audioMasterGetLanguage returned language=%ld ", language),
                    languageLine, "effGetVu returned level=0 "}};
    };
    runThreeWays(
        {answers(&time, 2, 1,
                 "  time: samplePos=96000 sampleRate=48000 ppqPos=4.25 tempo=123.5 timeSig=7/8 "
                 "flags=transportPlaying|ppqPosValid|tempoValid|timeSigValid",
                 "  process level: realtime", "  language: English"),
         answers(&full, 4, 6,
                 "  time: samplePos=1000 sampleRate=44100 nanoSeconds=500000000 ppqPos=1.5 "
                 "tempo=90 barStartPos=0 cycle=0..16 timeSig=3/4 smpteOffset=80 smpteRate=25 "
                 "samplesToNextClock=12 flags=transportChanged|transportPlaying|cycleActive|"
                 "recording|automationWriting|automationReading|nanosValid|ppqPosValid|"
                 "tempoValid|barsValid|cyclePosValid|timeSigValid|smpteValid|clockValid|0x10",
                 "  process level: offline", "  language: Japanese"),
         answers(nullptr, 9, 0, "  time: none (null pointer)",
                 "  process level: 9 (not a known value)", "  language: 0 (not a known value)")},
        {"  summary functions: dispatcher=4 audioMaster=12",
         "  summary dispatcher: effClose=1 effGetVu=3",
         "  summary audioMaster: audioMasterGetTime=3 audioMasterProcessEvents=3 "
         "audioMasterGetCurrentProcessLevel=3 audioMasterGetLanguage=3"});
}

TEST(SummaryLines, FitTheLogLineWhateverTheNameAndTheCounts)
{
    TempFolder folder;
    const std::string path = folder.file(std::string(200, 'p') + ".so");
    ASSERT_EQ(symlink(OPLEXA_PROBE_PATH, path.c_str()), 0);
    Probe probe(path);
    OplexaUnderTest oplexa(path);
    oplexa.writeParameters("logSummary=\"1\" logTime=\"1\"");
    AEffect* proxy = oplexa.startOrThrow();
    for (int32_t opcode = 0; opcode < 77; ++opcode)
        if (opcode != effClose)
            proxy->dispatcher(proxy, opcode, 0, 0, nullptr, 0.0f);
    proxy->dispatcher(proxy, effClose, 0, 0, nullptr, 0.0f);
    size_t lines = 0, entries = 0;
    for (const std::string& line : oplexa.lines())
        if (messageOf(line).rfind("  summary dispatcher: eff", 0) == 0)
        {
            ++lines;
            EXPECT_LE(line.size() + 1, 1024u);
            EXPECT_TRUE(std::regex_match(messageOf(line),
                                         std::regex("  summary dispatcher:( eff[A-Za-z0-9]+=1)+")))
                << line;
            entries += static_cast<size_t>(std::count(line.begin(), line.end(), '='));
        }
    EXPECT_EQ(lines, 2u);
    EXPECT_EQ(entries, 77u);
}
