#include "plugin/HostCallbacks.h"

#include "base/Numbers.h"
#include "pageimport/HostVariables.h"
#include "plugin/BridgePorts.h"
#include "plugin/HostBridge.h"
#include "plugin/HostStrings.h"

#include <climits>

namespace tabulix {

std::u16string GetHostVariable(const std::u16string& name) {
    const TGetVariableCallback callback = Bridge().GetVariableCallback;
    if (!callback) return u"";
    const std::string hostName = ToHostText(name);
    char* slot = nullptr;
    callback(hostName.c_str(), &slot);
    const std::u16string value = ReadHostString(slot);
    FreeHostString(&slot);
    return value;
}

void SetHostVariable(const std::u16string& name, const std::u16string& value) {
    const TSetVariableCallback callback = Bridge().SetVariableCallback;
    if (!callback) return;
    const std::string hostName = ToHostText(name);
    const std::string hostValue = ToHostText(value);
    callback(hostName.c_str(), hostValue.c_str());
}

void ReportError(const std::u16string& message) noexcept {
    // Reporting runs inside the last handlers of the entry points and window procedures: a failure
    // here (no memory left for the host text) is dropped rather than thrown out of them.
    try {
        SetHostVariable(u"[LastError]", message);
    } catch (...) {
    }
}

bool HostSupportsObjectLookup() {
    const TInterfaceAccessCallback callback = Bridge().InterfaceAccessCallback;
    if (!callback) return false;
    char* slot = nullptr;
    callback(RequestCapabilityProbe, &slot);
    const bool supported = slot != nullptr;
    FreeHostString(&slot);
    return supported;
}

intptr_t LookupObjectWindow(const std::u16string& objectName) {
    const TInterfaceAccessCallback callback = Bridge().InterfaceAccessCallback;
    if (!callback) return 0;
    char* slot = nullptr;
    AssignHostString(&slot, objectName);
    callback(RequestObjectWindow, &slot);
    const std::u16string answer = ReadHostString(slot);
    FreeHostString(&slot);
    // The host writes a 32-bit handle as a signed decimal; one with its top bit set reads negative and
    // is widened with its sign, as Windows widens handles. A text that is no 32-bit integer is 0.
    const auto handle = ReadDecimalInteger(answer);
    if (!handle || *handle < INT32_MIN || *handle > INT32_MAX) return 0;
    return intptr_t(int32_t(*handle));
}

namespace {

// Sends a request whose slot starts with a text and holds the host's answer when it answers true.
std::optional<std::u16string> AskHost(int32_t request, const std::u16string& text) {
    const TInterfaceAccessCallback callback = Bridge().InterfaceAccessCallback;
    if (!callback) return std::nullopt;
    char* slot = nullptr;
    AssignHostString(&slot, text);
    const bool answered = callback(request, &slot);
    std::optional<std::u16string> answer;
    if (answered) answer = ReadHostString(slot);
    FreeHostString(&slot);
    return answer;
}

} // namespace

std::optional<std::u16string> PickHostObject(const std::u16string& typed) { return AskHost(RequestPickObject, typed); }

std::optional<std::u16string> BrowseHostFile(const std::u16string& request) { return AskHost(RequestBrowseFile, request); }

void RunHostScript(const std::u16string& command) {
    const TScriptProcessorCallback callback = Bridge().ScriptProcessorCallback;
    if (!callback) return;
    const std::string hostCommand = ToHostText(command);
    callback(hostCommand.c_str());
}

std::u16string ExpandHostPubTokens(std::u16string_view path) { return ExpandPubTokens(TBridgeImportHost(), path); }

} // namespace tabulix
