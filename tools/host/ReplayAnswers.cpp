#include "tools/host/ReplayAnswers.h"

#include "tools/host/AudioMaster.h"
#include "vst/OpCodeTable.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

namespace host
{
namespace
{
ReplayScript* script = nullptr;
thread_local ReplayThread* thisThread = nullptr;
std::mutex lock;
std::map<std::string, int> unrecorded;

constexpr size_t kHostStringBytes = 64;

// The next recorded call with this opcode from cursor on; the calls skipped over are gone.
template <typename List> Callback* take(List& list, size_t& cursor, int32_t opcode)
{
    for (size_t i = cursor; i < list.size(); ++i)
        if (!list[i].used && list[i].call->opcode == opcode)
        {
            cursor = i + 1;
            list[i].used = true;
            return &list[i];
        }
    return nullptr;
}

VstIntPtr answerFrom(const Callback& callback, int32_t opcode, void* ptr)
{
    const recordFormat::Record& ret = *callback.ret;
    const recordFormat::Bytes* data = ret.bytes.empty() ? nullptr : &ret.bytes[0];
    const Carried carried = carriedOut(fnAudioMaster, opcode);
    if (carried == Carried::timeInfo)
    {
        thread_local VstTimeInfo time;
        if (ret.result == 0 || data == nullptr)
            return 0;
        std::memset(&time, 0, sizeof time);
        std::memcpy(&time, data->data(), std::min(data->size(), sizeof time));
        return reinterpret_cast<VstIntPtr>(&time);
    }
    if (carried == Carried::directoryText)
    {
        thread_local std::string directory;
        if (ret.result == 0 || data == nullptr)
            return 0;
        directory.assign(data->begin(), data->end());
        return reinterpret_cast<VstIntPtr>(directory.c_str());
    }
    const VstOpCodeInfo* info = opCodeInfo(fnAudioMaster, opcode);
    if (info != nullptr && info->ptrIsReturned && ptr != nullptr && data != nullptr)
    {
        const size_t size = std::min(data->size(), kHostStringBytes - 1);
        std::memcpy(ptr, data->data(), size);
        static_cast<char*>(ptr)[size] = '\0';
    }
    // An address in the recording host cannot be handed on.
    return info != nullptr && info->resultIsAddress ? 0 : static_cast<VstIntPtr>(ret.result);
}
} // namespace

void setReplayScript(ReplayScript* replayed) noexcept
{
    script = replayed;
}

std::mutex& scriptLock() noexcept
{
    return lock;
}

void setReplayThread(ReplayThread* thread) noexcept
{
    thisThread = thread;
}

VstIntPtr replayAudioMaster(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                            void* ptr, float opt)
{
    Callback* match = nullptr;
    {
        const std::lock_guard<std::mutex> guard(lock);
        if (thisThread != nullptr && thisThread->current != nullptr)
            match = take(thisThread->current->callbacks, thisThread->cursor, opcode);
        else if (thisThread != nullptr)
            match =
                take(script->loose[thisThread->recorded].items, thisThread->looseCursor, opcode);
        else
        {
            size_t from = 0;
            match = take(script->foreign.items, from, opcode);
        }
        if (match == nullptr || match->ret == nullptr)
            ++unrecorded[callName(fnAudioMaster, opcode)];
    }
    if (match == nullptr || match->ret == nullptr)
        return hostAudioMaster(effect, opcode, index, value, ptr, opt);
    return answerFrom(*match, opcode, ptr);
}

std::string unrecordedCallbacks()
{
    const std::lock_guard<std::mutex> guard(lock);
    std::string text;
    for (const auto& [name, count] : unrecorded)
        text += (text.empty() ? "" : ", ") + name + " x" + std::to_string(count);
    return text;
}
} // namespace host
