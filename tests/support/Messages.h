#pragma once

#include "base/Error.h"

#include <functional>
#include <string>

namespace tabulix::testing {

// The message of the TTabulixError that action throws, or "(no failure)".
inline std::u16string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const TTabulixError& error) {
        return error.Message();
    }
    return u"(no failure)";
}

} // namespace tabulix::testing
