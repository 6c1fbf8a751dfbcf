#include "plugin/PlugInUtils.h"

#include "base/Numbers.h"
#include "pageimport/HostVariables.h"
#include "plugin/PlugInActions.h"
#include "plugin/ViewerRegistry.h"

#include <climits>
#include <cstring>

namespace tabulix {

THostBridge::THostBridge() {
    static TBridgeViewerHost viewerHost;
    ViewerHost = &viewerHost;
}

THostBridge& Bridge() {
    // Never destroyed: at process exit the host's windows are going anyway, and destroying viewers then
    // (timers, windows, messages into the host) would run under the loader lock. An explicit unload and
    // nbMessage 2 free the viewers instead.
    static THostBridge* const bridge = new THostBridge;
    return *bridge;
}

void AssignHostString(char** slot, std::u16string_view text) {
    if (!slot) return;
    FreeHostString(slot);
    const std::string ansi = Bridge().CodePage->FromUtf16(text);
    char* block = Bridge().Memory->Allocate(ansi.size() + 1);
    if (block) std::memcpy(block, ansi.c_str(), ansi.size() + 1);
    *slot = block;
}

void FreeHostString(char** slot) {
    if (!slot || !*slot) return;
    Bridge().Memory->Free(*slot);
    *slot = nullptr;
}

std::u16string ReadHostString(const char* hostString) {
    if (!hostString) return u"";
    return Bridge().CodePage->ToUtf16(std::string_view(hostString, std::strlen(hostString)));
}

std::string ToHostText(std::u16string_view text) { return Bridge().CodePage->FromUtf16(text); }

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

std::u16string THostSlots::Read(int32_t index) const { return THostParameters{FSlots, FLastIndex}.Read(index); }

void THostSlots::Write(int32_t index, const std::u16string& text) {
    if (!FSlots || index < 0 || index > FLastIndex) return;
    AssignHostString(&FSlots[index], text);
}

bool TBridgeDialogServices::ShowModal(TDialogForm& form) { return Bridge().Dialogs->ShowModal(form); }
std::optional<TColor> TBridgeDialogServices::PickColor(std::optional<TColor> start) {
    return Bridge().Dialogs->PickColor(start);
}
std::optional<std::u16string> TBridgeDialogServices::PickFileToOpen(const std::u16string& filter,
                                                                    const std::u16string& initial) {
    return Bridge().Dialogs->PickFileToOpen(filter, initial);
}
void TBridgeDialogServices::ShowError(const std::u16string& text) { Bridge().Dialogs->ShowError(text); }
std::optional<std::u16string> TBridgeDialogServices::PickObject(const std::u16string& typed) {
    return PickHostObject(typed);
}
std::optional<std::u16string> TBridgeDialogServices::BrowseHostFile(const std::u16string& request) {
    return tabulix::BrowseHostFile(request);
}
std::u16string TBridgeDialogServices::ReadVariable(const std::u16string& name) { return GetHostVariable(name); }
void TBridgeDialogServices::WriteVariable(const std::u16string& name, const std::u16string& value) {
    SetHostVariable(name, value);
}

void RunHostScript(const std::u16string& command) {
    const TScriptProcessorCallback callback = Bridge().ScriptProcessorCallback;
    if (!callback) return;
    const std::string hostCommand = ToHostText(command);
    callback(hostCommand.c_str());
}

std::u16string ExpandHostPubTokens(std::u16string_view path) { return ExpandPubTokens(TBridgeImportHost(), path); }

bool TBridgeImportHost::CanReadVariables() const { return Bridge().GetVariableCallback != nullptr; }

std::u16string TBridgeImportHost::ReadVariable(const std::u16string& name) const { return GetHostVariable(name); }

void TBridgeImportHost::WriteVariable(const std::u16string& name, const std::u16string& value) {
    SetHostVariable(name, value);
}

void TBridgeImportHost::ShowMessageBox(const std::u16string& text, const std::u16string& caption, TMessageBoxKind kind) {
    Bridge().Platform->ShowMessageBox(Bridge().HostWindow, text, caption, kind);
}

std::u16string TBridgeImportHost::LibraryModulePath() const { return Bridge().Platform->LibraryModulePath(); }

TLocalTime TBridgeImportHost::LocalTime() const { return Bridge().Platform->LocalTime(); }

TWindowHandle TBridgeViewerHost::HostWindow() const { return Bridge().HostWindow; }
bool TBridgeViewerHost::CanSetVariables() const { return Bridge().SetVariableCallback != nullptr; }
void TBridgeViewerHost::SetVariable(const std::u16string& name, const std::u16string& value) {
    SetHostVariable(name, value);
}
void TBridgeViewerHost::ReportError(const std::u16string& message) noexcept { tabulix::ReportError(message); }
void TBridgeViewerHost::RunScript(const std::u16string& command) { RunHostScript(command); }
bool TBridgeViewerHost::CanLookupObjects() const { return Bridge().InterfaceAccessCallback != nullptr; }
TWindowHandle TBridgeViewerHost::LookupObjectWindow(const std::u16string& name) {
    return reinterpret_cast<TWindowHandle>(tabulix::LookupObjectWindow(name));
}

void FreeViewerRegistry() {
    std::unique_ptr<TViewerRegistry> registry = std::move(Bridge().ViewerRegistry);
    registry.reset();
}

} // namespace tabulix
