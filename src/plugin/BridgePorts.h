#pragma once

// The ports of the other layers, implemented over the bridge: the host as the Import action and the
// viewers see it, the parameter slots and the services of the property dialogs.

#include "pageimport/ImportAction.h"
#include "plugin/dialogs/DialogForm.h"
#include "viewer/ViewerPorts.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tabulix {

// The host as the Import action sees it: the bridge's variables, message boxes owned by the host's
// window, the library's own path and local time.
class TBridgeImportHost final : public TImportHost {
public:
    bool CanReadVariables() const override;
    std::u16string ReadVariable(const std::u16string& name) const override;
    void WriteVariable(const std::u16string& name, const std::u16string& value) override;
    void ShowMessageBox(const std::u16string& text, const std::u16string& caption, TMessageBoxKind kind) override;
    std::u16string LibraryModulePath() const override;
    TLocalTime LocalTime() const override;
};

// The host as the viewers see it: the bridge's window, variables, script processor and request 7.
class TBridgeViewerHost final : public TViewerHost {
public:
    TWindowHandle HostWindow() const override;
    bool CanSetVariables() const override;
    void SetVariable(const std::u16string& name, const std::u16string& value) override;
    void ReportError(const std::u16string& message) noexcept override;
    void RunScript(const std::u16string& command) override;
    bool CanLookupObjects() const override;
    TWindowHandle LookupObjectWindow(const std::u16string& name) override;
};

// The parameter slots of nbEditAction: host strings read as text, replaced by new host strings.
class THostSlots final : public TParameterSlots {
public:
    THostSlots(char** slots, int32_t lastIndex) : FSlots(slots), FLastIndex(lastIndex) {}
    std::u16string Read(int32_t index) const override;
    void Write(int32_t index, const std::u16string& text) override;

private:
    char** FSlots;
    int32_t FLastIndex;
};

// The property dialogs' services: the bridge's toolkit, requests 8 and 16, the host's variables.
class TBridgeDialogServices final : public TDialogServices {
public:
    bool ShowModal(TDialogForm& form) override;
    std::optional<TColor> PickColor(std::optional<TColor> start) override;
    std::optional<std::u16string> PickFileToOpen(const std::u16string& filter, const std::u16string& initial) override;
    void ShowError(const std::u16string& text) override;
    std::optional<std::u16string> PickObject(const std::u16string& typed) override;
    std::optional<std::u16string> BrowseHostFile(const std::u16string& request) override;
    std::u16string ReadVariable(const std::u16string& name) override;
    void WriteVariable(const std::u16string& name, const std::u16string& value) override;
};

} // namespace tabulix
