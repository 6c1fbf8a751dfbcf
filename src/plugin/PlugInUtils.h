#pragma once

// The bridge to the host: the callbacks it handed over, host strings in both directions, host
// variables, the interface-access requests, and the reporting of errors into "[LastError]".

#include "base/AnsiCodePage.h"
#include "base/HostMemory.h"
#include "pageimport/ImportAction.h"
#include "plugin/PlugInInterface.h"
#include "plugin/PlugInPlatform.h"
#include "plugin/ViewerRegistry.h"
#include "plugin/dialogs/DialogForm.h"

#include <memory>
#include <string>
#include <string_view>

namespace tabulix {

// The interface-access requests the library sends.
constexpr int32_t RequestCapabilityProbe = 6;
constexpr int32_t RequestObjectWindow = 7;
constexpr int32_t RequestPickObject = 8;
constexpr int32_t RequestBrowseFile = 16;

// Process-wide state, for the lifetime of the library; every callback null until the host registers it.
struct THostBridge {
    THostWindow HostWindow = nullptr;
    TAddActionCallback AddActionCallback = nullptr;
    void* RegisterReserved = nullptr; // the second argument of nbRegisterPlugIn, kept and never used
    TGetVariableCallback GetVariableCallback = nullptr;
    TSetVariableCallback SetVariableCallback = nullptr;
    TInterfaceAccessCallback InterfaceAccessCallback = nullptr;
    TScriptProcessorCallback ScriptProcessorCallback = nullptr;
    std::unique_ptr<TViewerRegistry> ViewerRegistry;

    // The ports the bridge works through; tests replace them with doubles.
    THostMemory* Memory = &SystemHostMemory();
    const TAnsiCodePage* CodePage = &SystemAnsiCodePage();
    TPlugInPlatform* Platform = &SystemPlugInPlatform();
    TViewerWindows* ViewerWindows = &SystemViewerWindows();
    TDialogToolkit* Dialogs = &SystemDialogToolkit();
    TViewerHost* ViewerHost; // the bridge itself, as the viewers see the host

    THostBridge();
};

THostBridge& Bridge();

// Host strings. A slot the library fills gets a new block of exactly length + 1 bytes of the host's
// allocator, after the block it held (if any) is freed.
void AssignHostString(char** slot, std::u16string_view text);
void FreeHostString(char** slot);
std::u16string ReadHostString(const char* hostString); // null reads as empty
// A text as the host takes it by value: the library's own buffer, valid while it lives.
std::string ToHostText(std::u16string_view text);

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

// Destroys every attached viewer with its window and workbook, without saving: the registry pointer is
// cleared first, so that nothing reaches a registry being destroyed.
void FreeViewerRegistry();

} // namespace tabulix
