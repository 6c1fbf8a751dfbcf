#include "HostSession.h"

#include <cstdio>
#include <cstring>

namespace tabulix::host {

namespace {

THostSession* CurrentSession = nullptr;

std::string Text(const char* hostString) { return hostString ? std::string(hostString) : std::string(); }

void TABULIX_STDCALL OnAddAction(int32_t number, const char* name, const char* hint, const uint8_t* typeCodes,
                                 int32_t lastCodeIndex, int32_t parameterCount) {
    TRegisteredAction action{number, Text(name), Text(hint), {}};
    for (int32_t i = 0; typeCodes && i <= lastCodeIndex; ++i) action.TypeCodes.push_back(typeCodes[i]);
    if (int32_t(action.TypeCodes.size()) != parameterCount) {
        std::printf("warning: action %d registers %d type codes for %d parameters\n", number,
                    int(action.TypeCodes.size()), int(parameterCount));
    }
    CurrentSession->AddAction(std::move(action));
}

void TABULIX_STDCALL OnGetVariable(const char* name, char** valueSlot) {
    if (!valueSlot) return;
    FreeHostString(*valueSlot);
    *valueSlot = NewHostString(CurrentSession->Variable(Text(name)));
}

void TABULIX_STDCALL OnSetVariable(const char* name, const char* value) {
    CurrentSession->SetVariable(Text(name), Text(value));
}

THostBool TABULIX_STDCALL OnInterfaceAccess(int32_t, char**) { return false; }

void TABULIX_STDCALL OnScriptCommand(const char* command) {
    std::printf("script command: %s\n", AnsiToUtf8(Text(command)).c_str());
}

template <typename T>
bool Resolve(HMODULE library, const char* name, T& entry, std::string& missing) {
    entry = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    if (!entry) missing += std::string(missing.empty() ? "" : ", ") + name;
    return entry != nullptr;
}

std::string Convert(const std::string& text, UINT from, UINT to) {
    if (text.empty()) return {};
    const int wideSize = MultiByteToWideChar(from, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(wideSize), L'\0');
    MultiByteToWideChar(from, 0, text.data(), int(text.size()), wide.data(), wideSize);
    const int size = WideCharToMultiByte(to, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
    std::string result(size_t(size), '\0');
    WideCharToMultiByte(to, 0, wide.data(), wideSize, result.data(), size, nullptr, nullptr);
    return result;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateMainWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TabulixHostMain";
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, windowClass.lpszClassName, L"Tabulix reference host", WS_OVERLAPPEDWINDOW,
                           0, 0, 1024, 768, nullptr, nullptr, windowClass.hInstance, nullptr);
}

} // namespace

std::string Utf8ToAnsi(const std::string& utf8) { return Convert(utf8, CP_UTF8, CP_ACP); }
std::string AnsiToUtf8(const std::string& ansi) { return Convert(ansi, CP_ACP, CP_UTF8); }

char* NewHostString(const std::string& ansi) {
    auto* block = static_cast<char*>(GlobalAlloc(GMEM_FIXED, ansi.size() + 1));
    if (block) std::memcpy(block, ansi.c_str(), ansi.size() + 1);
    return block;
}

void FreeHostString(char*& slot) {
    if (slot) GlobalFree(slot);
    slot = nullptr;
}

THostSession::THostSession() {
    CurrentSession = this;
    FMainWindow = CreateMainWindow();
}

THostSession::~THostSession() {
    if (FLibrary) FreeLibrary(FLibrary);
    if (FMainWindow) DestroyWindow(FMainWindow);
    CurrentSession = nullptr;
}

bool THostSession::Load(const std::wstring& dllPath, std::string& reason) {
    FLibrary = LoadLibraryW(dllPath.c_str());
    if (!FLibrary) {
        reason = "LoadLibraryW failed with error " + std::to_string(GetLastError());
        return false;
    }
    std::string missing;
    Resolve(FLibrary, "nbInitPlugIn", FEntry.InitPlugIn, missing);
    Resolve(FLibrary, "nbRegisterPlugIn", FEntry.RegisterPlugIn, missing);
    Resolve(FLibrary, "nbRegisterInterfaceAccess", FEntry.RegisterInterfaceAccess, missing);
    Resolve(FLibrary, "nbRegisterScriptProcessor", FEntry.RegisterScriptProcessor, missing);
    Resolve(FLibrary, "nbExecAction", FEntry.ExecAction, missing);
    Resolve(FLibrary, "nbEditAction", FEntry.EditAction, missing);
    Resolve(FLibrary, "nbMessage", FEntry.Message, missing);
    if (!missing.empty()) {
        reason = "entry points not found: " + missing;
        return false;
    }
    return true;
}

std::string THostSession::Variable(const std::string& name) const {
    const auto found = FVariables.find(name);
    return found == FVariables.end() ? std::string() : found->second;
}

int32_t THostSession::ActionNumber(const std::string& word) const {
    for (const TRegisteredAction& action : FActions) {
        if (action.Name == word) return action.Number;
    }
    return int32_t(std::strtol(word.c_str(), nullptr, 10));
}

int THostSession::Run(const std::vector<TScriptLine>& script) {
    for (const TScriptLine& line : script) {
        std::string failure;
        if (!RunLine(line, failure)) {
            std::printf("FAILED at line %d (%s): %s\n", line.Number, line.Text.c_str(), failure.c_str());
            return 1;
        }
    }
    std::printf("script passed\n");
    return 0;
}

bool THostSession::RunLine(const TScriptLine& line, std::string& failure) {
    const std::vector<std::string>& w = line.Words;
    const std::string& command = w[0];
    auto need = [&](size_t count) {
        if (w.size() >= count + 1) return true;
        failure = command + " needs " + std::to_string(count) + " argument(s)";
        return false;
    };

    if (command == "init") {
        char* slots[3] = {nullptr, nullptr, nullptr};
        FEntry.InitPlugIn(FMainWindow, &slots[0], &slots[1], &slots[2]);
        for (char*& slot : slots) {
            std::printf("init: %s\n", AnsiToUtf8(Text(slot)).c_str());
            FreeHostString(slot);
        }
    } else if (command == "register") {
        FEntry.RegisterPlugIn(OnAddAction, nullptr, OnGetVariable, OnSetVariable);
        FEntry.RegisterInterfaceAccess(OnInterfaceAccess);
        FEntry.RegisterScriptProcessor(OnScriptCommand);
    } else if (command == "expect-actions") {
        if (!need(1)) return false;
        if (std::to_string(FActions.size()) != w[1]) {
            failure = "expected " + w[1] + " actions, the library registered " + std::to_string(FActions.size());
            return false;
        }
    } else if (command == "var") {
        if (!need(2)) return false;
        SetVariable(w[1], Utf8ToAnsi(w[2]));
    } else if (command == "expect-var") {
        if (!need(2)) return false;
        const std::string actual = AnsiToUtf8(Variable(w[1]));
        if (actual != w[2]) {
            failure = w[1] + " is \"" + actual + "\", expected \"" + w[2] + "\"";
            return false;
        }
    } else if (command == "exec") {
        if (!need(1)) return false;
        std::vector<char*> parameters;
        for (size_t i = 2; i < w.size(); ++i) parameters.push_back(NewHostString(Utf8ToAnsi(w[i])));
        if (parameters.empty()) parameters.push_back(nullptr);
        FLastResult = FEntry.ExecAction(ActionNumber(w[1]), parameters.data(), int32_t(parameters.size()) - 1);
        for (char*& parameter : parameters) FreeHostString(parameter);
        std::printf("exec %s: %s\n", w[1].c_str(), FLastResult ? "true" : "false");
    } else if (command == "expect-result") {
        if (!need(1)) return false;
        if ((w[1] == "true") != FLastResult) {
            failure = std::string("the last action returned ") + (FLastResult ? "true" : "false");
            return false;
        }
    } else if (command == "message") {
        if (!need(1)) return false;
        FEntry.Message(int32_t(std::strtol(w[1].c_str(), nullptr, 10)), 0);
    } else if (command == "print") {
        const size_t text = line.Text.find_first_not_of(" \t", line.Text.find("print") + 5);
        std::printf("%s\n", text == std::string::npos ? "" : line.Text.c_str() + text);
    } else {
        failure = "unknown command " + command;
        return false;
    }
    return true;
}

} // namespace tabulix::host
