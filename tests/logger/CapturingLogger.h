// An OXLogger whose lines are kept instead of written, for the formatter's unit tests.
#pragma once

#include "logger/OXLogger.h"

#include <string>
#include <vector>

class CapturingLogger : public OXLogger
{
public:
    CapturingLogger() { init("Test.so"); }
    void writeLine(LineBuffer& line) noexcept override { messages.emplace_back(line.message()); }
    std::vector<std::string> take()
    {
        std::vector<std::string> result;
        result.swap(messages);
        return result;
    }

    std::vector<std::string> messages;
};
