// Running oplexa-host from a test.
#pragma once

#include "tests/plugins/PartnerPaths.h"
#include "tests/plugins/support/ProgramRun.h"

#include <gtest/gtest.h>

namespace partners
{
inline RunResult runHost(const std::vector<std::string>& arguments,
                         const Environment& environment = {})
{
    std::vector<std::string> argv{kHostPath};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProgram(argv, environment);
}

// The host ran to its end on its own, with the given exit code.
inline ::testing::AssertionResult exitedWith(const RunResult& run, int code)
{
    if (run.exited && run.exitCode == code)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "exited=" << run.exited << " code=" << run.exitCode << " signal=" << run.signal
           << " timedOut=" << run.timedOut << "\nstderr:\n"
           << run.err.substr(0, 4000);
}
} // namespace partners
