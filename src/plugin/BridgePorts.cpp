#include "plugin/BridgePorts.h"

#include "plugin/HostBridge.h"
#include "plugin/HostCallbacks.h"
#include "plugin/HostStrings.h"
#include "plugin/PlugInActions.h"

namespace tabulix {

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

} // namespace tabulix
