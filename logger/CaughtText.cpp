#include "logger/CaughtText.h"

#include "logger/LineBuffer.h"
#include "logger/OXLogger.h"

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
