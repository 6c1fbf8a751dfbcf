// The seven entry points the host calls. No exception leaves them.
#include "plugin/PlugInActions.h"
#include "plugin/PlugInInterface.h"
#include "plugin/PlugInUtils.h"

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
    THostBridge& bridge = Bridge();
    bridge.AddActionCallback = addAction;
    bridge.RegisterReserved = reserved;
    bridge.GetVariableCallback = getVariable;
    bridge.SetVariableCallback = setVariable;
    try {
        RegisterActions(addAction);
    } catch (...) {
    }
}

void TABULIX_STDCALL nbRegisterInterfaceAccess(TInterfaceAccessCallback interfaceAccess) {
    Bridge().InterfaceAccessCallback = interfaceAccess;
}

void TABULIX_STDCALL nbRegisterScriptProcessor(TScriptProcessorCallback scriptProcessor) {
    Bridge().ScriptProcessorCallback = scriptProcessor;
}

THostBool TABULIX_STDCALL nbExecAction(int32_t action, char** parameters, int32_t) {
    return ExecuteAction(action, parameters);
}

THostBool TABULIX_STDCALL nbEditAction(int32_t action, char**, int32_t) {
    // The property dialogs of the action editor are not there yet: no action is edited.
    (void)action;
    return false;
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
