// Where the build put the host and the test plug-ins (set by tests/plugins/CMakeLists.txt).
#pragma once

namespace partners
{
constexpr const char* kHostPath = OPLEXA_HOST_PATH;
constexpr const char* kProbePath = OPLEXA_PROBE_PATH;
constexpr const char* kProbeNoEntryPath = OPLEXA_PROBE_NOENTRY_PATH;
constexpr const char* kProbeMainOnlyPath = OPLEXA_PROBE_MAINONLY_PATH;
constexpr const char* kProbeMainMachoPath = OPLEXA_PROBE_MAIN_MACHO_PATH;
constexpr const char* kProbeAllEntriesPath = OPLEXA_PROBE_ALLENTRIES_PATH;
constexpr const char* kDemoGainPath = OPLEXA_DEMO_GAIN_PATH;
} // namespace partners
