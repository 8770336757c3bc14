// The exported control functions: thin, locked views of the probe's state.
#include "tests/plugins/probe/ProbeState.h"

#include <algorithm>
#include <cstring>

using namespace probe;

namespace
{
bool validFunction(int32_t function)
{
    return function >= 0 && function < kProbeNumFunctions;
}

bool validOpcode(int32_t opcode)
{
    return opcode >= 0 && opcode <= kProbeMaxOpcode;
}
} // namespace

extern "C"
{

    void probe_reset(void)
    {
        state().reset();
    }

    void probe_set_entry_mode(int32_t mode)
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        state().entryMode = mode;
    }

    void probe_set_shape(const ProbeShape* shape)
    {
        if (shape == nullptr)
            return;
        std::lock_guard<std::mutex> lock(state().mutex);
        state().shape = *shape;
        applyShape(*shape);
    }

    void probe_get_default_shape(ProbeShape* shape)
    {
        if (shape != nullptr)
            *shape = defaultShape();
    }

    int32_t probe_add_master_call(const ProbeMasterCall* call)
    {
        ProbeState& s = state();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (call == nullptr || s.masterCalls.size() >= kMaxMasterCalls)
            return 0;
        MasterCallRequest request;
        request.call = *call;
        request.hasText = call->text != nullptr;
        if (request.hasText)
            request.text = call->text;
        request.call.text = nullptr;
        s.masterCalls.push_back(request);
        return 1;
    }

    void probe_set_text(int32_t opcode, const char* text)
    {
        if (!validOpcode(opcode))
            return;
        std::lock_guard<std::mutex> lock(state().mutex);
        auto& slot = state().texts[static_cast<size_t>(opcode)];
        if (text != nullptr)
            slot = std::string(text);
        else
            slot.reset();
    }

    void probe_set_result(int32_t opcode, VstIntPtr result)
    {
        if (!validOpcode(opcode))
            return;
        std::lock_guard<std::mutex> lock(state().mutex);
        state().results[static_cast<size_t>(opcode)] = result;
    }

    void probe_clear_result(int32_t opcode)
    {
        if (!validOpcode(opcode))
            return;
        std::lock_guard<std::mutex> lock(state().mutex);
        state().results[static_cast<size_t>(opcode)].reset();
    }

    void probe_set_rect(int16_t top, int16_t left, int16_t bottom, int16_t right)
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        state().rect = ERect{top, left, bottom, right};
    }

    void probe_set_null_rect(int32_t on)
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        state().nullRect = on != 0;
    }

    void probe_set_report_path(const char* path)
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        state().reportPath = path != nullptr ? path : "";
    }

    void probe_set_fill(int32_t opcode, const void* bytes, int32_t size)
    {
        if (!validOpcode(opcode))
            return;
        std::lock_guard<std::mutex> lock(state().mutex);
        const auto* from = static_cast<const unsigned char*>(bytes);
        state().fills[static_cast<size_t>(opcode)].assign(from,
                                                          bytes != nullptr ? from + size : from);
    }

    void probe_set_process_delay(int32_t delay)
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        state().misbehaviour.processDelay = delay;
    }

    AEffect* probe_get_record(void)
    {
        return &state().record;
    }

    const char* probe_entry_name(void)
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        return state().entryName.c_str();
    }

    audioMasterCallback probe_audio_master(void)
    {
        return state().audioMaster.load();
    }

    int64_t probe_dispatch_count(int32_t opcode)
    {
        return state().dispatchCounts[static_cast<size_t>(dispatchSlot(opcode))].load();
    }

    int64_t probe_function_count(int32_t function)
    {
        return validFunction(function)
                   ? state().functionCounts[static_cast<size_t>(function)].load()
                   : 0;
    }

    int64_t probe_foreign_effect_count(int32_t function)
    {
        return validFunction(function) ? state().foreignCounts[static_cast<size_t>(function)].load()
                                       : 0;
    }

    AEffect* probe_last_effect(int32_t function)
    {
        return validFunction(function) ? state().lastEffects[static_cast<size_t>(function)].load()
                                       : nullptr;
    }

    int32_t probe_last_dispatch(int32_t opcode, ProbeDispatchCall* out)
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        const ProbeDispatchCall& call =
            state().lastDispatch[static_cast<size_t>(dispatchSlot(opcode))];
        if (out != nullptr)
            *out = call;
        return call.count > 0 ? 1 : 0;
    }

    int32_t probe_last_process(int32_t function, ProbeProcessCall* out)
    {
        if (function != kProbeProcess && function != kProbeProcessReplacing)
            return 0;
        std::lock_guard<std::mutex> lock(state().mutex);
        const ProbeProcessCall& call = state().lastProcess[function == kProbeProcess ? 0 : 1];
        if (out != nullptr)
            *out = call;
        return call.count > 0 ? 1 : 0;
    }

    int32_t probe_last_parameter(int32_t function, ProbeParameterCall* out)
    {
        if (function != kProbeSetParameter && function != kProbeGetParameter)
            return 0;
        std::lock_guard<std::mutex> lock(state().mutex);
        const ProbeParameterCall& call =
            state().lastParameter[function == kProbeSetParameter ? 0 : 1];
        if (out != nullptr)
            *out = call;
        return call.count > 0 ? 1 : 0;
    }

    int32_t probe_master_answer_count(void)
    {
        return state().answerTotal.load();
    }

    int32_t probe_master_answer(int32_t i, ProbeMasterAnswer* out)
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        if (i < 0 || static_cast<size_t>(i) >= state().answers.size())
            return 0;
        if (out != nullptr)
            *out = state().answers[static_cast<size_t>(i)];
        return 1;
    }

    int32_t probe_chunk_received(void* buffer, int32_t size)
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        const auto& chunk = state().chunkIn;
        if (buffer != nullptr && size > 0)
            std::memcpy(buffer, chunk.data(), std::min(chunk.size(), static_cast<size_t>(size)));
        return static_cast<int32_t>(chunk.size());
    }

    int32_t probe_is_open(void)
    {
        return state().open.load() ? 1 : 0;
    }

    int32_t probe_is_closed(void)
    {
        return state().closed.load() ? 1 : 0;
    }

    uint64_t probe_close_sequence(void)
    {
        return state().closeSequence.load();
    }

    int64_t probe_calls_after_close(void)
    {
        return state().callsAfterClose.load();
    }

    uint64_t probe_sequence_mark(void)
    {
        return nextSequence();
    }

    const ProbeApi* probe_api(void)
    {
        static const ProbeApi api = {
            probe_reset,
            probe_set_entry_mode,
            probe_set_shape,
            probe_get_default_shape,
            probe_add_master_call,
            probe_set_text,
            probe_set_result,
            probe_clear_result,
            probe_set_rect,
            probe_set_null_rect,
            probe_set_report_path,
            probe_get_record,
            probe_entry_name,
            probe_audio_master,
            probe_dispatch_count,
            probe_function_count,
            probe_foreign_effect_count,
            probe_last_effect,
            probe_last_dispatch,
            probe_last_process,
            probe_last_parameter,
            probe_master_answer_count,
            probe_master_answer,
            probe_chunk_received,
            probe_is_open,
            probe_is_closed,
            probe_close_sequence,
            probe_calls_after_close,
            probe_sequence_mark,
            probe_set_fill,
            probe_set_process_delay,
        };
        return &api;
    }
}
