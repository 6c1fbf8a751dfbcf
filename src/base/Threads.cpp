#include "base/Threads.h"

#include <algorithm>
#include <atomic>
#include <exception>
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
    std::thread other([&] {
        try {
            second();
        } catch (...) {
            secondFailure = std::current_exception();
        }
    });
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
