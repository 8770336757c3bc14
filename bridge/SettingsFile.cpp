#include "bridge/SettingsFile.h"

#include "logger/OXLogger.h"

#include <cstring>
#include <limits>
#include <string_view>

namespace
{
// JUCE's parser never returns from text that follows a processing instruction inside an
// element ("<a> <?x?>b</a>"), so a document with one past its declaration is not parsed. The
// settings file never has one.
bool hasInstructionAfterDeclaration(std::string_view text)
{
    const auto start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos)
        return false;
    text.remove_prefix(start);
    if (text.substr(0, 5) == "<?xml")
    {
        const auto end = text.find("?>");
        if (end == std::string_view::npos)
            return true;
        text.remove_prefix(end + 2);
    }
    return text.find("<?") != std::string_view::npos;
}
} // namespace

juce::File settingsFileFor(const juce::File& module)
{
    if (module == juce::File())
        return {};
    return module.withFileExtension("xml");
}

void applySettings(const void* data, size_t size, juce::File& lastDir, OXLogger& logger)
{
    // JUCE's parser reads past the end of text with a broken UTF-8 sequence at its end, so
    // such a file is not handed to it. The text ends at the first zero byte, as JUCE's would.
    const auto* bytes = static_cast<const char*>(data);
    const size_t length = bytes != nullptr ? strnlen(bytes, size) : 0;
    if (length == 0 || length > static_cast<size_t>(std::numeric_limits<int>::max()) ||
        !juce::CharPointer_UTF8::isValidString(bytes, static_cast<int>(length)) ||
        hasInstructionAfterDeclaration(std::string_view(bytes, length)))
        return;
    const juce::String document = juce::String::fromUTF8(bytes, static_cast<int>(length));

    // The root's own name is not looked at, only its children.
    const std::unique_ptr<juce::XmlElement> root = juce::XmlDocument(document).getDocumentElement(false);
    if (root == nullptr)
        return;
    if (const auto* lastDirElement = root->getChildByName("LastDir"))
        if (const auto* text = lastDirElement->getFirstChildElement())
        {
            // A relative path would name a folder under whatever the host's working folder is.
            const juce::String folder = text->getText();
            if (juce::File::isAbsolutePath(folder))
                lastDir = juce::File(folder);
        }
    if (const auto* loggerElement = root->getChildByName("Logger"))
        logger.loadState(*loggerElement);
}

void readSettings(const juce::File& file, juce::File& lastDir, OXLogger& logger)
{
    if (file == juce::File() || !file.existsAsFile())
        return;
    juce::MemoryBlock bytes;
    if (file.loadFileAsData(bytes))
        applySettings(bytes.getData(), bytes.getSize(), lastDir, logger);
}

bool writeSettings(const juce::File& file, const juce::File& lastDir, const OXLogger& logger)
{
    juce::XmlElement root("Oplexa");
    auto* lastDirElement = root.createNewChildElement("LastDir");
    lastDirElement->addTextElement(lastDir.getFullPathName());
    logger.saveState(*root.createNewChildElement("Logger"));
    if (file == juce::File())
        return false;
    juce::XmlElement::TextFormat format; // empty DTD
    format.customEncoding = "UTF-8";
    return root.writeTo(file, format);
}
