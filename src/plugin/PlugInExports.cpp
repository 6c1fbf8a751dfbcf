// The seven entry points the host calls. No exception leaves them: each has a last guard of its own,
// whatever the routines below it promise.
#include "plugin/BridgePorts.h"
#include "plugin/HostBridge.h"
#include "plugin/HostStrings.h"
#include "plugin/PlugInActions.h"
#include "plugin/PlugInInterface.h"
#include "plugin/dialogs/PropertyDialogs.h"

using namespace tabulix;

extern "C" {

void TABULIX_STDCALL nbInitPlugIn(THostWindow hostWindow, char** title, char** publisher, char** hint) {
    try {
        Bridge().HostWindow = hostWindow;
        LogBuildLine(TBridgeImportHost());
        AssignHostString(title, u"Tabulara");
        AssignHostString(publisher, u"Corvane");
        AssignHostString(hint, u"Open an Excel workbook, browse and edit its worksheets, and save changes back.");
    } catch (...) {
    }
}

void TABULIX_STDCALL nbRegisterPlugIn(TAddActionCallback addAction, void* reserved, TGetVariableCallback getVariable,
                                      TSetVariableCallback setVariable) {
    try {
        THostBridge& bridge = Bridge();
        bridge.AddActionCallback = addAction;
        bridge.RegisterReserved = reserved;
        bridge.GetVariableCallback = getVariable;
        bridge.SetVariableCallback = setVariable;
        RegisterActions(addAction);
    } catch (...) {
    }
}

void TABULIX_STDCALL nbRegisterInterfaceAccess(TInterfaceAccessCallback interfaceAccess) {
    try {
        Bridge().InterfaceAccessCallback = interfaceAccess;
    } catch (...) {
    }
}

void TABULIX_STDCALL nbRegisterScriptProcessor(TScriptProcessorCallback scriptProcessor) {
    try {
        Bridge().ScriptProcessorCallback = scriptProcessor;
    } catch (...) {
    }
}

THostBool TABULIX_STDCALL nbExecAction(int32_t action, char** parameters, int32_t lastIndex) {
    try {
        return ExecuteAction(action, THostParameters{parameters, lastIndex});
    } catch (...) {
        return false;
    }
}

THostBool TABULIX_STDCALL nbEditAction(int32_t action, char** parameters, int32_t lastIndex) {
    try {
        if (action < 1 || action > ActionCount) return false;
        THostSlots slots(parameters, lastIndex);
        TBridgeDialogServices services;
        return EditActionProperties(action, slots, services);
    } catch (...) {
        return false;
    }
}

void TABULIX_STDCALL nbMessage(int32_t code, int32_t) {
    constexpr int32_t MessageFreeViewers = 2;
    if (code != MessageFreeViewers) return;
    try {
        FreeViewerRegistry();
    } catch (...) {
    }
}

} // extern "C"
