// Arbitrary bytes as a settings file: the reader must never crash, hang or read out of bounds.
#include "bridge/SettingsFile.h"
#include "logger/OXLogger.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static OXLogger logger;
    logger.init("Fuzz.so");
    std::string lastDir;
    applySettings(data, size, lastDir, logger);
    return 0;
}
