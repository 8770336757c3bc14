// Live checking of the protocol rules (checkRules="1") in the built module hosting the probe: off
// it changes no line; on, a well-behaved session says nothing, and a session that breaks rules
// gets one Problem line per rule, numbered as the recording of the same session numbers its
// records, and the Close lines.
#include "record/RecordFormat.h"
#include "record/RecordReader.h"
#include "tests/support/OplexaUnderTest.h"
#include "vst/VstStructures.h"

#include <filesystem>
#include <limits>
#include <map>
#include <regex>
#include <sys/stat.h>

namespace
{
using Lines = std::vector<std::string>;

// The test's own buffers, so that every run logs the same addresses.
struct Audio
{
    float samples[4][64] = {};
    float* inputs[2] = {samples[0], samples[1]};
    float* outputs[2] = {samples[2], samples[3]};
    VstMidiEvent notes[2] = {{kVstEventMidi, 24, 0, 0, 0, 0, {0x90, 60, 100, 0}, 0, 0, {}},
                             {kVstEventMidi, 24, 32, 0, 0, 0, {0x80, 60, 0, 0}, 0, 0, {}}};
    VstEvents list{
        2, 0, {reinterpret_cast<VstEvent*>(&notes[0]), reinterpret_cast<VstEvent*>(&notes[1])}};
    char text[256] = {};
};

// A timing rule may fire on a busy machine or under a sanitizer; nothing else may.
bool isBudgetProblem(const std::string& line)
{
    return line.find(":Problem process-over-budget") != std::string::npos;
}

// The recording of instance 1 in folder: what each record is, by its number.
struct Recorded
{
    uint8_t kind;
    uint8_t function;
    int32_t opcode;
    int32_t index;
    bool operator==(const Recorded& other) const
    {
        return kind == other.kind && function == other.function && opcode == other.opcode &&
               index == other.index;
    }
};
// The recording's calls by the number `oplexa print` gives them.
std::map<uint64_t, Recorded> recordedCalls(const std::string& folder)
{
    std::map<uint64_t, Recorded> records;
    std::string path;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().rfind("oplexa-probe.so#1-", 0) == 0)
            path = entry.path().string();
    recordFormat::RecordStream stream;
    if (!stream.open(path))
        return records;
    recordFormat::Record record;
    uint64_t calls = 0; // numbered as `oplexa print` numbers them
    while (stream.next(record))
        if (record.kind == recordFormat::kCall)
            records[++calls] = {record.kind, record.function, record.opcode, record.index};
    return records;
}

class CheckRules : public ProbeHosted
{
protected:
    Audio audio;
    AEffect* proxy = nullptr;

    VstIntPtr dispatch(int32_t opcode, int32_t index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f)
    {
        return proxy->dispatcher(proxy, opcode, index, value, ptr, opt);
    }
    void process() { proxy->processReplacing(proxy, audio.inputs, audio.outputs, 64); }

    // The whole lines of one session of the probe with these Parameters attributes, but for the
    // start line with the time of day.
    Lines wellBehaved(const std::string& parameters)
    {
        oplexa.writeParameters(parameters);
        const size_t from = oplexa.lines().size();
        proxy = oplexa.startOrThrow();
        dispatch(effOpen);
        dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        dispatch(effSetBlockSize, 0, 64);
        dispatch(effMainsChanged, 0, 1);
        dispatch(effGetParamName, 1, 0, audio.text);
        for (int block = 0; block < 3; ++block)
        {
            dispatch(effProcessEvents, 0, 0, &audio.list);
            process();
        }
        proxy->setParameter(proxy, 1, 0.25f);
        proxy->getParameter(proxy, 1);
        dispatch(effMainsChanged, 0, 0);
        dispatch(effClose);
        const Lines all = oplexa.lines();
        Lines lines;
        for (size_t i = from; i < all.size(); ++i)
            if (i != from + 1 && !isBudgetProblem(all[i]))
                lines.push_back(all[i]);
        return lines;
    }
};
} // namespace

// Off, absent or "0", every line is as it was; on, a session that keeps every rule adds none.
// The attribute is written back exactly when the file had it.
TEST_F(CheckRules, OffChangesNoLineAndOnAddsNoneToAGoodSession)
{
    probe->setText(effGetParamName, "Gain");
    probe.callHostAt(kProbeInProcess, audioMasterGetTime);
    const std::string summary = "logSummary=\"1\" ";
    const Lines absent = wellBehaved(summary);
    EXPECT_EQ(readFile(oplexa.settingsFile()).find("checkRules"), std::string::npos);
    for (const char* value : {"0", "1"})
    {
        EXPECT_EQ(wellBehaved(summary + "checkRules=\"" + value + "\""), absent) << value;
        EXPECT_NE(readFile(oplexa.settingsFile()).find(std::string("checkRules=\"") + value + "\""),
                  std::string::npos)
            << value;
    }
    EXPECT_GT(absent.size(), 20u);
}

// Rules broken at known calls: each Problem line names the call that a recording of the session
// numbers so, the Close lines count them, whatever logSummary says; the two live-only rules fire
// for a host call and a callback after Close.
TEST_F(CheckRules, ProblemLinesNumberCallsAsTheRecordingDoes)
{
    const std::string recordings = oplexa.folder().file("recordings");
    ASSERT_EQ(mkdir(recordings.c_str(), 0700), 0);
    oplexa.writeParameters("logSummary=\"0\" checkRules=\"1\" recordFolder=\"" + recordings + "\"");
    probe->setText(effGetParamName, "A name far longer than eight bytes");
    probe.callHostAt(effMainsChanged, audioMasterGetTime);
    proxy = oplexa.startOrThrow();
    const audioMasterCallback callback = probe->audioMaster();
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    dispatch(effSetBlockSize, 0, 64);
    process();
    dispatch(effMainsChanged, 0, 1);
    process();
    proxy->setParameter(proxy, 0, 1.5f);
    proxy->setParameter(proxy, 0, -1.0f);
    proxy->getParameter(proxy, 7);
    dispatch(effGetParamName, 1, 0, audio.text);
    dispatch(effMainsChanged, 0, 0);
    // A second instance keeps the log going after the first one's Close.
    AEffect* second = oplexa.startOrThrow();
    const size_t beforeClose = oplexa.lines().size();
    dispatch(effClose);
    const size_t afterClose = oplexa.lines().size();
    dispatch(effGetVendorVersion);
    callback(probe->getRecord(), audioMasterAutomate, 0, 0, nullptr, 0.5f);
    const Lines lines = oplexa.lines();
    second->dispatcher(second, effClose, 0, 0, nullptr, 0.0f);

    const std::regex problem(R"(\) oplexa-probe\.so:Problem ([a-z-]+): (.+) \(call ([0-9]+)\)$)");
    std::map<std::string, std::string> firstCalls;
    std::smatch match;
    for (size_t i = 0; i < beforeClose; ++i)
        if (std::regex_search(lines[i], match, problem) && !isBudgetProblem(lines[i]))
            firstCalls[match[1]] = match[3];

    // Each rule's first firing, and what the recording holds under its number.
    using recordFormat::kCall;
    const std::map<std::string, Recorded> expected = {
        // A process call keeps its outputs and inputs where the others keep opcode and index.
        {"process-while-suspended", {kCall, fnProcessReplacing, 2, 2}},
        {"parameter-value-out-of-range", {kCall, fnSetParameter, 0, 0}},
        {"index-out-of-range", {kCall, fnGetParameter, 0, 7}},
        {"text-too-long", {kCall, fnDispatcher, effGetParamName, 1}}};
    const std::map<uint64_t, Recorded> recorded = recordedCalls(recordings);
    for (const auto& [rule, record] : expected)
    {
        ASSERT_EQ(firstCalls.count(rule), 1u) << rule;
        const auto found = recorded.find(std::stoull(firstCalls[rule]));
        ASSERT_NE(found, recorded.end()) << rule;
        EXPECT_EQ(found->second, record) << rule;
    }
    EXPECT_EQ(firstCalls.size(), expected.size());

    // At Close, per rule, in the catalogue's order.
    Lines closing;
    for (size_t i = beforeClose; i < afterClose; ++i)
        if (messageOf(lines[i]).rfind("Problem ", 0) == 0 && !isBudgetProblem(lines[i]))
            closing.push_back(messageOf(lines[i]));
    EXPECT_EQ(closing, (Lines{"Problem process-while-suspended fired 1 time, first in call " +
                                  firstCalls["process-while-suspended"],
                              "Problem index-out-of-range fired 1 time, first in call " +
                                  firstCalls["index-out-of-range"],
                              "Problem parameter-value-out-of-range fired 2 times, first in call " +
                                  firstCalls["parameter-value-out-of-range"],
                              "Problem text-too-long fired 1 time, first in call " +
                                  firstCalls["text-too-long"]}));

    // After Close: no record, but the calls still count.
    Lines late;
    for (size_t i = afterClose; i < lines.size(); ++i)
        if (std::regex_search(lines[i], match, problem))
            late.push_back(match[1]);
    EXPECT_EQ(late, (Lines{"call-after-close", "callback-after-close"}));
}

// The output rules need the outputs, counted by the recording's writer thread: a NaN and a
// denormal through the probe (its output is its input times parameter 0) fire them while the
// session records, numbered as the process call, and never without a recording.
TEST_F(CheckRules, OutputRulesOnlyWhileRecording)
{
    const std::string recordings = oplexa.folder().file("recordings");
    ASSERT_EQ(mkdir(recordings.c_str(), 0700), 0);
    audio.samples[0][5] = std::numeric_limits<float>::quiet_NaN();
    audio.samples[1][9] = std::numeric_limits<float>::denorm_min() * 4;
    for (const bool recording : {false, true})
    {
        oplexa.writeParameters("checkRules=\"1\"" + (recording
                                                         ? " recordFolder=\"" + recordings + "\""
                                                         : std::string()));
        const size_t from = oplexa.lines().size();
        proxy = oplexa.startOrThrow();
        dispatch(effOpen);
        dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        dispatch(effSetBlockSize, 0, 64);
        proxy->setParameter(proxy, 0, 1.0f);
        dispatch(effMainsChanged, 0, 1);
        process();
        dispatch(effMainsChanged, 0, 0);
        dispatch(effClose);
        const Lines lines = oplexa.lines();
        const std::regex problem(R"(:Problem (output-[a-z-]+): .+ \(call ([0-9]+)\)$)");
        std::map<std::string, uint64_t> fired;
        std::smatch match;
        for (size_t i = from; i < lines.size(); ++i)
            if (std::regex_search(lines[i], match, problem))
                fired[match[1]] = std::stoull(match[2]);
        if (!recording)
        {
            EXPECT_TRUE(fired.empty());
            continue;
        }
        const std::map<uint64_t, Recorded> recorded = recordedCalls(recordings);
        for (const char* rule : {"output-not-finite", "output-denormal"})
        {
            ASSERT_EQ(fired.count(rule), 1u) << rule;
            const auto found = recorded.find(fired[rule]);
            ASSERT_NE(found, recorded.end()) << rule;
            EXPECT_EQ(found->second.kind, recordFormat::kCall) << rule;
            EXPECT_EQ(found->second.function, fnProcessReplacing) << rule;
        }
    }
}
