/* A plug-in whose entry points carry the right names and the wrong calling convention (cdecl: the
   caller pops), except nbMessage, which pops four bytes too few. tools/check-dll must refuse it. */
#define STDCALL __attribute__((stdcall))
void nbInitPlugIn(void* window, char** title, char** publisher, char** hint) { (void)window; (void)title; (void)publisher; (void)hint; }
void nbRegisterPlugIn(void* add, void* reserved, void* get, void* set) { (void)add; (void)reserved; (void)get; (void)set; }
void nbRegisterInterfaceAccess(void* callback) { (void)callback; }
void nbRegisterScriptProcessor(void* callback) { (void)callback; }
char nbExecAction(int action, char** parameters, int lastIndex) { (void)parameters; return (char)(action + lastIndex); }
char nbEditAction(int action, char** parameters, int lastIndex) { (void)parameters; return (char)(action - lastIndex); }
void STDCALL nbMessage(int code) { (void)code; }
