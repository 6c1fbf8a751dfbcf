#include "HostSession.h"

#include "HostWindowCommands.h"
#include "HostWindows.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <psapi.h>

namespace tabulix::host {

namespace {

THostSession* CurrentSession = nullptr;

std::string Text(const char* hostString) { return hostString ? std::string(hostString) : std::string(); }

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    }
    return text;
}

// The process's own memory counters, as Windows keeps them: the private bytes committed now and at
// their peak, and the peak of the working set. Wine fills the peak of the private bytes with the current
// value; the working set's peak, which holds every private page that was ever touched, is a true peak.
void PrintMemory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
        std::printf("memory: the counters cannot be read (error %lu)\n", GetLastError());
        return;
    }
    const auto mebibytes = [](SIZE_T bytes) { return double(bytes) / (1024.0 * 1024.0); };
    std::printf("memory: private %.1f MiB, peak private %.1f MiB, peak working set %.1f MiB\n",
                mebibytes(counters.PagefileUsage), mebibytes(counters.PeakPagefileUsage),
                mebibytes(counters.PeakWorkingSetSize));
}

std::string Join(const std::vector<uint8_t>& codes) {
    std::string text;
    for (uint8_t code : codes) {
        if (!text.empty()) text += ',';
        text += std::to_string(code);
    }
    return text;
}

// ---- the five callbacks, as VisualNEO calls them back

void TABULIX_STDCALL OnAddAction(int32_t number, const char* name, const char* hint, const uint8_t* typeCodes,
                                 int32_t lastCodeIndex, int32_t parameterCount) {
    TRegisteredAction action{number, Text(name), Text(hint), {}, parameterCount};
    for (int32_t i = 0; typeCodes && i <= lastCodeIndex; ++i) action.TypeCodes.push_back(typeCodes[i]);
    CurrentSession->Log("add action " + std::to_string(number) + " " + action.Name + " [" + Join(action.TypeCodes) +
                        "] count " + std::to_string(parameterCount));
    CurrentSession->AddAction(std::move(action));
}

void TABULIX_STDCALL OnGetVariable(const char* name, char** valueSlot) {
    const std::string value = CurrentSession->Variable(Text(name));
    CurrentSession->Log("get variable " + Text(name) + " = " + AnsiToUtf8(value));
    if (!valueSlot) return;
    FreeHostString(*valueSlot);
    *valueSlot = NewHostString(value);
}

void TABULIX_STDCALL OnSetVariable(const char* name, const char* value) {
    CurrentSession->Log("set variable " + Text(name) + " = " + AnsiToUtf8(Text(value)));
    CurrentSession->SetVariable(Text(name), Text(value));
}

THostBool TABULIX_STDCALL OnInterfaceAccess(int32_t request, char** slot) { return CurrentSession->Answer(request, slot); }

void TABULIX_STDCALL OnScriptCommand(const char* command) {
    CurrentSession->Log("script command " + AnsiToUtf8(Text(command)));
    CurrentSession->RecordScriptCommand(AnsiToUtf8(Text(command)));
}

// ---- the windows the library makes: viewers are noted, menus, message boxes and file dialogs answered

LRESULT CALLBACK WindowHook(int code, WPARAM wParam, LPARAM lParam) {
    if (CurrentSession) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_CREATEWND) CurrentSession->WindowCreated(window);
        // The property dialog and the colour dialogs are answered apart; any other dialog is a box or a
        // file dialog.
        if (code == HCBT_ACTIVATE && HasClass(window, L"#32770") && !CurrentSession->Dialogs().DialogActivated(window)) {
            CurrentSession->Modal().DialogActivated(window);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Each dialog once it has handled WM_INITDIALOG (the property dialog has marked itself, a colour dialog
// has been handed its start) and once it is shown; every window once it has handled WM_DESTROY.
LRESULT CALLBACK MessageHook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (CurrentSession && code == HC_ACTION && sent->message == WM_INITDIALOG) {
        CurrentSession->Dialogs().DialogInitialized(sent->hwnd, sent->lParam);
    }
    if (CurrentSession && code == HC_ACTION && sent->message == WM_DESTROY) {
        CurrentSession->Dialogs().WindowDestroyed(sent->hwnd);
    }
    if (CurrentSession && code == HC_ACTION && sent->message == WM_WINDOWPOSCHANGED &&
        (reinterpret_cast<const WINDOWPOS*>(sent->lParam)->flags & SWP_SHOWWINDOW) && HasClass(sent->hwnd, L"#32770")) {
        CurrentSession->Dialogs().DialogShown(sent->hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == MenuOpenMessage && CurrentSession) {
        CurrentSession->Modal().MenuOpen(reinterpret_cast<HWND>(wParam), lParam);
        return 0;
    }
    if (message == BoxOpenMessage && CurrentSession) {
        CurrentSession->Modal().BoxOpen(reinterpret_cast<HWND>(wParam));
        return 0;
    }
    if (message == FileDialogMessage && CurrentSession) {
        CurrentSession->Modal().FileDialogWaiting(reinterpret_cast<HWND>(wParam), lParam);
        return 0;
    }
    if (message == PropertyDialogMessage && CurrentSession) {
        CurrentSession->Dialogs().RunSteps(reinterpret_cast<HWND>(wParam));
        return 0;
    }
    if (message == ColorDialogMessage && CurrentSession) {
        CurrentSession->Dialogs().ColorDialogWaiting(reinterpret_cast<HWND>(wParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// ---- windows

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

void RegisterWindowClass(const wchar_t* name, COLORREF background, WNDPROC procedure) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = name;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = CreateSolidBrush(background);
    RegisterClassW(&windowClass);
}

HWND CreateMainWindow() {
    RegisterWindowClass(L"TabulixHostMain", RGB(240, 240, 240), MainWindowProc);
    RegisterWindowClass(L"TabulixHostRectangle", RGB(255, 255, 255), DefWindowProcW);
    HWND window = CreateWindowExW(0, L"TabulixHostMain", L"Tabulix reference host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                  0, 0, 1024, 768, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOW);
    return window;
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

THostSession::THostSession(bool verbose)
    : FVerbose(verbose), FMainWindow(CreateMainWindow()),
      FModal(FMainWindow, [this](const std::string& line) { Log(line); },
             [this](const TScriptLine& line) { return RunLineDuringModal(line); }),
      FDialogs(FMainWindow, [this](const std::string& line) { Log(line); }) {
    CurrentSession = this;
    FWindowHook = SetWindowsHookExW(WH_CBT, WindowHook, nullptr, GetCurrentThreadId());
    FMessageHook = SetWindowsHookExW(WH_CALLWNDPROCRET, MessageHook, nullptr, GetCurrentThreadId());
}

THostSession::~THostSession() {
    if (FMessageHook) UnhookWindowsHookEx(FMessageHook);
    if (FWindowHook) UnhookWindowsHookEx(FWindowHook);
    if (FLibrary) FreeLibrary(FLibrary);
    if (FMainWindow) DestroyWindow(FMainWindow);
    CurrentSession = nullptr;
}

void THostSession::Log(const std::string& line) const {
    if (FVerbose) std::printf("  | %s\n", line.c_str());
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

std::string THostSession::ExpandVariables(const std::string& text) const {
    std::string result;
    size_t i = 0;
    while (i < text.size()) {
        const size_t open = text.find('[', i);
        const size_t close = open == std::string::npos ? std::string::npos : text.find(']', open);
        if (close == std::string::npos) break;
        result.append(text, i, open - i);
        const std::string name = Upper(text.substr(open, close - open + 1));
        const auto found = std::find_if(FVariables.begin(), FVariables.end(),
                                        [&](const auto& variable) { return Upper(variable.first) == name; });
        result += found == FVariables.end() ? text.substr(open, close - open + 1) : found->second;
        i = close + 1;
    }
    return result + text.substr(std::min(i, text.size()));
}

std::string THostSession::Variable(const std::string& name) const {
    const auto found = FVariables.find(name);
    return found == FVariables.end() ? std::string() : found->second;
}

HWND THostSession::RectangleWindow(const std::string& name) const {
    const auto found = FRectangles.find(Upper(name));
    return found == FRectangles.end() ? nullptr : found->second;
}

// The viewer is the library's window made right after it asked for its Rectangle's window: the name
// asked last tells which Rectangle it belongs to, wherever it lies later.
void THostSession::WindowCreated(HWND window) {
    if (HasClass(window, L"#32768")) {
        FModal.MenuWindowCreated(window);
    } else if (!FLastObjectAsked.empty() && GetParent(window) == FMainWindow && HasClass(window, L"TabulixViewer")) {
        FViewersByName[FLastObjectAsked].push_back(window);
    }
}

HWND THostSession::AttachedViewer(const std::string& name) const {
    const auto found = FViewersByName.find(Upper(name));
    if (found == FViewersByName.end()) return nullptr;
    for (auto viewer = found->second.rbegin(); viewer != found->second.rend(); ++viewer) {
        if (IsWindow(*viewer) && HasClass(*viewer, L"TabulixViewer")) return *viewer;
    }
    return nullptr;
}

THostBool THostSession::Answer(int32_t request, char** slot) {
    const std::string asked = slot ? AnsiToUtf8(Text(*slot)) : std::string();
    FRequests.push_back({request, asked});
    std::string answer;
    bool answered = false;
    if (request == 6 && FNullProbes > 0) {
        // The slot stays null and the call still returns true: only the slot tells the library.
        --FNullProbes;
        Log("interface access 6 \"\" -> null");
        return true;
    } else if (request == 6) {
        answer = "4.0.9";
        answered = true;
    } else if (request == 7) {
        FLastObjectAsked = Upper(asked);
        const auto scripted = FObjectAnswers.find(FLastObjectAsked);
        answer = scripted != FObjectAnswers.end() ? scripted->second
                                                  : std::to_string(reinterpret_cast<uintptr_t>(RectangleWindow(asked)));
        answered = true;
    } else if (request == 8 && !FPickAnswers.empty()) {
        answer = FPickAnswers.front();
        FPickAnswers.pop_front();
        answered = true;
    } else if (request == 16 && !FBrowseAnswers.empty()) {
        answer = FBrowseAnswers.front();
        FBrowseAnswers.pop_front();
        answered = true;
    }
    Log("interface access " + std::to_string(request) + " \"" + asked + "\" -> " + (answered ? "\"" + answer + "\"" : "false"));
    if (!answered || !slot) return false;
    // A replaced slot holds a block of the global-memory allocator, which the library frees.
    FreeHostString(*slot);
    *slot = NewHostString(Utf8ToAnsi(answer));
    return true;
}

int32_t THostSession::ActionNumber(const std::string& word) const {
    for (const TRegisteredAction& action : FActions) {
        if (action.Name == word) return action.Number;
    }
    int number = 0;
    return ReadInt(word, number) ? number : -1;
}

void THostSession::Pump(DWORD milliseconds) {
    const DWORD until = GetTickCount() + milliseconds;
    for (;;) {
        DispatchWaitingMessages();
        const DWORD now = GetTickCount();
        if (int32_t(until - now) <= 0) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, until - now, QS_ALLINPUT);
    }
}

int THostSession::Run(const std::vector<TScriptLine>& script) {
    for (const TScriptLine& line : script) {
        std::string failure;
        bool quit = false;
        if (FVerbose) std::printf("> %s\n", line.Text.c_str());
        FModal.SetCurrentLine(line.Number);
        bool held = RunLine(line, failure, quit);
        // An answer the host could not give while the line ran (to a menu, a box or a dialog) fails the line.
        for (const std::string& miss : {FModal.TakeMiss(), FDialogs.TakeMiss()}) {
            if (held && !miss.empty()) {
                held = false;
                failure = miss;
            }
        }
        if (!held) {
            std::printf("FAILED at line %d (%s): %s\n", line.Number, line.Text.c_str(), failure.c_str());
            return 1;
        }
        if (quit) break;
    }
    // Lines and steps queued for a modal or a dialog that never came would pass unnoticed.
    if (const TScriptLine* line = FModal.UnrunLine()) {
        std::printf("FAILED at line %d (%s): queued to run during a menu, box or file dialog that did not come\n",
                    line->Number, line->Text.c_str());
        return 1;
    }
    if (const TScriptLine* step = FDialogs.UnrunStep()) {
        std::printf("FAILED at line %d (%s): queued for the property dialog of an edit that did not follow\n", step->Number,
                    step->Text.c_str());
        return 1;
    }
    // Under strict-messages a box that no expect-message took is an error the script did not foresee.
    if (FStrictMessages && FModal.HasMessage()) {
        const TShownMessage& box = FModal.OldestMessage();
        const auto shownDuring =
            std::find_if(script.begin(), script.end(), [&](const TScriptLine& l) { return l.Number == box.Line; });
        std::printf("FAILED at line %d (%s): the message box \"%s\": \"%s\" was shown and no line expected it\n", box.Line,
                    shownDuring == script.end() ? "" : shownDuring->Text.c_str(), box.Caption.c_str(), box.Text.c_str());
        return 1;
    }
    std::printf("script passed\n");
    return 0;
}

std::string THostSession::RunLineDuringModal(const TScriptLine& line) {
    std::string failure;
    bool quit = false;
    if (!RunLine(line, failure, quit)) return failure;
    return quit ? "quit cannot end the script while a menu, box or file dialog is open" : std::string();
}

bool THostSession::RunLine(const TScriptLine& line, std::string& failure, bool& quit) {
    const std::vector<std::string>& w = line.Words;
    const std::string& command = w[0];
    auto need = [&](size_t count) {
        if (w.size() >= count + 1) return true;
        failure = command + " needs " + std::to_string(count) + " argument(s)";
        return false;
    };
    auto fail = [&](const std::string& why) {
        failure = why;
        return false;
    };

    if (command == "init" || command == "init-prefilled") {
        // The host hands over three slots; prefilled ones hold blocks the library must free first.
        char* slots[3] = {nullptr, nullptr, nullptr};
        if (command == "init-prefilled") {
            for (char*& slot : slots) slot = NewHostString("host text");
        }
        FEntry.InitPlugIn(FMainWindow, &slots[0], &slots[1], &slots[2]);
        for (int i = 0; i < 3; ++i) {
            const std::string text = Text(slots[i]);
            std::printf("init: %s\n", AnsiToUtf8(text).c_str());
            if (slots[i] && GlobalSize(slots[i]) != text.size() + 1) {
                return fail("slot " + std::to_string(i) + " holds a block of " + std::to_string(GlobalSize(slots[i])) +
                            " bytes for a text of " + std::to_string(text.size()));
            }
            if (command == "init-prefilled" && text == "host text") return fail("slot " + std::to_string(i) + " was not filled");
            FreeHostString(slots[i]);
        }
    } else if (command == "strict-messages") {
        FStrictMessages = true;
    } else if (command == "register") {
        FEntry.RegisterPlugIn(OnAddAction, nullptr, OnGetVariable, OnSetVariable);
        FEntry.RegisterInterfaceAccess(OnInterfaceAccess);
        FEntry.RegisterScriptProcessor(OnScriptCommand);
    } else if (command == "expect-actions") {
        if (!need(1)) return false;
        if (std::to_string(FActions.size()) != w[1]) {
            return fail("expected " + w[1] + " actions, the library registered " + std::to_string(FActions.size()));
        }
    } else if (command == "expect-action") {
        // expect-action NUMBER NAME CODES: the action registered under that number.
        if (!need(3)) return false;
        const auto found = std::find_if(FActions.begin(), FActions.end(),
                                        [&](const TRegisteredAction& a) { return std::to_string(a.Number) == w[1]; });
        if (found == FActions.end()) return fail("no action " + w[1] + " was registered");
        const std::string codes = Join(found->TypeCodes);
        if (found->Name != w[2] || codes != w[3] || found->ParameterCount != int32_t(found->TypeCodes.size())) {
            return fail("action " + w[1] + " is " + found->Name + " [" + codes + "] count " +
                        std::to_string(found->ParameterCount));
        }
        if (w.size() > 4 && found->Hint != Utf8ToAnsi(w[4])) return fail("action " + w[1] + " hint is \"" + found->Hint + "\"");
    } else if (command == "rect") {
        if (!need(5)) return false;
        int x = 0, y = 0, width = 0, height = 0;
        if (!ReadInt(w[2], x) || !ReadInt(w[3], y) || !ReadInt(w[4], width) || !ReadInt(w[5], height)) {
            return fail("rect needs NAME X Y WIDTH HEIGHT");
        }
        if (HWND window = RectangleWindow(w[1])) {
            MoveWindow(window, x, y, width, height, TRUE);
        } else {
            FObjectAnswers.erase(Upper(w[1])); // a new Rectangle is found by its own window again
            FRectangles[Upper(w[1])] =
                CreateWindowExW(0, L"TabulixHostRectangle", L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, width,
                                height, FMainWindow, nullptr, GetModuleHandleW(nullptr), nullptr);
        }
    } else if (command == "rect-remove") {
        if (!need(1)) return false;
        if (HWND window = RectangleWindow(w[1])) DestroyWindow(window);
        FRectangles.erase(Upper(w[1]));
    } else if (command == "var") {
        if (!need(2)) return false;
        SetVariable(w[1], Utf8ToAnsi(w[2]));
    } else if (command == "expect-var" || command == "expect-var-contains") {
        if (!need(2)) return false;
        const std::string actual = AnsiToUtf8(Variable(w[1]));
        const bool holds = command == "expect-var" ? actual == w[2] : actual.find(w[2]) != std::string::npos;
        if (!holds) return fail(w[1] + " is \"" + actual + "\", expected " + (command == "expect-var" ? "" : "to contain ") + "\"" + w[2] + "\"");
    } else if (command == "exec" || command == "action") {
        // action: a line of a publication's script, whose [Variables] the host replaces first.
        if (!need(1)) return false;
        const bool expand = command == "action";
        std::vector<char*> parameters;
        for (size_t i = 2; i < w.size(); ++i) {
            const std::string ansi = Utf8ToAnsi(w[i]);
            parameters.push_back(w[i] == "<null>" && !expand ? nullptr : NewHostString(expand ? ExpandVariables(ansi) : ansi));
        }
        if (parameters.empty()) parameters.push_back(nullptr);
        FLastResult = FEntry.ExecAction(ActionNumber(w[1]), parameters.data(), int32_t(parameters.size()) - 1);
        for (char*& parameter : parameters) FreeHostString(parameter);
        std::printf("%s %s: %s\n", command.c_str(), w[1].c_str(), FLastResult ? "true" : "false");
    } else if (command == "edit") {
        if (!need(1)) return false;
        return Edit(w, failure);
    } else if (THostDialogs::IsStep(command)) {
        return FDialogs.QueueStep(line, failure);
    } else if (command == "answer-color") {
        // answer-color RRGGBB|cancel
        TColorAnswer answer;
        answer.Cancel = w.size() > 1 && w[1] == "cancel";
        if (w.size() < 2 || (!answer.Cancel && !ReadColourHex(w[1], answer.Color))) return fail("answer-color needs RRGGBB|cancel");
        FDialogs.QueueColorAnswer(answer);
    } else if (command == "expect-request") {
        // expect-request CODE TEXT: the oldest request not yet expected; each edit starts the record afresh.
        int code = 0;
        if (!need(2) || !ReadInt(w[1], code)) return fail("expect-request needs CODE TEXT");
        if (FRequests.empty()) return fail("no interface-access request was sent, expected " + w[1] + " \"" + w[2] + "\"");
        const TRequest sent = FRequests.front();
        FRequests.pop_front();
        if (sent.Code != code || sent.Text != w[2]) {
            return fail("the request sent was " + std::to_string(sent.Code) + " \"" + sent.Text + "\", expected " + w[1] + " \"" + w[2] + "\"");
        }
    } else if (command == "expect-slot") {
        // expect-slot INDEX TEXT|<null>: a parameter slot after the last edit.
        int index = 0;
        if (!need(2) || !ReadInt(w[1], index) || index < 0) return fail("expect-slot needs INDEX TEXT|<null>");
        if (size_t(index) >= FEditSlots.size()) {
            return fail("the last edit had " + std::to_string(FEditSlots.size()) + " slot(s), no slot " + w[1]);
        }
        const std::optional<std::string>& slot = FEditSlots[size_t(index)];
        const std::string actual = slot ? "\"" + *slot + "\"" : "null";
        if (w[2] == "<null>" ? slot.has_value() : slot != w[2]) {
            return fail("slot " + w[1] + " holds " + actual + ", expected " + (w[2] == "<null>" ? "null" : "\"" + w[2] + "\""));
        }
    } else if (command == "expect-result") {
        if (!need(1)) return false;
        if ((w[1] == "true") != FLastResult) return fail(std::string("the last action returned ") + (FLastResult ? "true" : "false"));
    } else if (command == "answer-pick" || command == "answer-browse") {
        if (!need(1)) return false;
        (command == "answer-pick" ? FPickAnswers : FBrowseAnswers).push_back(w[1]);
    } else if (command == "expect-script") {
        if (!need(1)) return false;
        if (FScriptCommands.empty()) return fail("no script command was sent, expected \"" + w[1] + "\"");
        const std::string sent = FScriptCommands.front();
        FScriptCommands.pop_front();
        if (sent != w[1]) return fail("the script command sent was \"" + sent + "\", expected \"" + w[1] + "\"");
    } else if (command == "expect-no-script") {
        if (!FScriptCommands.empty()) return fail("a script command was sent: \"" + FScriptCommands.front() + "\"");
    } else if (command == "expect-message" || command == "expect-message-contains") {
        // expect-message CAPTION TEXT: the oldest message box not yet expected; * matches any caption.
        if (!need(2)) return false;
        TShownMessage shown;
        if (!FModal.TakeMessage(shown)) return fail("no message box was shown");
        const bool holds = (w[1] == "*" || shown.Caption == w[1]) &&
                           (command == "expect-message" ? shown.Text == w[2] : shown.Text.find(w[2]) != std::string::npos);
        if (!holds) return fail("the message box was \"" + shown.Caption + "\": \"" + shown.Text + "\"");
    } else if (command == "expect-no-message") {
        if (FModal.HasMessage()) return fail("a message box was shown: \"" + FModal.OldestMessage().Text + "\"");
    } else if (command == "answer-box") {
        static const std::map<std::string, int> buttons = {{"yes", IDYES}, {"no", IDNO}, {"ok", IDOK}, {"cancel", IDCANCEL}};
        const auto button = w.size() > 1 ? buttons.find(w[1]) : buttons.end();
        if (button == buttons.end()) return fail("answer-box needs yes, no, ok or cancel");
        FModal.QueueBoxAnswer(button->second);
    } else if (command == "answer-file") {
        // answer-file PATH|cancel
        if (!need(1)) return false;
        TFileAnswer answer;
        answer.Cancel = w[1] == "cancel";
        if (!answer.Cancel) answer.Path = w[1];
        FModal.QueueFileAnswer(std::move(answer));
    } else if (command == "expect-file-dialog") {
        if (!need(1)) return false;
        std::string title;
        if (!FModal.TakeFileDialog(title)) return fail("no file dialog was shown, expected \"" + w[1] + "\"");
        if (title != w[1]) return fail("the file dialog was \"" + title + "\", expected \"" + w[1] + "\"");
    } else if (command == "answer-menu") {
        // answer-menu ITEM|none [screenshot FILE]
        if (!need(1)) return false;
        if (w.size() != 2 && (w.size() != 4 || w[2] != "screenshot")) return fail("answer-menu needs ITEM|none [screenshot FILE]");
        TMenuAnswer answer;
        answer.None = w[1] == "none";
        if (!answer.None) answer.Item = w[1];
        if (w.size() == 4) answer.Screenshot = w[3];
        FModal.QueueMenuAnswer(std::move(answer));
    } else if (command == "expect-menu") {
        if (!need(1)) return false;
        std::string shown;
        if (!FModal.TakeMenu(shown)) return fail("no popup menu was shown, expected \"" + w[1] + "\"");
        if (shown != w[1]) return fail("the popup menu was \"" + shown + "\", expected \"" + w[1] + "\"");
    } else if (command == "answer-probe") {
        if (!need(1) || w[1] != "null") return fail("answer-probe needs null");
        ++FNullProbes;
    } else if (command == "answer-object") {
        if (!need(2)) return false;
        FObjectAnswers[Upper(w[1])] = w[2];
    } else if (command == "during-next-modal") {
        // during-next-modal LINE: one word, the line as a script would hold it.
        if (w.size() != 2 || SplitWords(w[1]).empty()) return fail("during-next-modal needs one LINE, in double quotes");
        FModal.QueueLineDuringModal(TScriptLine{line.Number, w[1], SplitWords(w[1])});
    } else if (command == "message") {
        if (!need(1)) return false;
        int code = 0;
        if (!ReadInt(w[1], code)) return fail("message needs a number");
        FEntry.Message(code, 0);
    } else if (command == "pump") {
        int milliseconds = 0;
        if (!need(1) || !ReadInt(w[1], milliseconds)) return fail("pump needs milliseconds");
        Pump(DWORD(milliseconds));
    } else if (command == "print") {
        const size_t text = line.Text.find_first_not_of(" \t", line.Text.find("print") + 5);
        std::printf("%s\n", text == std::string::npos ? "" : ExpandEscapes(line.Text.substr(text)).c_str());
    } else if (command == "print-memory") {
        PrintMemory();
    } else if (command == "quit") {
        quit = true;
    } else if (IsWindowCommand(command)) {
        return RunWindowCommand(*this, w, failure);
    } else {
        return fail("unknown command " + command);
    }
    return true;
}

// nbEditAction with slots holding the parameters (<null> for a null slot). The dialog steps queued
// before it run on the dialog it shows; the slots and the requests sent are kept for the expectations.
bool THostSession::Edit(const std::vector<std::string>& w, std::string& failure) {
    std::vector<char*> slots;
    for (size_t i = 2; i < w.size(); ++i) slots.push_back(w[i] == "<null>" ? nullptr : NewHostString(Utf8ToAnsi(w[i])));
    if (slots.empty()) slots.push_back(nullptr);
    FRequests.clear();
    FDialogs.BeginEdit();
    FLastResult = FEntry.EditAction(ActionNumber(w[1]), slots.data(), int32_t(slots.size()) - 1);
    failure = FDialogs.EndEdit();
    FEditSlots.clear();
    for (size_t i = 0; i < slots.size(); ++i) {
        Log("edit slot " + std::to_string(i) + " = " + AnsiToUtf8(Text(slots[i])));
        FEditSlots.push_back(slots[i] ? std::optional<std::string>(AnsiToUtf8(slots[i])) : std::nullopt);
        FreeHostString(slots[i]);
    }
    std::printf("edit %s: %s\n", w[1].c_str(), FLastResult ? "true" : "false");
    return failure.empty();
}

} // namespace tabulix::host
