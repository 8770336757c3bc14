// The record handed to the host, with its session right behind it: every forwarder finds its
// session from the record the host passes, as plug-in wrappers commonly do. The record's data
// fields follow the hosted plug-in's record; its functions are Oplexa's.
#pragma once

#include "vst/VstInterface.h"

#include <cstddef>
#include <cstdint>

class Session;

// Oplexa's functions that every proxy record carries: defined with the other forwarders
// (Forwarders.cpp), declared here, where they are handed out.
VstIntPtr proxyDispatcher(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                          void* ptr, float opt);
void proxyProcess(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames);
void proxyProcessReplacing(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames);
void proxyProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                 int32_t sampleFrames);
void proxySetParameter(AEffect* effect, int32_t index, float value);
float proxyGetParameter(AEffect* effect, int32_t index);

struct ProxyRecord : AEffect
{
    Session* session = nullptr;
    // Flipped in the uniqueID the host reads, for a wrapper made distinct from its plug-in
    // (0: the plug-in's own ID).
    uint32_t idMask = 0;
};

// Copies the hosted record once and sets Oplexa's functions (processDoubleReplacing only when the
// hosted plug-in has it).
void fillProxy(ProxyRecord& proxy, const AEffect& hosted) noexcept;
// Brings the data fields a host reads up to date with the hosted record, storing only those that
// changed: the plug-in may change them on any of its threads, the host reads them on any of its.
// On the call path the common case, nothing changed, is a few loads and compares inline.
inline void mirrorRecord(ProxyRecord& proxy, const AEffect& hosted) noexcept;
// The slow part: the fields that changed, one by one.
void followRecord(ProxyRecord& proxy, const AEffect& hosted) noexcept;
namespace proxyRecordDetail
{
using Word = uint64_t __attribute__((may_alias));
template <size_t offset>
uint64_t wordDifference(const AEffect& proxy, const AEffect& hosted) noexcept
{
    static_assert(offset % 8 == 0);
    const auto* theirs =
        reinterpret_cast<const Word*>(reinterpret_cast<const char*>(&hosted) + offset);
    const auto* ours =
        reinterpret_cast<const Word*>(reinterpret_cast<const char*>(&proxy) + offset);
    return __atomic_load_n(theirs, __ATOMIC_RELAXED) ^ *ours;
}
} // namespace proxyRecordDetail

// The data fields a host reads lie in three runs of whole words: numPrograms to numOutputs,
// initialDelay to object, uniqueID and version; flags shares its word with padding.
inline bool sameRecord(const ProxyRecord& proxy, const AEffect& hosted) noexcept
{
    using namespace proxyRecordDetail;
    static_assert(offsetof(AEffect, numInputs) == 48 && offsetof(AEffect, realQualities) == 84 &&
                  offsetof(AEffect, ioRatio) == 92 && offsetof(AEffect, version) == 116);
    const uint64_t difference =
        static_cast<uint32_t>(__atomic_load_n(&hosted.flags, __ATOMIC_RELAXED) ^ proxy.flags) |
        wordDifference<offsetof(AEffect, numPrograms)>(proxy, hosted) |
        wordDifference<offsetof(AEffect, numInputs)>(proxy, hosted) |
        wordDifference<offsetof(AEffect, initialDelay)>(proxy, hosted) |
        wordDifference<offsetof(AEffect, offQualities)>(proxy, hosted) |
        wordDifference<offsetof(AEffect, object)>(proxy, hosted) |
        (wordDifference<offsetof(AEffect, uniqueID)>(proxy, hosted) ^ proxy.idMask);
    const bool doubles =
        __atomic_load_n(&hosted.processDoubleReplacing, __ATOMIC_RELAXED) != nullptr;
    return difference == 0 && doubles == (proxy.processDoubleReplacing != nullptr);
}

inline void mirrorRecord(ProxyRecord& proxy, const AEffect& hosted) noexcept
{
    if (!sameRecord(proxy, hosted))
        followRecord(proxy, hosted);
}

// After a process call: what plug-ins change while processing, their latency (one word, with
// realQualities); the rest follows at the next dispatcher or setParameter call. Comparing every
// field there cost 2 ns a block, one word costs less than one.
inline void mirrorAfterProcess(ProxyRecord& proxy, const AEffect& hosted) noexcept
{
    using namespace proxyRecordDetail;
    if (wordDifference<offsetof(AEffect, initialDelay)>(proxy, hosted) != 0)
        followRecord(proxy, hosted);
}

// Back to a record with Oplexa's functions and nothing else, so that nothing stale (the last
// host's own fields above all) is ever handed out again.
void clearProxy(AEffect& proxy) noexcept;
