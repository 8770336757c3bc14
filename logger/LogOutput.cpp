// Where the lines go, from the environment and the settings file's attributes.
#include "logger/LogSink.h"
#include "logger/OXLogger.h"

#include <cstdlib>

namespace
{
constexpr int kDefaultQueueKB = 4096;
constexpr int kLargestQueueKB = 1024 * 1024;

juce::String attribute(const juce::NamedValueSet& attributes, const char* name)
{
    const juce::var* value = attributes.getVarPointer(name);
    return value != nullptr ? value->toString().trim() : juce::String();
}

std::string logFilePath(const juce::NamedValueSet& attributes, const juce::File& settingsFolder)
{
    const char* fromEnvironment = std::getenv("OPLEXA_LOG_FILE");
    if (fromEnvironment != nullptr && *fromEnvironment != '\0')
        return fromEnvironment;
    const juce::String path = attribute(attributes, "logFile");
    if (path.isEmpty())
        return {};
    if (path == "~" || path.startsWith("~/"))
        return (juce::File::getSpecialLocation(juce::File::userHomeDirectory).getFullPathName() +
                path.substring(1))
            .toStdString();
    if (juce::File::isAbsolutePath(path) || settingsFolder == juce::File())
        return path.toStdString();
    return settingsFolder.getChildFile(path).getFullPathName().toStdString();
}
} // namespace

LogOutputOptions OXLogger::outputOptions(const juce::File& settingsFolder) const
{
    LogOutputOptions options;
    options.file = logFilePath(outputAttributes, settingsFolder);
    options.direct = attribute(outputAttributes, "logWrites").equalsIgnoreCase("direct");
    int queueKB = attribute(outputAttributes, "logQueueKB").getIntValue();
    if (queueKB <= 0)
        queueKB = kDefaultQueueKB;
    options.queueBytes = static_cast<size_t>(std::min(queueKB, kLargestQueueKB)) * 1024;
    return options;
}

std::string OXLogger::namedDestination(const juce::File& settingsFolder) const
{
    const LogOutputOptions options = outputOptions(settingsFolder);
    return (options.file.empty() ? std::string("standard output") : options.file) +
           (options.direct ? " (written directly)" : "");
}

void OXLogger::startOutput(const juce::File& settingsFolder)
{
    const LogOutputOptions options = outputOptions(settingsFolder);
    const juce::String name = moduleName;
    const bool withTime = logTime;
    startLogOutput(options, [name, withTime](LineBuffer& line)
                   { beginNamedLine(line, name.toRawUTF8(), withTime); });
}

void OXLogger::stopOutput() noexcept
{
    stopLogOutput();
}
