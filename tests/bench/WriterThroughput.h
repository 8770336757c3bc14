// How many lines a second the log's writer thread keeps up with: one thread sends lines as fast
// as the queue takes them (waiting for room like any thread that is not an audio thread) to a
// file on disk, to /dev/null and to a file in /dev/shm; the time runs until the output stopped
// with every line written.
#pragma once

#include <ostream>

// Prints a markdown table; false when a file lost a line or could not be made.
bool runWriterThroughput(std::ostream& out);
