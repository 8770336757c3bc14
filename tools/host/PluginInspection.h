// The parts of a session that read the plug-in's description into the report: record fields,
// names, programs, parameters and the chunk.
#pragma once

#include "tools/host/HostOptions.h"
#include "tools/host/PluginCaller.h"
#include "tools/host/SessionReport.h"

namespace host
{
// Counts beyond these are taken as garbage and not walked.
constexpr int kMaxWalkedPrograms = 1024;
constexpr int kMaxWalkedParams = 4096;

int usableCount(int32_t count, int limit, const char* what);

void reportRecord(SessionReport& report, const AEffect& record, const char* when);
void reportNames(PluginCaller& plugin, SessionReport& report);
void reportPrograms(PluginCaller& plugin, SessionReport& report, int programs);
void reportParameters(PluginCaller& plugin, SessionReport& report, int params);
// Sets each parameter to a few values, reports what the plug-in makes of them, then restores it.
void exerciseParameters(PluginCaller& plugin, SessionReport& report, int params);
// --program and --set-param; settings past the parameter count are skipped with a warning.
// GetChunk of the bank, then SetChunk with a copy of the same bytes.
void exerciseChunk(PluginCaller& plugin, SessionReport& report);
} // namespace host
