// Constants the test host answers with, and what its log shows of opcodes.
#pragma once

#include "vst/VstInterface.h"

#include <cstdint>

namespace host
{
constexpr intptr_t kHostVstVersion = 2400;
constexpr intptr_t kHostVendorVersion = 1100;
constexpr const char* kHostVendor = "Oplexa";
constexpr const char* kHostProduct = "oplexa-host";

// Process levels a host reports for audioMasterGetCurrentProcessLevel.
constexpr intptr_t kProcessLevelUser = 1;
constexpr intptr_t kProcessLevelRealtime = 2;

// Automation state "off" for audioMasterGetAutomationState.
constexpr intptr_t kAutomationOff = 1;

// String opcodes, so the log can show the text the host passed or the plug-in wrote.
bool dispatcherTakesText(int32_t opcode);
bool dispatcherReturnsText(int32_t opcode);

// Names for the host's log, from the opcode table; "?" for numbers outside it.
const char* dispatcherOpcodeName(int32_t opcode);
const char* audioMasterOpcodeName(int32_t opcode);
} // namespace host
