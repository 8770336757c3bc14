#include "logger/CaughtText.h"

#include "logger/LineBuffer.h"
#include "logger/OXLogger.h"

#include <exception>

const char* caughtText() noexcept
{
    try
    {
        throw;
    }
    catch (const std::exception& exception)
    {
        return exception.what();
    }
    catch (...)
    {
        return "not a standard exception";
    }
}

void logCaught(OXLogger& logger, const char* place) noexcept
{
    LineBuffer line;
    logger.beginLine(line);
    line.appendLiteral("Caught an exception in ");
    line.appendEscapedText(place);
    line.appendLiteral(": ");
    line.appendEscapedText(caughtText());
    logger.writeLine(line);
}
