// `oplexa check FILE... [--json]`: the protocol rules a recorded session broke, per file.
#pragma once

#include <string>
#include <vector>

namespace oplexa
{
// Its exit codes: one for the worst over all the files.
enum CheckExit
{
    kCheckClean = 0,      // nothing fired but warnings
    kCheckErrors = 3,     // a rule of severity error fired
    kCheckUnreadable = 8, // a file missing, damaged or no recording
};

int check(const std::vector<std::string>& files, bool json);
} // namespace oplexa
