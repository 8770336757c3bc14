#include "tests/gui/LogCapture.h"

#include <cstdlib>

namespace
{
juce::File& logFile()
{
    static juce::File file = juce::File::createTempFile(".log");
    return file;
}

juce::int64 readUpTo = 0;
} // namespace

void LogCapture::install()
{
    logFile().deleteFile();
    setenv("OPLEXA_LOG_FILE", logFile().getFullPathName().toRawUTF8(), 1);
    std::atexit([] { logFile().deleteFile(); });
}

juce::StringArray LogCapture::takeNewLines()
{
    juce::FileInputStream in(logFile());
    juce::StringArray lines;
    if (!in.openedOk())
        return lines;
    in.setPosition(readUpTo);
    lines.addLines(in.readEntireStreamAsString());
    readUpTo = in.getPosition();
    lines.removeEmptyStrings();
    return lines;
}
