// The one-glance picture of a session: every counter that is not zero, group by group in
// opcode order, written after Close while logSummary is on.
#pragma once

class OXLogger;

// Each line stays within the log's 1024 bytes, prefix included; a group that does not fit in
// one line goes on in the next, which repeats the group's name.
void writeCountSummary(OXLogger& logger) noexcept;
