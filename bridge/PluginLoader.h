// Choosing, loading and releasing the hosted plug-in.
#pragma once

#include "bridge/Platform.h"
#include "vst/VstInterface.h"

#include <juce_core/juce_core.h>

// The hosted module's resources, made current around its editor opcodes.
extern platform::ResourceRef bundleRes;
// The folder the chooser opens in; kept in the settings file.
extern juce::File lastDir;
// Oplexa's own module file; empty until getModuleFileName finds it.
extern juce::File dllPath;

// The chosen plug-in's record, or null when nothing was chosen or it failed to load.
AEffect* loadVstPlugin(audioMasterCallback audioMaster);
VstPluginMainProc getVstPluginMain();
// False when no module was loaded.
bool freeVstPlugin();
void unloadPlugin();
void getModuleFileName();
