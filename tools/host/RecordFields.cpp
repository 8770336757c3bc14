#include "tools/host/RecordFields.h"

#include <cstdio>

namespace host
{
namespace
{
const char* nullOrSet(const void* pointer)
{
    return pointer == nullptr ? "null" : "set";
}

// Hosts look at the function only when the flag offers it: some plug-ins leave it uninitialised.
const char* doubleProcessing(const AEffect& record)
{
    if ((record.flags & effFlagsCanDoubleReplacing) == 0)
        return "unoffered";
    return nullOrSet(reinterpret_cast<const void*>(record.processDoubleReplacing));
}

void writeFields(SessionReport& file, const AEffect& record, const char* when)
{
    file.line("%s: numPrograms=%d numParams=%d numInputs=%d numOutputs=%d flags=0x%x "
              "initialDelay=%d realQualities=%d offQualities=%d ioRatio=%.9g object=%s "
              "uniqueID=0x%08x version=%d processDoubleReplacing=%s",
              when, record.numPrograms, record.numParams, record.numInputs, record.numOutputs,
              static_cast<uint32_t>(record.flags), record.initialDelay, record.realQualities,
              record.offQualities, static_cast<double>(record.ioRatio), nullOrSet(record.object),
              static_cast<uint32_t>(record.uniqueID), record.version, doubleProcessing(record));
}
} // namespace

bool RecordFields::open(const std::string& path)
{
    const std::lock_guard<std::mutex> lock(mutex);
    return file.open(path);
}

bool RecordFields::close()
{
    const std::lock_guard<std::mutex> lock(mutex);
    return file.close();
}

void RecordFields::write(const AEffect& record, const char* when)
{
    const std::lock_guard<std::mutex> lock(mutex);
    writeFields(file, record, when);
}

void RecordFields::ioChanged(const AEffect* record)
{
    const std::lock_guard<std::mutex> lock(mutex);
    char when[64];
    std::snprintf(when, sizeof when, "ioChanged %d", ++ioChanges);
    if (record == nullptr)
        file.line("%s: before the entry point returned", when);
    else
        writeFields(file, *record, when);
}

RecordFields& recordFields()
{
    static RecordFields fields;
    return fields;
}
} // namespace host
