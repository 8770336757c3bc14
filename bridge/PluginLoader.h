// Choosing, loading and releasing a session's hosted plug-in.
#pragma once

#include "vst/VstInterface.h"

#include <juce_core/juce_core.h>

#include <string>

class Session;

// Oplexa's own module file, as the file system's bytes; empty until getModuleFileName finds it.
extern std::string dllPath;

// The chosen plug-in's record, or null when nothing was chosen or it failed to load.
AEffect* loadVstPlugin(Session& session, audioMasterCallback audioMaster);
VstPluginMainProc getVstPluginMain(Session& session, const char** entryName);
// False when no module was loaded.
bool freeVstPlugin(Session& session);
void unloadPlugin(Session& session);
void getModuleFileName();
