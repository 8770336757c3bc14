#include "logger/CallFormat.h"

#include "vst/VstInterface.h"

namespace
{
// "label="
void appendLabel(LineBuffer& line, const char* label) noexcept
{
    line.appendText(label);
    line.appendChar('=');
}

// "label=text": the text a plug-in or host passed, escaped so that it stays on its line.
void appendText(LineBuffer& line, const char* label, const void* ptr) noexcept
{
    appendLabel(line, label);
    if (ptr != nullptr)
        line.appendEscapedText(static_cast<const char*>(ptr));
    else
        line.appendText(kNullTextMarker);
}

// "label=%ld "
void appendNumber(LineBuffer& line, const char* label, long value) noexcept
{
    appendLabel(line, label);
    line.appendDecimal(value);
    line.appendChar(' ');
}
} // namespace

void formatCallLine(LineBuffer& line, const char* prefix, const VstOpCodeInfo& info, long index,
                    long value, void* ptr, float opt, bool withParameters) noexcept
{
    line.appendText(prefix);
    line.appendText(info.name);
    line.appendChar(' ');
    if (!withParameters)
        return;
    if (info.indexLabel != nullptr)
        appendNumber(line, info.indexLabel, index);
    if (info.valueLabel != nullptr)
        appendNumber(line, info.valueLabel, value);
    if (info.ptrLabel != nullptr && !info.ptrIsReturned)
    {
        if (info.ptrKind == ptrString)
            appendText(line, info.ptrLabel, ptr);
        else
        {
            appendLabel(line, info.ptrLabel);
            line.appendPointer(ptr);
        }
        line.appendChar(' ');
    }
    if (info.optLabel != nullptr)
    {
        appendLabel(line, info.optLabel);
        line.appendFixed(static_cast<double>(opt));
        line.appendChar(' ');
    }
}

void formatReturnLine(LineBuffer& line, const char* prefix, const VstOpCodeInfo& info, void* ptr,
                      long result, bool rectangleKnown) noexcept
{
    line.appendText(prefix);
    line.appendText(info.name);
    line.appendLiteral(" returned ");
    if (info.returnLabel != nullptr)
        appendNumber(line, info.returnLabel, result);
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
            appendLabel(line, info.ptrLabel);
            const char* const names[] = {"top(", "), left(", "), bottom(", "), right("};
            const int16_t edges[] = {rect->top, rect->left, rect->bottom, rect->right};
            for (int i = 0; i < 4; ++i)
            {
                line.appendText(names[i]);
                line.appendDecimal(edges[i]);
            }
            line.appendLiteral(") ");
            return;
        }
    }
    appendLabel(line, info.ptrLabel);
    line.appendPointer(ptr);
}

void formatProcessLine(LineBuffer& line, VstFunctionIndex function, const void* inputs,
                       const void* outputs, long sampleFrames, bool withParameters) noexcept
{
    line.appendText(vstFunctionNames[function]);
    if (!withParameters)
        return;
    line.appendLiteral("(inputs:");
    line.appendPointer(inputs);
    line.appendLiteral(", outputs:");
    line.appendPointer(outputs);
    line.appendLiteral(", sampleFrames:");
    line.appendDecimal(sampleFrames);
    line.appendChar(')');
}

void formatSetParameterLine(LineBuffer& line, long index, float parameter,
                            bool withParameters) noexcept
{
    line.appendLiteral("setParameter");
    if (!withParameters)
        return;
    line.appendLiteral("(index: ");
    line.appendDecimal(index);
    line.appendLiteral(", parameter: ");
    line.appendFixed(static_cast<double>(parameter));
    line.appendChar(')');
}

void formatGetParameterLine(LineBuffer& line, long index, bool withParameters) noexcept
{
    line.appendLiteral("getParameter");
    if (!withParameters)
        return;
    line.appendLiteral("(index: ");
    line.appendDecimal(index);
    line.appendChar(')');
}

void formatGetParameterReturnLine(LineBuffer& line, float value) noexcept
{
    line.appendLiteral("getParameter returned ");
    line.appendFixed(static_cast<double>(value));
}
