// The fields of each item of a recording (RecordFormat.h), in the order they are written: the
// writer, the reader and --print reach a field only through these names, so that a field is named
// once. The numbers are the fields' places; count is each array's length.
#pragma once

#include <cstddef>
#include <cstdint>

namespace recordFormat
{
enum class HeaderField : uint8_t
{
    magic,
    version,
    pluginPath, // a text, or its bytes when the path is not valid UTF-8
    instance,
    startTime, // "YYYYMMDD-HHMMSS"
    fullOutputs,
    ticks, // from version 2: the moment and rate that turn ticks into nanoseconds
    ns,
    ticksPerSecond,
    count,
};
// Version 1 ended with fullOutputs: its times are nanoseconds.
constexpr HeaderField kVersion1HeaderEnd = HeaderField::ticks;

enum class CallField : uint8_t
{
    kind,
    thread,
    role,
    function,
    opcode,
    index,
    value,
    opt,
    ptr,
    mxcsr,
    beginTicks,
    data,
    count,
};

enum class ReturnField : uint8_t
{
    kind,
    thread,
    role,
    function,
    opcode,
    result,
    endTicks,
    data,
    count,
};

// From version 4: the plug-in's record, written when its entry point returned it and before any
// call or return record whenever these values changed. It takes no record number.
enum class PluginField : uint8_t
{
    kind,
    thread,
    flags,
    numPrograms,
    numParams,
    numInputs,
    numOutputs,
    initialDelay,
    functions, // bit f: the record's function f (VstFunctionIndex) is not null
    count,
};

enum class GapField : uint8_t
{
    kind,
    dropped,
    count,
};

enum class EndField : uint8_t
{
    kind,
    count,
};

// A process call has no opcode, index or value: their places hold its block.
constexpr CallField kProcessOutputs = CallField::opcode;
constexpr CallField kProcessInputs = CallField::index;
constexpr CallField kProcessFrames = CallField::value;
constexpr CallField kProcessInputsPointer = CallField::ptr;
// A process return's output count, and a parameter return's index, sit in its opcode's place.
constexpr ReturnField kProcessReturnOutputs = ReturnField::opcode;
constexpr ReturnField kParameterReturnIndex = ReturnField::opcode;

// A process call's data: these numbers, then each input channel's bytes and, for process(),
// which adds to its outputs, each output channel's bytes as they were.
enum class ProcessCallData : uint8_t
{
    inPlace, // bit c: input c is output c
    outputs,
    outputsPointer,
    channels,
};

template <typename Field> constexpr size_t fieldCount = static_cast<size_t>(Field::count);
template <typename Field> constexpr size_t place(Field field)
{
    return static_cast<size_t>(field);
}

// From version 4 a process return whose outputs the writer hashed has one field more, after its
// data, in this place: for each output channel with a NaN, an infinity or a denormal, its
// number, how many samples were NaN or infinite and how many denormal, all in one flat array.
constexpr size_t kProcessReturnCounts = fieldCount<ReturnField>;
} // namespace recordFormat
