#pragma once

// The boundary between the VisualNEO host and the library, as the host expects it: the seven entry
// points exported under their plain names, the host's callbacks, all with the stdcall convention on
// 32-bit Windows. Integers are 32-bit signed; truth values are one-byte booleans; a host string is a
// zero-terminated ANSI text (null meaning empty); an open array is a pointer plus its last index.

#include <cstdint>

#if defined(_WIN32) && defined(__i386__)
#define TABULIX_STDCALL __attribute__((stdcall))
#else
#define TABULIX_STDCALL
#endif

namespace tabulix {

using THostBool = bool;
static_assert(sizeof(THostBool) == 1, "truth values cross the host boundary as single bytes");

// A host window handle, carried as a pointer-sized value so that the portable layers need no Win32 types.
using THostWindow = void*;

using TAddActionCallback = void(TABULIX_STDCALL*)(int32_t number, const char* name, const char* hint,
                                                  const uint8_t* typeCodes, int32_t lastCodeIndex,
                                                  int32_t parameterCount);
using TGetVariableCallback = void(TABULIX_STDCALL*)(const char* name, char** valueSlot);
using TSetVariableCallback = void(TABULIX_STDCALL*)(const char* name, const char* value);
using TInterfaceAccessCallback = THostBool(TABULIX_STDCALL*)(int32_t request, char** slot);
using TScriptProcessorCallback = void(TABULIX_STDCALL*)(const char* command);

} // namespace tabulix

extern "C" {

void TABULIX_STDCALL nbInitPlugIn(tabulix::THostWindow hostWindow, char** title, char** publisher, char** hint);
void TABULIX_STDCALL nbRegisterPlugIn(tabulix::TAddActionCallback addAction, void* reserved,
                                      tabulix::TGetVariableCallback getVariable,
                                      tabulix::TSetVariableCallback setVariable);
void TABULIX_STDCALL nbRegisterInterfaceAccess(tabulix::TInterfaceAccessCallback interfaceAccess);
void TABULIX_STDCALL nbRegisterScriptProcessor(tabulix::TScriptProcessorCallback scriptProcessor);
tabulix::THostBool TABULIX_STDCALL nbExecAction(int32_t action, char** parameters, int32_t lastIndex);
tabulix::THostBool TABULIX_STDCALL nbEditAction(int32_t action, char** parameters, int32_t lastIndex);
void TABULIX_STDCALL nbMessage(int32_t code, int32_t reserved);

} // extern "C"
