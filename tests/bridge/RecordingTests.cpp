// A session of the probe recorded by the built module and read back: the plug-in's record as its
// entry point returned it and again wherever it changed, and each process return's counts of
// NaN, infinite and denormal outputs, the same whether the writer counted them (outputs hashed)
// or the reader did (outputs in full).
#include "record/RecordLayout.h"
#include "record/RecordReader.h"
#include "tests/support/OplexaUnderTest.h"

#include <dirent.h>
#include <limits>
#include <sys/stat.h>

namespace
{
using Lines = std::vector<std::string>;

std::string onlyFileIn(const std::string& folder)
{
    std::string found;
    if (DIR* dir = opendir(folder.c_str()))
    {
        while (const dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.')
                found = folder + "/" + entry->d_name;
        closedir(dir);
    }
    return found;
}

// Each record as one short line: the plug-in's values that change here, a call or return by
// function and opcode, and a process return's counts per channel.
std::string described(const recordFormat::Record& record)
{
    using recordFormat::kPlugin;
    const auto& plugin = record.plugin;
    if (record.kind == kPlugin)
        return "plugin programs=" + std::to_string(plugin.numPrograms) +
               " delay=" + std::to_string(plugin.initialDelay) +
               " functions=" + std::to_string(plugin.functions);
    std::string line = (record.kind == recordFormat::kCall ? "call " : "return ") +
                       std::to_string(record.function) + ":" + std::to_string(record.opcode);
    if (recordFormat::isProcessFunction(record.function) && record.kind == recordFormat::kReturn)
        for (const recordFormat::OutputCounts& counts : record.outputCounts)
            line += " " + std::to_string(counts.nonFinite) + "/" + std::to_string(counts.denormal);
    return line;
}

// Channel 0 holds 3 non-finite and 1 denormal sample once halved by the probe's gain (a tiny
// normal one turns denormal too), channel 1 only plain samples.
template <typename Sample> struct OddBlock
{
    using Limits = std::numeric_limits<Sample>;
    static constexpr int kFrames = 8;
    Sample in[2][kFrames] = {{Limits::quiet_NaN(), Limits::infinity(), -Limits::infinity(),
                              Limits::denorm_min() * 8, 0, -Sample{0}, Sample{0.25},
                              Limits::min() * 4},
                             {0.25, 0.25, 0.25, 0.25, 0.25, 0.25, 0.25, 0.25}};
    Sample out[2][kFrames] = {};
    Sample* inputs[2] = {in[0], in[1]};
    Sample* outputs[2] = {out[0], out[1]};
};
} // namespace

TEST(RecordedPlugin, ChangesWhereTheyHappenAndOutputCounts)
{
    Probe probe;
    OplexaUnderTest oplexa(probe.path());
    constexpr int kAllFunctions = 0x7D; // all but audioMaster's place
    for (const char* outputs : {"hashed", "full"})
    {
        probe->reset();
        ProbeShape shape{};
        probe->getDefaultShape(&shape);
        shape.numPrograms = 3;
        shape.flags |= effFlagsCanDoubleReplacing;
        probe->setShape(&shape);
        const std::string folder = oplexa.folder().file(outputs);
        ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
        oplexa.writeParameters("recordFolder=\"" + folder + "\" recordOutputs=\"" + outputs +
                               "\" ");
        AEffect* proxy = oplexa.startOrThrow();
        OddBlock<float> block;
        proxy->processReplacing(proxy, block.inputs, block.outputs, block.kFrames);
        // Changed inside a call: before its return.
        probe->setProcessDelay(480);
        proxy->processReplacing(proxy, block.inputs, block.outputs, block.kFrames);
        proxy->processReplacing(proxy, block.inputs, block.outputs, block.kFrames);
        // Changed between calls: before the next one.
        shape.numPrograms = 7;
        shape.initialDelay = 480;
        probe->setShape(&shape);
        proxy->dispatcher(proxy, effGetVendorVersion, 0, 0, nullptr, 0.0f);
        OddBlock<double> doubles;
        proxy->processDoubleReplacing(proxy, doubles.inputs, doubles.outputs, doubles.kFrames);
        // Changed and announced inside a call: before the announcement.
        probe->setProcessDelay(960);
        probe.callHostAt(kProbeInProcess, audioMasterIOChanged);
        proxy->processReplacing(proxy, block.inputs, block.outputs, block.kFrames);
        proxy->dispatcher(proxy, effClose, 0, 0, nullptr, 0.0f);

        recordFormat::RecordStream stream;
        ASSERT_TRUE(stream.open(onlyFileIn(folder))) << stream.problem;
        Lines records;
        size_t numbered = 0;
        for (recordFormat::Record record; stream.next(record);)
        {
            records.push_back(described(record));
            EXPECT_EQ(record.number, record.kind == recordFormat::kPlugin ? 0 : ++numbered);
        }
        EXPECT_EQ(stream.ending, recordFormat::Ending::complete) << stream.problem;
        const std::string functions = " functions=" + std::to_string(kAllFunctions);
        const Lines expected = {
            "plugin programs=3 delay=0" + functions,
            "call 3:2",
            "return 3:2 3/1 0/0",
            "call 3:2",
            "plugin programs=3 delay=480" + functions,
            "return 3:2 3/1 0/0",
            "call 3:2",
            "return 3:2 3/1 0/0",
            "plugin programs=7 delay=480" + functions,
            "call 0:" + std::to_string(effGetVendorVersion),
            "return 0:" + std::to_string(effGetVendorVersion),
            "call 6:2",
            "return 6:2 3/1 0/0",
            "call 3:2",
            "plugin programs=7 delay=960" + functions,
            "call 1:" + std::to_string(audioMasterIOChanged),
            "return 1:" + std::to_string(audioMasterIOChanged),
            "return 3:2 3/1 0/0",
            "call 0:" + std::to_string(effClose),
            "return 0:" + std::to_string(effClose),
        };
        EXPECT_EQ(records, expected) << outputs;
    }
}
