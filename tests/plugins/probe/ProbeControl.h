// Control interface of the probe plug-in (oplexa-probe.so and its variants).
//
// A test that loads Oplexa in its own process gets the same probe instance Oplexa hosts by
// dlopen of the same path, then dlsym of "probe_api" (or of the single functions below).
// Configure before the entry point runs; observe at any time. Every function is thread-safe.
//
// Out of process (through oplexa-host) the probe reads these environment variables at its
// first entry after loading or after probe_reset():
//   OPLEXA_PROBE_MODE=normal|null|badmagic|throw|throwown   what the entry point returns
//   OPLEXA_PROBE_REPORT=FILE                     state summary, written at Close and at unload
//   OPLEXA_PROBE_PROGRAMS, _PARAMS, _INPUTS, _OUTPUTS, _FLAGS, _UNIQUEID, _VERSION, _DELAY
//                                                the record's fields (numbers, 0x.. allowed)
//   OPLEXA_PROBE_CALLS=CALL;CALL;...             audioMaster calls the probe makes, each
//       WHEN:OPCODE[,INDEX[,VALUE[,OPT]]][#BUFFERSIZE|=TEXT]
//       WHEN is entry, process, setParameter or a dispatcher opcode number (during that call);
//       #N passes a zeroed N-byte buffer as ptr, =TEXT passes the text, neither passes null.
//   OPLEXA_PROBE_TEXT_<opcode>=TEXT              text written for a string opcode
//   OPLEXA_PROBE_RESULT_<opcode>=N               result returned for a dispatcher opcode
//   OPLEXA_PROBE_RECT=top,left,bottom,right|null what EditGetRect hands out
//   OPLEXA_PROBE_PROCESS_SLEEP_MS=N, _CLOSE_SLEEP_MS=N  process(Replacing) or Close run N ms
//   OPLEXA_PROBE_WORKER=1                        a thread running probe code from Open to Close
//   OPLEXA_PROBE_ABORT_AFTER_CLOSE=1             a call after Close aborts with a message
//   OPLEXA_PROBE_HANG_OPCODE=N                   that dispatcher opcode never returns
//   OPLEXA_PROBE_CRASH_OPCODE=N, OPLEXA_PROBE_CRASH=segv|abort|throw   that one crashes, as said
//   OPLEXA_PROBE_UNWRITTEN_OUTPUT=N              process(Replacing) leaves output N alone
//   OPLEXA_PROBE_DOUBLE=1                        processDoubleReplacing in the record whatever
//                                                the flags say (else only with the flag)
//   OPLEXA_PROBE_BREAK=RULE-ID                   breaks that plug-in-side protocol rule (ids in
//       tests/plugins/README.md), once or at each call of the one function concerned
#pragma once

#include "vst/VstInterface.h"

#include <cstdint>

// The probe builds with hidden visibility; everything declared here is its exported interface.
#pragma GCC visibility push(default)
extern "C"
{

    enum ProbeEntryMode
    {
        kProbeEntryNormal = 0,
        kProbeEntryNull = 1,     // the entry point returns null
        kProbeEntryBadMagic = 2, // the record's magic is not 'VstP'
        kProbeEntryThrow = 3,    // the entry point throws a C++ exception
        kProbeEntryThrowOwn = 4  // one of a class the probe defines
    };

    // The functions whose calls the probe records.
    enum ProbeFunction
    {
        kProbeEntry = 0,
        kProbeDispatcher = 1,
        kProbeProcess = 2,
        kProbeProcessReplacing = 3,
        kProbeSetParameter = 4,
        kProbeGetParameter = 5,
        // In the record only while the flags hold effFlagsCanDoubleReplacing.
        kProbeProcessDoubleReplacing = 6,
        kProbeNumFunctions = 7
    };

    // When a requested audioMaster call is made; a value >= 0 is a dispatcher opcode, and the call
    // is made inside each dispatcher call of that opcode.
    enum ProbeWhen
    {
        kProbeAtEntry = -1,
        kProbeInProcess = -2, // inside process and processReplacing
        kProbeInSetParameter = -3
    };

    // Highest dispatcher opcode recorded one by one; higher ones are counted together.
    enum
    {
        kProbeMaxOpcode = 127,
        kProbeTextSize = 512
    };

    struct ProbeShape
    {
        int32_t numPrograms;
        int32_t numParams;
        int32_t numInputs;
        int32_t numOutputs;
        int32_t flags;
        int32_t uniqueID;
        int32_t version;
        int32_t initialDelay;
    };

    struct ProbeMasterCall
    {
        int32_t when; // ProbeWhen or a dispatcher opcode
        int32_t opcode;
        int32_t index;
        VstIntPtr value;
        float opt;
        int32_t bufferSize;     // > 0: ptr is a zeroed buffer of this size, kept for the answer
        const char* text;       // else, when not null: ptr is a copy of this text
        int32_t passNullEffect; // non-zero: effect is null instead of the probe's record
        // Else, when not null: passed as ptr as it is.
        void* pointer = nullptr;
    };

    struct ProbeMasterAnswer
    {
        int32_t when;
        int32_t opcode;
        AEffect* effectPassed;
        VstIntPtr result;
        uint64_t sequence;
        char text[kProbeTextSize]; // the buffer after the call (bufferSize > 0), cut to fit
    };

    // The last dispatcher call of one opcode.
    struct ProbeDispatchCall
    {
        int64_t count;
        AEffect* effect;
        int32_t index;
        VstIntPtr value;
        void* ptr;
        float opt;
        VstIntPtr result;
        // For SetProgramName, CanDo, String2Parameter the text received; for the string getters
        // the text written (cut to fit).
        char text[kProbeTextSize];
        uint64_t sequenceIn;  // sequence number taken when the call arrived
        uint64_t sequenceOut; // and when it returned
    };

    struct ProbeProcessCall
    {
        int64_t count;
        AEffect* effect;
        float** inputs;
        float** outputs;
        int32_t sampleFrames;
        uint64_t sequence;
    };

    struct ProbeParameterCall
    {
        int64_t count;
        AEffect* effect;
        int32_t index;
        float value; // set, or returned by getParameter
        uint64_t sequence;
    };

    // --- configuration ---
    void probe_reset(void); // defaults, counters, records and the event sequence back to zero
    void probe_set_entry_mode(int32_t mode);
    void probe_set_shape(const ProbeShape* shape); // also changes the live record now
    void probe_get_default_shape(ProbeShape* shape);
    int32_t probe_add_master_call(const ProbeMasterCall* call); // 0 when the list is full
    void probe_set_text(int32_t opcode, const char* text);      // null: the default text
    void probe_set_result(int32_t opcode, VstIntPtr result);
    void probe_clear_result(int32_t opcode);
    void probe_set_rect(int16_t top, int16_t left, int16_t bottom, int16_t right);
    void probe_set_null_rect(int32_t on); // EditGetRect hands out a null rectangle pointer
    void probe_set_report_path(const char* path);
    // Dispatcher calls of opcode with a ptr get these size bytes copied to ptr and return 1 (for
    // GetSpeakerArrangement to value too); null bytes: no more.
    void probe_set_fill(int32_t opcode, const void* bytes, int32_t size);
    // Process and processReplacing set the record's initialDelay to delay without telling the
    // host (-1: they leave it).
    void probe_set_process_delay(int32_t delay);

    // --- observation ---
    AEffect* probe_get_record(void);              // the probe's own record
    const char* probe_entry_name(void);           // name of the last entry point called, "" before
    audioMasterCallback probe_audio_master(void); // the callback the entry point got
    int64_t probe_dispatch_count(int32_t opcode); // opcodes above kProbeMaxOpcode: pass -1
    int64_t probe_function_count(int32_t function);
    // Calls whose effect was not the probe's own record.
    int64_t probe_foreign_effect_count(int32_t function);
    AEffect* probe_last_effect(int32_t function);
    int32_t probe_last_dispatch(int32_t opcode, ProbeDispatchCall* out); // 0: never called
    int32_t probe_last_process(int32_t function, ProbeProcessCall* out);
    int32_t probe_last_parameter(int32_t function, ProbeParameterCall* out);
    int32_t probe_master_answer_count(void);
    int32_t probe_master_answer(int32_t i, ProbeMasterAnswer* out);
    int32_t probe_chunk_received(void* buffer, int32_t size); // bytes of the last SetChunk
    int32_t probe_is_open(void);
    int32_t probe_is_closed(void);
    uint64_t probe_close_sequence(void); // sequence number when Close returned, 0 before
    int64_t probe_calls_after_close(void);
    uint64_t probe_sequence_mark(void); // takes the next number of the probe's event sequence

    // All of the above in one table, found with dlsym(handle, "probe_api").
    struct ProbeApi
    {
        void (*reset)(void);
        void (*setEntryMode)(int32_t);
        void (*setShape)(const ProbeShape*);
        void (*getDefaultShape)(ProbeShape*);
        int32_t (*addMasterCall)(const ProbeMasterCall*);
        void (*setText)(int32_t, const char*);
        void (*setResult)(int32_t, VstIntPtr);
        void (*clearResult)(int32_t);
        void (*setRect)(int16_t, int16_t, int16_t, int16_t);
        void (*setNullRect)(int32_t);
        void (*setReportPath)(const char*);
        AEffect* (*getRecord)(void);
        const char* (*entryName)(void);
        audioMasterCallback (*audioMaster)(void);
        int64_t (*dispatchCount)(int32_t);
        int64_t (*functionCount)(int32_t);
        int64_t (*foreignEffectCount)(int32_t);
        AEffect* (*lastEffect)(int32_t);
        int32_t (*lastDispatch)(int32_t, ProbeDispatchCall*);
        int32_t (*lastProcess)(int32_t, ProbeProcessCall*);
        int32_t (*lastParameter)(int32_t, ProbeParameterCall*);
        int32_t (*masterAnswerCount)(void);
        int32_t (*masterAnswer)(int32_t, ProbeMasterAnswer*);
        int32_t (*chunkReceived)(void*, int32_t);
        int32_t (*isOpen)(void);
        int32_t (*isClosed)(void);
        uint64_t (*closeSequence)(void);
        int64_t (*callsAfterClose)(void);
        uint64_t (*sequenceMark)(void);
        void (*setFill)(int32_t, const void*, int32_t);
        void (*setProcessDelay)(int32_t);
    };

    const ProbeApi* probe_api(void);
}
#pragma GCC visibility pop
