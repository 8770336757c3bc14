// The probe plug-in as the test sees it: the same module instance Oplexa hosts.
#pragma once

#include "tests/plugins/ProbeControl.h"

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

private:
    std::string modulePath;
    void* handle = nullptr;
    const ProbeApi* api = nullptr;
};
