#include "logger/CallFormat.h"

#include "vst/VstInterface.h"

namespace
{
void appendText(LineBuffer& line, const char* label, const void* ptr) noexcept
{
    line.append("%s=", label);
    line.appendText(ptr != nullptr ? static_cast<const char*>(ptr) : kNullTextMarker);
}
} // namespace

void formatCallLine(LineBuffer& line, const char* prefix, const VstOpCodeInfo& info, long index,
                    long value, void* ptr, float opt, bool withParameters) noexcept
{
    line.append("%s%s ", prefix, info.name);
    if (!withParameters)
        return;
    if (info.indexLabel != nullptr)
        line.append("%s=%ld ", info.indexLabel, index);
    if (info.valueLabel != nullptr)
        line.append("%s=%ld ", info.valueLabel, value);
    if (info.ptrLabel != nullptr && !info.ptrIsReturned)
    {
        if (info.ptrKind == ptrString)
        {
            appendText(line, info.ptrLabel, ptr);
            line.append(" ");
        }
        else
        {
            line.append("%s=%p ", info.ptrLabel, ptr);
        }
    }
    if (info.optLabel != nullptr)
        line.append("%s=%f ", info.optLabel, static_cast<double>(opt));
}

void formatReturnLine(LineBuffer& line, const char* prefix, const VstOpCodeInfo& info, void* ptr,
                      long result, bool rectangleKnown) noexcept
{
    line.append("%s%s returned ", prefix, info.name);
    if (info.returnLabel != nullptr)
        line.append("%s=%ld ", info.returnLabel, result);
    if (info.ptrLabel == nullptr || !info.ptrIsReturned)
        return;
    if (info.ptrKind == ptrString)
    {
        appendText(line, info.ptrLabel, ptr);
        return;
    }
    if (info.ptrKind == ptrRectOut && rectangleKnown && ptr != nullptr)
    {
        if (const ERect* rect = *static_cast<ERect* const*>(ptr))
        {
            line.append("%s=top(%d), left(%d), bottom(%d), right(%d) ", info.ptrLabel, rect->top,
                        rect->left, rect->bottom, rect->right);
            return;
        }
    }
    line.append("%s=%p", info.ptrLabel, ptr);
}
