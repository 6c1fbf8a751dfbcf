#pragma once

// The bridge's process-wide state: the host's window, the callbacks it handed over, the viewer registry,
// and the ports the bridge works through.

#include "base/AnsiCodePage.h"
#include "base/HostMemory.h"
#include "plugin/PlugInInterface.h"
#include "plugin/PlugInPlatform.h"
#include "plugin/ViewerRegistry.h"
#include "plugin/dialogs/DialogForm.h"

#include <memory>

namespace tabulix {

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

// Lets go of every attached viewer with its window and workbook, without saving: the registry pointer is
// cleared first, so that nothing reaches a registry being destroyed.
void FreeViewerRegistry();

} // namespace tabulix
