// The exported entry points. Each module variant compiles this file with its own set of
// PROBE_EXPORT_* definitions, so the tests can check how a host looks entry points up.
#include "tests/plugins/probe/ProbeState.h"

#define PROBE_ENTRY extern "C" __attribute__((visibility("default"))) AEffect*

#ifdef PROBE_EXPORT_VSTPLUGINMAIN
PROBE_ENTRY VSTPluginMain(audioMasterCallback audioMaster)
{
    return probe::enter(audioMaster, "VSTPluginMain");
}
#endif

#ifdef PROBE_EXPORT_MAIN
// C++ forbids a function named main that is not the program's; the symbol is named by asm.
PROBE_ENTRY probeMainEntry(audioMasterCallback audioMaster) __asm__("main");
PROBE_ENTRY probeMainEntry(audioMasterCallback audioMaster)
{
    return probe::enter(audioMaster, "main");
}
#endif

#ifdef PROBE_EXPORT_MAIN_MACHO
PROBE_ENTRY main_macho(audioMasterCallback audioMaster)
{
    return probe::enter(audioMaster, "main_macho");
}
#endif
