// What the suite's tests expect of every run of the reference host that should pass; kept apart from
// HostProcess.cpp, which the host benchmark builds without the test framework.
#include "win32/HostProcess.h"

#include <gtest/gtest.h>

namespace tabulix::testing {

void ExpectPassed(const THostRun& run) {
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    EXPECT_NE(run.Output.find("script passed"), std::string::npos) << run.Output;
}

} // namespace tabulix::testing
