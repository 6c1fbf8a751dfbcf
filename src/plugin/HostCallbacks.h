#pragma once

// The host's callbacks as the library uses them: its variables, the reporting of errors into
// "[LastError]", the interface-access requests and its script processor. Each does nothing (or answers
// empty) while the host has not registered its callback.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tabulix {

// The interface-access requests the library sends.
constexpr int32_t RequestCapabilityProbe = 6;
constexpr int32_t RequestObjectWindow = 7;
constexpr int32_t RequestPickObject = 8;
constexpr int32_t RequestBrowseFile = 16;

// Host variables: empty while no reading callback is registered; writes are dropped while no writing
// callback is.
std::u16string GetHostVariable(const std::u16string& name);
void SetHostVariable(const std::u16string& name, const std::u16string& value);
// Writes the message into "[LastError]", which the library never clears. Never throws: a failure to
// report is dropped.
void ReportError(const std::u16string& message) noexcept;

// Request 6: whether the host can find objects by name.
bool HostSupportsObjectLookup();
// Request 7: the window of the named object; 0 when there is none.
intptr_t LookupObjectWindow(const std::u16string& objectName);
// Request 8: the object the host's picker offers, starting from the name typed; none when the host does
// not answer or no interface-access callback is registered.
std::optional<std::u16string> PickHostObject(const std::u16string& typed);
// Request 16: the file the host's picker offers for the request text; none likewise.
std::optional<std::u16string> BrowseHostFile(const std::u16string& request);
// Hands the host a script command to run, such as "Gotonextpage".
void RunHostScript(const std::u16string& command);

// The path with "[PubDir]" and "[PubTitle]" replaced by the host's current values.
std::u16string ExpandHostPubTokens(std::u16string_view path);

} // namespace tabulix
