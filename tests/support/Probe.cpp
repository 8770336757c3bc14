#include "tests/support/Probe.h"

#include <stdexcept>

Probe::Probe(const std::string& path) : modulePath(path), module(path)
{
    auto get = reinterpret_cast<const ProbeApi* (*)()>(module.symbol("probe_api"));
    if (get == nullptr)
        throw std::runtime_error("probe_api missing in " + path);
    api = get();
    api->reset();
}

Probe::~Probe() = default;

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
