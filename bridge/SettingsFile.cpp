#include "bridge/SettingsFile.h"

#include "logger/OXLogger.h"

juce::File settingsFileFor(const juce::File& module)
{
    if (module == juce::File())
        return {};
    return module.withFileExtension("xml");
}

void applySettings(const juce::String& document, juce::File& lastDir, OXLogger& logger)
{
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
    applySettings(file.loadFileAsString(), lastDir, logger);
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
