// Opcode numbers and constants the test host needs beyond vst/VstInterface.h.
#pragma once

#include "vst/VstInterface.h"

#include <cstdint>

namespace host
{
constexpr int32_t effSetBypassOpcode = 44;
constexpr int32_t effGetTailSizeOpcode = 52;

constexpr int32_t audioMasterPinConnectedOpcode = 4;
constexpr int32_t audioMasterWantMidiOpcode = 6;
constexpr int32_t audioMasterIOChangedOpcode = 13;
constexpr int32_t audioMasterSizeWindowOpcode = 15;
constexpr int32_t audioMasterGetInputLatencyOpcode = 18;
constexpr int32_t audioMasterGetOutputLatencyOpcode = 19;
constexpr int32_t audioMasterGetAutomationStateOpcode = 24;
constexpr int32_t audioMasterGetLanguageOpcode = 38;

constexpr intptr_t kHostVstVersion = 2400;
constexpr intptr_t kHostVendorVersion = 1100;
constexpr const char* kHostVendor = "Oplexa";
constexpr const char* kHostProduct = "oplexa-host";

// Process levels a host reports for audioMasterGetCurrentProcessLevel.
constexpr intptr_t kProcessLevelUser = 1;
constexpr intptr_t kProcessLevelRealtime = 2;

// Automation state "off" for audioMasterGetAutomationState.
constexpr intptr_t kAutomationOff = 1;

// VstTimeInfo flag bits the host sets.
constexpr int32_t kTransportPlaying = 1 << 1;
constexpr int32_t kNanosValid = 1 << 8;
constexpr int32_t kPpqPosValid = 1 << 9;
constexpr int32_t kTempoValid = 1 << 10;
constexpr int32_t kBarsValid = 1 << 11;
constexpr int32_t kTimeSigValid = 1 << 13;

// String opcodes, so the log can show the text the host passed or the plug-in wrote.
bool dispatcherTakesText(int32_t opcode);
bool dispatcherReturnsText(int32_t opcode);

// Names for the host's log, from the logger's catalogue; "?" for numbers outside it.
const char* dispatcherOpcodeName(int32_t opcode);
const char* audioMasterOpcodeName(int32_t opcode);
} // namespace host
