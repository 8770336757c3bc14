#include "bridge/SettingsFile.h"

#include "bridge/PathText.h"
#include "bridge/SettingsSyntax.h"
#include "logger/OXLogger.h"

#include <cstring>
#include <limits>
#include <string_view>

juce::File settingsFileFor(const juce::File& module)
{
    if (module == juce::File())
        return {};
    return module.withFileExtension("xml");
}

SettingsFiles settingsFilesFor(const juce::File& module, const juce::File& configHome)
{
    const juce::File beside = settingsFileFor(module);
    if (beside == juce::File() || configHome == juce::File())
        return {beside, beside};
    const juce::File config = configHome.getChildFile("oplexa").getChildFile(beside.getFileName());
    // JUCE writes through a temporary file in the target's folder, so the folder must be
    // writable; a missing one counts as writable when it can be created.
    const bool useConfig = !beside.getParentDirectory().hasWriteAccess() &&
                           config.getParentDirectory().hasWriteAccess();
    const juce::File& write = useConfig ? config : beside;
    const juce::File& other = useConfig ? beside : config;
    // A file left beside a read-only module (by a root session, say) must not hide the
    // user's own file from then on.
    return {write.existsAsFile() || !other.existsAsFile() ? write : other, write};
}

SettingsFiles settingsFilesFor(const std::string& module, const juce::File& configHome)
{
    if (pathText::isValidUtf8(module))
        return settingsFilesFor(juce::File(juce::String::fromUTF8(module.c_str())), configHome);
    if (configHome == juce::File())
        return {};
    const std::string name = pathText::fileNameOf(module);
    const juce::File config = configHome.getChildFile("oplexa").getChildFile(
        pathText::printable(name.substr(0, name.rfind('.'))) + ".xml");
    return {config, config};
}

void applySettings(const void* data, size_t size, std::string& lastDir, OXLogger& logger)
{
    // JUCE's parser reads past the end of some malformed text and never returns from other
    // text, so only valid UTF-8 holding plain XML is handed to it. The text ends at the first
    // zero byte, as JUCE's would.
    const auto* bytes = static_cast<const char*>(data);
    const size_t length = bytes != nullptr ? strnlen(bytes, size) : 0;
    if (length == 0 || length > static_cast<size_t>(std::numeric_limits<int>::max()) ||
        !juce::CharPointer_UTF8::isValidString(bytes, static_cast<int>(length)) ||
        !isPlainXml(std::string_view(bytes, length)))
        return;
    const juce::String document = juce::String::fromUTF8(bytes, static_cast<int>(length));

    // The root's own name is not looked at, only its children.
    const std::unique_ptr<juce::XmlElement> root =
        juce::XmlDocument(document).getDocumentElement(false);
    if (root == nullptr)
        return;
    if (const auto* lastDirElement = root->getChildByName("LastDir"))
        if (const auto* text = lastDirElement->getFirstChildElement())
        {
            // An element in place of the text names no folder: the chooser falls back home.
            // A relative path would name a folder under whatever the host's working folder is.
            std::string path;
            if (!text->isTextElement())
                lastDir.clear();
            else if (lastDirElement->getBoolAttribute(pathText::kEscapedAttribute))
            {
                if (pathText::unescape(text->getText().toStdString(), path) && !path.empty() &&
                    path[0] == '/')
                    lastDir = path;
            }
            else if (juce::File::isAbsolutePath(text->getText()))
                lastDir = juce::File(text->getText()).getFullPathName().toStdString();
        }
    if (const auto* loggerElement = root->getChildByName("Logger"))
        logger.loadState(*loggerElement);
}

std::string readSettings(const juce::File& file, std::string& lastDir, OXLogger& logger)
{
    if (file == juce::File() || !file.existsAsFile())
        return {};
    juce::MemoryBlock bytes;
    if (!file.loadFileAsData(bytes))
        return {};
    applySettings(bytes.getData(), bytes.getSize(), lastDir, logger);
    return {static_cast<const char*>(bytes.getData()), bytes.getSize()};
}

namespace
{
juce::XmlElement settingsDocument(const std::string& lastDir, const OXLogger& logger)
{
    juce::XmlElement root("Oplexa");
    auto* lastDirElement = root.createNewChildElement("LastDir");
    // A path that is not valid UTF-8 is kept escaped, and says so; any other as it is.
    if (pathText::isValidUtf8(lastDir))
        lastDirElement->addTextElement(juce::String::fromUTF8(lastDir.c_str()));
    else
    {
        lastDirElement->setAttribute(pathText::kEscapedAttribute, 1);
        lastDirElement->addTextElement(pathText::escape(lastDir));
    }
    logger.saveState(*root.createNewChildElement("Logger"));
    return root;
}

juce::XmlElement::TextFormat settingsFormat()
{
    juce::XmlElement::TextFormat format; // empty DTD
    format.customEncoding = "UTF-8";
    return format;
}
} // namespace

juce::String settingsText(const std::string& lastDir, const OXLogger& logger)
{
    return settingsDocument(lastDir, logger).toString(settingsFormat());
}

namespace
{
// The file a chain of symbolic links ends at, which need not exist yet.
juce::File linkTarget(juce::File file)
{
    for (int links = 0; links < 40 && file.isSymbolicLink(); ++links)
        file = file.getLinkedTarget();
    return file;
}
} // namespace

juce::File writeSettingsText(const juce::File& file, const juce::String& text)
{
    if (file == juce::File())
        return {};
    // A settings file linked from elsewhere (a dotfiles folder, say) stays a link.
    const juce::File target = linkTarget(file);
    if (!target.getParentDirectory().createDirectory())
        return {};
    // Through a temporary file renamed over the old one: a reader never sees half a file.
    const juce::TemporaryFile temporary(target);
    {
        // Unbuffered, so that a failed write shows; never flushed to the disk here: JUCE's
        // flush() is an fsync, which can take the disk's time on a host's thread.
        juce::FileOutputStream out(temporary.getFile(), 0);
        if (!out.openedOk() || !out.write(text.toRawUTF8(), text.getNumBytesAsUTF8()))
            return {};
    }
    return temporary.getFile().replaceFileIn(target) ? target : juce::File();
}

bool writeSettings(const juce::File& file, const std::string& lastDir, const OXLogger& logger)
{
    return writeSettingsText(file, settingsText(lastDir, logger)) != juce::File();
}
