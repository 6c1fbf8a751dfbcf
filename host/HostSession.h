#pragma once

#include "HostScript.h"
#include "plugin/PlugInInterface.h"

#include <map>
#include <string>
#include <vector>

#include <windows.h>

namespace tabulix::host {

// The seven entry points, looked up by name as the host looks them up.
struct TEntryPoints {
    decltype(&nbInitPlugIn) InitPlugIn = nullptr;
    decltype(&nbRegisterPlugIn) RegisterPlugIn = nullptr;
    decltype(&nbRegisterInterfaceAccess) RegisterInterfaceAccess = nullptr;
    decltype(&nbRegisterScriptProcessor) RegisterScriptProcessor = nullptr;
    decltype(&nbExecAction) ExecAction = nullptr;
    decltype(&nbEditAction) EditAction = nullptr;
    decltype(&nbMessage) Message = nullptr;
};

struct TRegisteredAction {
    int32_t Number = 0;
    std::string Name;
    std::string Hint;
    std::vector<uint8_t> TypeCodes;
};

// One run of the host: the loaded library, the host's variables and main window, and the script.
class THostSession {
public:
    THostSession();
    ~THostSession();

    // Loads the library and resolves every entry point; false with a reason on failure.
    bool Load(const std::wstring& dllPath, std::string& reason);
    // Runs the script; returns the process exit code (0 when every command and expectation held).
    int Run(const std::vector<TScriptLine>& script);

    // Reached from the host callbacks.
    void AddAction(TRegisteredAction action) { FActions.push_back(std::move(action)); }
    std::string Variable(const std::string& name) const;
    void SetVariable(const std::string& name, const std::string& value) { FVariables[name] = value; }

private:
    bool RunLine(const TScriptLine& line, std::string& failure);
    int32_t ActionNumber(const std::string& word) const;

    HMODULE FLibrary = nullptr;
    HWND FMainWindow = nullptr;
    TEntryPoints FEntry;
    std::vector<TRegisteredAction> FActions;
    std::map<std::string, std::string> FVariables;
    bool FLastResult = false;
};

// Host strings are ANSI; scripts are UTF-8.
std::string Utf8ToAnsi(const std::string& utf8);
std::string AnsiToUtf8(const std::string& ansi);
// A block of the global-memory allocator holding the text, as the host hands texts over.
char* NewHostString(const std::string& ansi);
void FreeHostString(char*& slot);

} // namespace tabulix::host
