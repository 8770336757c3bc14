// A logger per hosted plug-in: counts every forwarded call in its own counters, formats the
// lines that are switched on, and keeps the switches in the settings file. Its members live in
// OXLogger.cpp (line output), LoggerSwitches.cpp (catalogue, counters and switches),
// CallReports.cpp (call and return reports), LoggerSettings.cpp (the switches and flags in the
// settings file) and LogOutput.cpp (where the lines go).
#pragma once

#include "logger/CountersAndSwitches.h"
#include "logger/LineBuffer.h"
#include "logger/OpCodeGroups.h"

#include <juce_core/juce_core.h>

#include <atomic>
#include <string>

struct LogOutputOptions;

class OXLogger : public juce::Logger
{
public:
    enum vstOpCodeGroup : int
    {
        vstAEffectFunctions = 0,
        vstDispatcherOpCodes = 1,
        vstAudioMasterOpCodes = 2,
    };
    static_assert(vstAudioMasterOpCodes + 1 == kNumOpCodeGroups, "a row per group");

    OXLogger() = default;
    ~OXLogger() override;

    void logMessage(const juce::String& message) override;
    // Writes message as one whole line behind the prefix; called from any thread, several at
    // once. Allocates nothing and takes no lock, but for glibc's time zone lock once a second
    // while logTime is on.
    virtual void log(const char* message);

    // A line built in place, as the call reports do: beginLine writes the prefix (time of day
    // when logTime is on, thread, module name and colon) and marks where the message starts;
    // append the message, then writeLine writes the whole line with one call.
    void beginLine(LineBuffer& line) const noexcept;
    static void beginNamedLine(LineBuffer& line, const char* name, bool withTime) noexcept;
    virtual void writeLine(LineBuffer& line) noexcept;

    // Switches on as a new session starts; unless told otherwise it also becomes JUCE's logger,
    // which is one per process (the bridge makes that choice under its own lock).
    void init(const juce::String& name, bool becomeJuceLogger = true);

    // Opens the log file (OPLEXA_LOG_FILE, else the logFile attribute, a relative path taken
    // from settingsFolder) and starts the writer thread unless logWrites is "direct". Lines
    // logged before are written directly to standard output. The output serves every logger of
    // the process; the writer's own lines carry this logger's name as it is now.
    void startOutput(const juce::File& settingsFolder);
    // What these settings choose, and its name as the "Log lines go to" line gives it.
    LogOutputOptions outputOptions(const juce::File& settingsFolder) const;
    std::string namedDestination(const juce::File& settingsFolder) const;
    // Writes the queued lines, stops the writer thread and closes the log file.
    void stopOutput() noexcept;

    // Catalogue, counters and switches.
    juce::String getVstOpCodeName(vstOpCodeGroup group, long opCode) const;
    int getVstNumOpCodes(vstOpCodeGroup group) const noexcept;
    void setVstOpCodeEnabled(bool enabled, vstOpCodeGroup group, long opCode) noexcept;
    void setVstOpCodesEnabled(bool enabled) noexcept;
    void toggleVstOpCodesEnabled() noexcept;
    long getVstOpCodeCount(vstOpCodeGroup group, long opCode) const noexcept;
    bool isVstOpCodeEnabled(vstOpCodeGroup group, long opCode) const noexcept;
    void resetVstOpCodeCounters() noexcept;

    // This logger's counters and switches of group, one per opcode; null for no group.
    DynamicDebugInfo* logInfo(vstOpCodeGroup group) noexcept
    {
        switch (group)
        {
        case vstAEffectFunctions:
            return functionsLogInfo;
        case vstDispatcherOpCodes:
            return dispatcherLogInfo;
        case vstAudioMasterOpCodes:
            return audioMasterLogInfo;
        }
        return nullptr;
    }
    const DynamicDebugInfo* logInfo(vstOpCodeGroup group) const noexcept
    {
        return const_cast<OXLogger*>(this)->logInfo(group);
    }

    // Call and return reports from the forwarders. They run on the host's and the hosted
    // plug-in's threads: count first, and format only when a line will be written.
    void logVstDispatcher(long opCode, long index, long value, void* ptr, float opt) noexcept;
    void logVstDispatcherReturn(long opCode, void* ptr, long result) noexcept;
    void logVstAudioMaster(long opCode, long index, long value, void* ptr, float opt) noexcept;
    void logVstAudioMasterReturn(long opCode, void* ptr, long result) noexcept;
    void logVstProcess(float** inputs, float** outputs, long sampleFrames, bool replacing) noexcept;
    void logVstProcessDoubleReplacing(double** inputs, double** outputs,
                                      long sampleFrames) noexcept;
    void logVstSetParameter(long index, float parameter) noexcept;
    void logVstGetParameter(long index) noexcept;
    void logVstGetParameterReturn(float value) noexcept;

    void saveState(juce::XmlElement& element) const;
    void loadState(const juce::XmlElement& element);

    // Written before the proxy record reaches the host, only read afterwards.
    juce::String moduleName;
    // Written by the window's thread, read by every calling thread.
    std::atomic<bool> loggingActive{false};
    std::atomic<bool> logParameters{false};
    std::atomic<bool> logReturnParameters{false};
    std::atomic<bool> logTime{false};
    // Off unless the settings file switches them on; the window has no control for them.
    std::atomic<bool> decodeStructures{false};
    std::atomic<bool> logSummary{false};
    // logFile, logWrites, logQueueKB and singleInstance as the settings file spelled them, when
    // it had them; read when the output and a session start.
    juce::NamedValueSet outputAttributes;
    // Recording: the folder, "full" for whole outputs and "wait" for room in a full queue; kept
    // only when the file has them.
    juce::String recordFolder;
    juce::String recordOutputs;
    juce::String recordWhenFull;
    // "1": the session checks the protocol rules as calls pass; kept only when the file has it.
    juce::String checkRules;

private:
    DynamicDebugInfo functionsLogInfo[kNumVstFunctions];
    DynamicDebugInfo dispatcherLogInfo[kNumDispatcherOpCodes];
    DynamicDebugInfo audioMasterLogInfo[kNumAudioMasterOpCodes];

    JUCE_DECLARE_NON_COPYABLE(OXLogger)
};
