#include "tools/host/RecordedStructures.h"

#include "logger/DetailText.h"
#include "vst/OpCodeTable.h"
#include "vst/VstStructures.h"

#include <algorithm>
#include <cstring>

namespace host
{
namespace
{
// The most any reader takes of a chunk's, a dump's or an arrangement's bytes it was not told of.
constexpr size_t kBytesRead = 16;
constexpr size_t kArrangementBytes =
    offsetof(VstSpeakerArrangement, speakers) + detail::kMaxShown * sizeof(VstSpeakerProperties);
} // namespace

void* RecordedStructures::copy(const recordFormat::Bytes& bytes, size_t atLeast)
{
    // One more zero byte: a recorded text ends there.
    blocks.emplace_back(std::max(bytes.size(), atLeast) + 1, 0);
    if (!bytes.empty())
        std::memcpy(blocks.back().data(), bytes.data(), bytes.size());
    return blocks.back().data();
}

void* RecordedStructures::copyAt(const std::vector<recordFormat::Bytes>& bytes, size_t index,
                                 size_t atLeast)
{
    return copy(index < bytes.size() ? bytes[index] : recordFormat::Bytes(), atLeast);
}

// Each event's bytes, a SysEx event's dump after it; the list points at the copies and has the
// recorded count where that was negative.
void* RecordedStructures::events(const recordFormat::Record& call)
{
    std::vector<void*> list;
    for (size_t i = 0; i < call.bytes.size(); ++i)
    {
        if (call.bytes[i].empty())
        {
            list.push_back(nullptr);
            continue;
        }
        auto* event = static_cast<VstEvent*>(copy(call.bytes[i], sizeof(VstMidiSysexEvent)));
        if (event->type == kVstEventSysEx)
        {
            // The recorded pointer is never handed on, even where no dump follows.
            auto* sysex = reinterpret_cast<VstMidiSysexEvent*>(event);
            const recordFormat::Bytes dump =
                i + 1 < call.bytes.size() ? call.bytes[++i] : recordFormat::Bytes();
            const size_t claimed = sysex->dumpBytes > 0 ? static_cast<size_t>(sysex->dumpBytes) : 0;
            if (sysex->dump != nullptr)
                sysex->dump = static_cast<const uint8_t*>(
                    copy(dump, dump.size() == claimed ? 0 : std::min(claimed, kBytesRead)));
        }
        list.push_back(event);
    }
    std::vector<uint8_t> head(offsetof(VstEvents, events) + sizeof(void*) * (list.size() + 2), 0);
    const auto recorded = call.numbers.empty() ? 0 : static_cast<int32_t>(call.numbers[0]);
    const auto count = recorded < 0 ? recorded : static_cast<int32_t>(list.size());
    std::memcpy(head.data(), &count, sizeof count);
    if (!list.empty())
        std::memcpy(head.data() + offsetof(VstEvents, events), list.data(),
                    sizeof(void*) * list.size());
    return copy(head);
}

CallArguments RecordedStructures::callArguments(const recordFormat::Record& call)
{
    const auto function = static_cast<VstFunctionIndex>(call.function);
    const bool hasPtr = call.ptr != 0;
    CallArguments arguments;
    arguments.value = static_cast<VstIntPtr>(call.value);
    cells[0] = cells[1] = nullptr;
    switch (carriedOut(function, call.opcode))
    {
    case Carried::chunkOut:
    case Carried::rectangle:
        arguments.ptr = &cells[1];
        return arguments;
    case Carried::arrangementsAt:
        arguments.value = reinterpret_cast<VstIntPtr>(&cells[0]);
        arguments.ptr = &cells[1];
        return arguments;
    default:
        break;
    }
    switch (carriedIn(function, call.opcode))
    {
    case Carried::chunkIn:
        arguments.ptr = hasPtr ? copyAt(call.bytes, 0, kBytesRead) : nullptr;
        break;
    case Carried::events:
        arguments.ptr = hasPtr ? events(call) : nullptr;
        break;
    case Carried::arrangements:
        arguments.value =
            arguments.value == 0 || call.bytes.empty() || call.bytes[0].empty()
                ? 0
                : reinterpret_cast<VstIntPtr>(copyAt(call.bytes, 0, kArrangementBytes));
        arguments.ptr = call.bytes.size() < 2 || call.bytes[1].empty()
                            ? nullptr
                            : copyAt(call.bytes, 1, kArrangementBytes);
        break;
    default:
        if (!hasPtr)
            break;
        if (const VstOpCodeInfo* info = opCodeInfo(function, call.opcode);
            info != nullptr && info->ptrKind == ptrString && !info->ptrIsReturned)
            arguments.ptr = copyAt(call.bytes, 0);
        else
            arguments.ptr = copy({}, kScratchBytes);
    }
    return arguments;
}

CallArguments RecordedStructures::returnArguments(const recordFormat::Record& call,
                                                  const recordFormat::Record& ret)
{
    const auto function = static_cast<VstFunctionIndex>(call.function);
    CallArguments arguments;
    arguments.value = static_cast<VstIntPtr>(call.value);
    arguments.ptr = reinterpret_cast<void*>(static_cast<uintptr_t>(call.ptr));
    arguments.result = static_cast<VstIntPtr>(ret.result);
    const bool hasPtr = call.ptr != 0;
    const bool recorded = !ret.bytes.empty();
    if (const VstOpCodeInfo* info = opCodeInfo(function, call.opcode);
        info != nullptr && info->ptrKind == ptrString && info->ptrIsReturned && hasPtr)
        arguments.ptr = copyAt(ret.bytes, 0);
    switch (carriedOut(function, call.opcode))
    {
    case Carried::timeInfo:
        if (arguments.result != 0)
            arguments.result =
                reinterpret_cast<VstIntPtr>(copyAt(ret.bytes, 0, sizeof(VstTimeInfo)));
        break;
    case Carried::chunkOut:
    case Carried::rectangle:
        // Without recorded bytes the callee stored no pointer.
        cells[1] = recorded ? copyAt(ret.bytes, 0, std::max(kBytesRead, sizeof(ERect))) : nullptr;
        arguments.ptr = hasPtr ? &cells[1] : nullptr;
        break;
    case Carried::pinProperties:
        if (hasPtr)
            arguments.ptr = copyAt(ret.bytes, 0, sizeof(VstPinProperties));
        break;
    case Carried::parameterProperties:
        if (hasPtr)
            arguments.ptr = copyAt(ret.bytes, 0, sizeof(VstParameterProperties));
        break;
    case Carried::arrangementsAt:
        for (size_t i = 0; i < 2; ++i)
            cells[i] = i < ret.bytes.size() && !ret.bytes[i].empty()
                           ? copyAt(ret.bytes, i, kArrangementBytes)
                           : nullptr;
        arguments.value = arguments.value != 0 ? reinterpret_cast<VstIntPtr>(&cells[0]) : 0;
        arguments.ptr = hasPtr ? &cells[1] : nullptr;
        break;
    default:
        break;
    }
    return arguments;
}
} // namespace host
