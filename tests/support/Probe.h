// The probe plug-in as the test sees it: the same module instance Oplexa hosts.
#pragma once

#include "tests/plugins/probe/ProbeControl.h"
#include "tests/support/TestFiles.h"

#include <string>

class Probe
{
public:
    // Loads (or finds the already loaded) probe module at path and resets it.
    explicit Probe(const std::string& path = OPLEXA_PROBE_PATH);
    ~Probe();
    const ProbeApi& operator*() const { return *api; }
    const ProbeApi* operator->() const { return api; }
    const std::string& path() const { return modulePath; }
    // Makes the probe call audioMaster with opcode whenever `when` comes (a ProbeWhen or a
    // dispatcher opcode), passing ptr.
    void callHostAt(int32_t when, int32_t opcode, int32_t index = 0, float opt = 0.0f,
                    void* ptr = nullptr) const;

private:
    std::string modulePath;
    LoadedModule module;
    const ProbeApi* api = nullptr;
};
