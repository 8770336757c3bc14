// The measured calls, registered with Google Benchmark under the names the summary pairs up.
#pragma once

#include <iosfwd>
#include <string>

class BenchSession;

// Each call made directly on the demo's record ("<call>/direct"), through Oplexa's proxy record
// ("<call>/oplexa") and through the compared module's, if any ("<call>/compared").
void registerForwardingBenchmarks(const BenchSession& session);

// Building one call line, and one whole logger report written to the log (this process's own
// logger, not the module's).
void registerLoggerBenchmarks();

// One write(2) of a log line to /dev/null and to a regular file: the floor of a logged line.
void registerWriteFloorBenchmarks(const std::string& regularFile);

// Recording a processReplacing of 64 stereo frames on the calling thread, and copying its
// inputs; and the file size of one minute of such blocks.
void registerRecordingBenchmarks();
void printRecordingFileSize(std::ostream& out);
