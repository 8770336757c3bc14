#include "tests/support/Probe.h"

#include <dlfcn.h>
#include <stdexcept>

Probe::Probe(const std::string& path) : modulePath(path)
{
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        throw std::runtime_error(dlerror());
    auto get = reinterpret_cast<const ProbeApi* (*)()>(dlsym(handle, "probe_api"));
    if (get == nullptr)
        throw std::runtime_error("probe_api missing in " + path);
    api = get();
    api->reset();
}

Probe::~Probe()
{
    dlclose(handle);
}

void Probe::callHostAt(int32_t when, int32_t opcode, int32_t index, float opt, void* ptr) const
{
    ProbeMasterCall call{};
    call.when = when;
    call.opcode = opcode;
    call.index = index;
    call.opt = opt;
    call.pointer = ptr;
    api->addMasterCall(&call);
}
