#pragma once

#include "HostDialog.h"
#include "HostModal.h"
#include "HostScript.h"
#include "plugin/PlugInInterface.h"

#include <deque>
#include <map>
#include <optional>
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

// An interface-access request the library sent, with the slot's text as it arrived.
struct TRequest {
    int32_t Code = 0;
    std::string Text;
};

struct TRegisteredAction {
    int32_t Number = 0;
    std::string Name;
    std::string Hint;
    std::vector<uint8_t> TypeCodes;
    int32_t ParameterCount = 0;
};

// One run of the host: the loaded library, the host's variables, its main window with the Rectangle
// windows, the answers queued for the library's requests, and what the library sent back.
class THostSession {
public:
    explicit THostSession(bool verbose);
    ~THostSession();

    bool Load(const std::wstring& dllPath, std::string& reason);
    // Runs the script; returns the process exit code (0 when every command and expectation held).
    int Run(const std::vector<TScriptLine>& script);

    // Reached from the host callbacks.
    void Log(const std::string& line) const;
    void AddAction(TRegisteredAction action) { FActions.push_back(std::move(action)); }
    std::string Variable(const std::string& name) const;
    // The text with every [Name] of a variable the host has replaced by its value, as the host does in
    // the parameters of a script's actions; other brackets stay.
    std::string ExpandVariables(const std::string& text) const;
    void SetVariable(const std::string& name, const std::string& value) { FVariables[name] = value; }
    THostBool Answer(int32_t request, char** slot);
    void RecordScriptCommand(const std::string& command) { FScriptCommands.push_back(command); }
    THostModal& Modal() { return FModal; }
    THostDialogs& Dialogs() { return FDialogs; }
    // A window of the thread is being created (from the host's window hook).
    void WindowCreated(HWND window);

    // Reached from the window commands.
    HWND MainWindow() const { return FMainWindow; }
    HWND RectangleWindow(const std::string& name) const;
    // The newest viewer window still there that the library created right after asking for the
    // Rectangle NAME's window (request 7); null when there is none.
    HWND AttachedViewer(const std::string& name) const;
    // Runs the message loop for that long (timers fire, windows paint); 0 handles what is waiting.
    void Pump(DWORD milliseconds);

private:
    bool RunLine(const TScriptLine& line, std::string& failure, bool& quit);
    // A line queued by during-next-modal, run from the loop of the menu, box or file dialog that took it:
    // the reason it failed, or empty.
    std::string RunLineDuringModal(const TScriptLine& line);
    bool Edit(const std::vector<std::string>& words, std::string& failure);
    int32_t ActionNumber(const std::string& word) const;

    bool FVerbose;
    HMODULE FLibrary = nullptr;
    HWND FMainWindow = nullptr;
    THostModal FModal;
    THostDialogs FDialogs;
    HHOOK FWindowHook = nullptr;
    HHOOK FMessageHook = nullptr;
    TEntryPoints FEntry;
    std::vector<TRegisteredAction> FActions;
    std::map<std::string, std::string> FVariables;
    std::map<std::string, HWND> FRectangles; // by upper-cased name
    std::deque<std::string> FPickAnswers;    // request 8
    std::deque<std::string> FBrowseAnswers;  // request 16
    std::deque<std::string> FScriptCommands;
    int FNullProbes = 0;                          // request 6 answers left null
    std::map<std::string, std::string> FObjectAnswers; // request 7, by upper-cased name
    std::string FLastObjectAsked;                 // upper-cased
    std::map<std::string, std::vector<HWND>> FViewersByName; // upper-cased; oldest first
    bool FLastResult = false;
    bool FStrictMessages = false; // a box no line expected fails the script at its end
    std::deque<TRequest> FRequests;                  // since the last edit, oldest first
    std::vector<std::optional<std::string>> FEditSlots; // the slots after the last edit; none for null
};

// Host strings are ANSI; scripts are UTF-8.
std::string Utf8ToAnsi(const std::string& utf8);
std::string AnsiToUtf8(const std::string& ansi);
// A block of the global-memory allocator holding the text, as the host hands texts over.
char* NewHostString(const std::string& ansi);
void FreeHostString(char*& slot);

} // namespace tabulix::host
