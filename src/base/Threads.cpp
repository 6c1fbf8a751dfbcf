#include "base/Threads.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

namespace tabulix {

namespace {

std::atomic<unsigned> Allowed{1};

} // namespace

void AllowThreads(unsigned count) { Allowed = std::max(count, 1u); }

unsigned AllowedThreads() { return Allowed; }

void RunSideBySide(const std::function<void()>& first, const std::function<void()>& second) {
    if (AllowedThreads() < 2) {
        first();
        second();
        return;
    }
    std::exception_ptr secondFailure;
    std::thread other;
    try {
        other = std::thread([&] {
            try {
                second();
            } catch (...) {
                secondFailure = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        // The system gives no more threads: in turn, then.
        first();
        second();
        return;
    }
    std::exception_ptr firstFailure;
    try {
        first();
    } catch (...) {
        firstFailure = std::current_exception();
    }
    other.join();
    if (firstFailure) std::rethrow_exception(firstFailure);
    if (secondFailure) std::rethrow_exception(secondFailure);
}

} // namespace tabulix
