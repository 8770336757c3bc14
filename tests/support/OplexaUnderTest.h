// Loads the built Oplexa.so through dlopen, as a host does, from a folder of the test's own
// (a symlink), so its settings file and its log file belong to this test alone. Each test
// runs in a process of its own (one CTest entry per test), so module state starts fresh.
#pragma once

#include "tests/support/Probe.h"
#include "tests/support/TestFiles.h"
#include "vst/VstInterface.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The host side of the tests: records every audioMaster call it receives.
struct HostCall
{
    AEffect* effect;
    int32_t opcode;
    int32_t index;
    VstIntPtr value;
    void* ptr;
    float opt;
    int32_t initialDelay; // of the record passed, at the time of the call; -1 for none
};

class TestHost
{
public:
    static VstIntPtr audioMaster(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                                 void* ptr, float opt);
    static std::vector<HostCall> calls();
    // What audioMaster answers to opcode from now on (Version answers 2400 unless set).
    static void answer(int32_t opcode, VstIntPtr result);
};

class OplexaUnderTest
{
public:
    // Sets OPLEXA_LOG_FILE before the module can open it; plugin empty leaves OPLEXA_PLUGIN unset.
    explicit OplexaUnderTest(const std::string& plugin,
                             const std::string& moduleName = "Oplexa.so");
    ~OplexaUnderTest();

    AEffect* start();        // the entry point with TestHost's audioMaster
    AEffect* startOrThrow(); // for tests that cannot go on without a record
    // The settings file with these Parameters attributes, replacing any link or FIFO there.
    void writeParameters(const std::string& attributes) const;
    void setPlugin(const std::string& plugin);

    // Log lines without the "(thread) module:" prefix, and the whole lines as written.
    std::vector<std::string> messages() const;
    std::vector<std::string> lines() const;
    std::string settingsFile() const;
    const std::string& modulePath() const { return module; }
    const TempFolder& folder() const { return temp; }

private:
    TempFolder temp;
    std::string module;
    std::unique_ptr<LoadedModule> loaded;
    VstPluginMainProc entry = nullptr;
};

// The message part of a log line: what follows "(thread) module:".
std::string messageOf(const std::string& line);

// The probe hosted through a module of the test's own.
class ProbeHosted : public ::testing::Test
{
protected:
    Probe probe;
    OplexaUnderTest oplexa{probe.path()};
};
