#pragma once

#include "win32/HostProcess.h"

#include <gtest/gtest.h>

namespace tabulix::testing {

// The host ran the whole script: it printed "script passed" and exited 0.
inline void ExpectScriptPassed(const THostRun& run) {
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    EXPECT_NE(run.Output.find("script passed"), std::string::npos) << run.Output;
}

} // namespace tabulix::testing
