#pragma once

#include "base/Threads.h"

namespace tabulix::testing {

// Threads allowed for as long as it lives; one again afterwards, as the tests expect.
struct TThreadsAllowed {
    explicit TThreadsAllowed(unsigned count) { AllowThreads(count); }
    ~TThreadsAllowed() { AllowThreads(1); }
    TThreadsAllowed(const TThreadsAllowed&) = delete;
    TThreadsAllowed& operator=(const TThreadsAllowed&) = delete;
};

} // namespace tabulix::testing
