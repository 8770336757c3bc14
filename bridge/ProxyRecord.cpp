#include "bridge/ProxyRecord.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace
{
template <typename Field> Field loadField(const Field& field) noexcept
{
    return __atomic_load_n(&field, __ATOMIC_RELAXED);
}

template <typename Field> void followField(Field& proxy, const Field& hosted) noexcept
{
    const Field value = loadField(hosted);
    if (loadField(proxy) != value)
        __atomic_store_n(&proxy, value, __ATOMIC_RELAXED);
}

void followFloat(float& proxy, const float& hosted) noexcept
{
    // Compared as bits: a NaN ratio must not be stored again on every call.
    static_assert(sizeof(float) == sizeof(int32_t));
    followField(reinterpret_cast<int32_t&>(proxy), reinterpret_cast<const int32_t&>(hosted));
}

void setFunctions(AEffect& proxy) noexcept
{
    proxy.dispatcher = proxyDispatcher;
    proxy.process = proxyProcess;
    proxy.setParameter = proxySetParameter;
    proxy.getParameter = proxyGetParameter;
    proxy.processReplacing = proxyProcessReplacing;
}
} // namespace

void fillProxy(ProxyRecord& proxy, const AEffect& hosted) noexcept
{
    std::memcpy(static_cast<AEffect*>(&proxy), &hosted, sizeof(AEffect));
    setFunctions(proxy);
    proxy.processDoubleReplacing = nullptr;
    mirrorRecord(proxy, hosted);
}

void followRecord(ProxyRecord& proxy, const AEffect& hosted) noexcept
{
    followField(proxy.numPrograms, hosted.numPrograms);
    followField(proxy.numParams, hosted.numParams);
    followField(proxy.numInputs, hosted.numInputs);
    followField(proxy.numOutputs, hosted.numOutputs);
    followField(proxy.flags, hosted.flags);
    followField(proxy.initialDelay, hosted.initialDelay);
    followField(proxy.realQualities, hosted.realQualities);
    followField(proxy.offQualities, hosted.offQualities);
    followFloat(proxy.ioRatio, hosted.ioRatio);
    followField(proxy.object, hosted.object);
    const int32_t id = loadField(hosted.uniqueID) ^ static_cast<int32_t>(proxy.idMask);
    if (loadField(proxy.uniqueID) != id)
        __atomic_store_n(&proxy.uniqueID, id, __ATOMIC_RELAXED);
    followField(proxy.version, hosted.version);
    // Null stays null: the host must see the hosted plug-in's capability unchanged.
    const AEffectProcessDoubleProc doubles =
        loadField(hosted.processDoubleReplacing) != nullptr ? proxyProcessDoubleReplacing : nullptr;
    followField(proxy.processDoubleReplacing, doubles);
}

void clearProxy(AEffect& proxy) noexcept
{
    AEffect cleared{};
    cleared.magic = kEffectMagic;
    setFunctions(cleared);
    // Word by word: a host thread may still read the record, and must never find a null function.
    auto* words = reinterpret_cast<uint64_t*>(&proxy);
    const auto* clearedWords = reinterpret_cast<const uint64_t*>(&cleared);
    for (size_t i = 0; i < sizeof(AEffect) / sizeof(uint64_t); ++i)
        __atomic_store_n(&words[i], clearedWords[i], __ATOMIC_RELAXED);
}
