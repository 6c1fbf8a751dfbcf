#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace tabulix {

// A failure inside the system: an exception carrying a fixed English message. Action routines and
// window procedures catch it and report the message to the host.
class TTabulixError : public std::exception {
public:
    explicit TTabulixError(std::u16string message);
    const std::u16string& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FUtf8Message.c_str(); }

private:
    std::u16string FMessage;
    std::string FUtf8Message;
};

// A failure of the operating system, with the system's own error text kept apart so that callers can
// word their message around it.
class TSystemError : public TTabulixError {
public:
    TSystemError(std::u16string message, std::u16string systemText);
    const std::u16string& SystemText() const noexcept { return FSystemText; }

private:
    std::u16string FSystemText;
};

// Replaces each "%s" of a fixed message, left to right, by the next argument. Messages of the system
// hold only %s and %d placeholders; numbers are formatted by the caller.
std::u16string FormatMessageText(std::u16string_view pattern, std::initializer_list<std::u16string_view> args);

// The message a caught exception is reported with: a TTabulixError's own message, "Out of memory." when
// memory ran out, the text of any other standard exception, and "Unexpected error." for anything else.
// Called inside a catch block, for the exception being handled.
std::u16string CurrentExceptionMessage();

} // namespace tabulix
