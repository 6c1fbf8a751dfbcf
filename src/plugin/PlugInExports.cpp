// The seven entry points the host calls. No exception leaves them.
#include "plugin/PlugInInterface.h"

using namespace tabulix;

extern "C" {

void TABULIX_STDCALL nbInitPlugIn(THostWindow, char**, char**, char**) {}

void TABULIX_STDCALL nbRegisterPlugIn(TAddActionCallback, void*, TGetVariableCallback, TSetVariableCallback) {}

void TABULIX_STDCALL nbRegisterInterfaceAccess(TInterfaceAccessCallback) {}

void TABULIX_STDCALL nbRegisterScriptProcessor(TScriptProcessorCallback) {}

THostBool TABULIX_STDCALL nbExecAction(int32_t, char**, int32_t) { return false; }

THostBool TABULIX_STDCALL nbEditAction(int32_t, char**, int32_t) { return false; }

void TABULIX_STDCALL nbMessage(int32_t, int32_t) {}

} // extern "C"
