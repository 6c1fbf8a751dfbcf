#pragma once

// Reading the host's variables, as the page import's driver and the plug-in bridge both need it.

#include <string>
#include <string_view>

namespace tabulix {

// The host's variable-reading side. The plug-in bridge implements it over the host's callback; tests
// give it a double.
class THostVariableReader {
public:
    virtual ~THostVariableReader() = default;
    // False while the host has not handed over its variable-reading callback.
    virtual bool CanReadVariables() const = 0;
    // The value of a variable such as "[PubDir]", not trimmed. May throw when the host's answer cannot
    // be taken over.
    virtual std::u16string ReadVariable(const std::u16string& name) const = 0;
};

// The variable's value; empty when variables cannot be read or the read fails.
std::u16string ReadHostVariableOrEmpty(const THostVariableReader& host, const std::u16string& name);

// The path with every "[PubDir]" (any case) replaced by the host's folder with a trailing separator and
// every "[PubTitle]" (any case) by the host's title as read. The separator is the platform's ("\" on
// Windows), added only when the folder does not already end in one; "/" counts as one everywhere,
// since Windows takes it as a separator too. A token whose value is empty, or that cannot be read,
// stays as it is.
std::u16string ExpandPubTokens(const THostVariableReader& host, std::u16string_view path);

} // namespace tabulix
