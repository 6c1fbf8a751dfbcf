#include "base/Error.h"

#include "base/Text.h"

#include <new>

namespace tabulix {

TTabulixError::TTabulixError(std::u16string message)
    : FMessage(std::move(message)), FUtf8Message(Utf16ToUtf8(FMessage)) {}

TSystemError::TSystemError(std::u16string message, std::u16string systemText)
    : TTabulixError(std::move(message)), FSystemText(std::move(systemText)) {}

std::u16string FormatMessageText(std::u16string_view pattern, std::initializer_list<std::u16string_view> args) {
    std::u16string result;
    result.reserve(pattern.size() + 64);
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        const bool placeholder = pattern[i] == u'%' && i + 1 < pattern.size() &&
                                 (pattern[i + 1] == u's' || pattern[i + 1] == u'd');
        if (placeholder && next != args.end()) {
            result += *next++;
            ++i;
        } else {
            result += pattern[i];
        }
    }
    return result;
}

std::u16string CurrentExceptionMessage() {
    try {
        throw;
    } catch (const TTabulixError& error) {
        return error.Message();
    } catch (const std::bad_alloc&) {
        return u"Out of memory.";
    } catch (const std::exception& error) {
        return Utf8ToUtf16(error.what());
    } catch (...) {
        return u"Unexpected error.";
    }
}

} // namespace tabulix
