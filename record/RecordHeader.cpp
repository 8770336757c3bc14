#include "record/RecordHeader.h"

#include "record/RecordFormat.h"
#include "record/RecordLayout.h"

#include <cstring>

namespace recordFormat
{
size_t encodeHeader(const HeaderValues& values, uint8_t* out, size_t size) noexcept
{
    Writer writer(out, size);
    writer.array(fieldCount<HeaderField>);
    writer.text(kMagic, std::strlen(kMagic));
    writer.uint(kVersion);
    if (values.pathIsUtf8)
        writer.text(values.pluginPath.data(), values.pluginPath.size());
    else
        writer.bytes(values.pluginPath.data(), values.pluginPath.size());
    writer.uint(values.instance);
    writer.text(values.startTime.data(), values.startTime.size());
    writer.boolean(values.fullOutputs);
    writer.uint(values.clock.ticks);
    writer.uint(values.clock.ns);
    writer.uint(values.clock.ticksPerSecond);
    return writer.ok() ? writer.size() : 0;
}
} // namespace recordFormat
