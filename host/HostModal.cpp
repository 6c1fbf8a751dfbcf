#include "HostModal.h"

#include "HostWindows.h"

#include <algorithm>
#include <cwchar>
#include <iterator>

namespace tabulix::host {

namespace {

// MN_GETHMENU: the menu a popup menu window shows.
constexpr UINT GetMenuOfWindow = 0x01E1;
// How often a menu window not yet shown is looked at again before it is taken as it is.
constexpr LPARAM ShowWaits = 50;
// How often a menu still open after the Return that chose its item is looked at again before it is closed.
constexpr int ReturnWaits = 10;
// How often a file dialog kept disabled by a box of its own is looked at again before the host gives up
// on it (a box is answered at once, so this is never reached while boxes are answered).
constexpr LPARAM DisabledPolls = 5000;

// The file-name field of a file dialog: the combo box cmb13 of the Explorer-style dialog, or the edit
// box edt1 of the older one.
constexpr int FileNameCombo = 0x47C;
constexpr int FileNameEdit = 0x480;
// The static control holding a message box's text.
constexpr int BoxTextControl = 0xFFFF;

HWND FileNameField(HWND dialog) {
    HWND field = GetDlgItem(dialog, FileNameCombo);
    return field ? field : GetDlgItem(dialog, FileNameEdit);
}

// A file dialog has a file-name field and no box text; a message box has the text and no such field.
bool IsFileDialog(HWND dialog) { return FileNameField(dialog) && !GetDlgItem(dialog, BoxTextControl); }

// The edit box the reader types the file name into: the field itself, or the edit inside its combo box
// (inside a ComboBoxEx, the edit of its inner combo box).
BOOL CALLBACK TakeFirstEdit(HWND child, LPARAM result) {
    if (!HasClass(child, L"Edit")) return TRUE;
    *reinterpret_cast<HWND*>(result) = child;
    return FALSE;
}

HWND FileNameTypingBox(HWND field) {
    if (HasClass(field, L"Edit")) return field;
    HWND found = nullptr;
    EnumChildWindows(field, TakeFirstEdit, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The text of an item: its string as the menu keeps it (owner-drawn items included), else what
// GetMenuStringW gives; empty when neither has one.
std::wstring ItemText(HMENU menu, int position, MENUITEMINFOW& info) {
    info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING | MIIM_FTYPE | MIIM_STATE | MIIM_ID;
    if (!GetMenuItemInfoW(menu, UINT(position), TRUE, &info)) return {};
    std::wstring text;
    if (info.cch > 0) {
        text.assign(size_t(info.cch) + 1, L'\0');
        info.dwTypeData = text.data();
        info.cch += 1;
        GetMenuItemInfoW(menu, UINT(position), TRUE, &info);
        text.resize(std::wcslen(text.c_str()));
    }
    if (text.empty()) {
        wchar_t buffer[512] = {};
        GetMenuStringW(menu, UINT(position), buffer, int(std::size(buffer)), MF_BYPOSITION);
        text = buffer;
    }
    return text;
}

std::string ButtonName(int button) {
    switch (button) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "button " + std::to_string(button);
    }
}

struct TButtons {
    std::vector<HWND> Windows; // the push buttons shown, in creation order
    int Default = IDOK;
};

// The push buttons a box shows and the one answered without a queued answer: the button drawn as the
// default, else the one with the focus, else the first.
TButtons BoxButtons(HWND box) {
    TButtons buttons;
    HWND marked = nullptr;
    HWND focused = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        const LONG kind = style & BS_TYPEMASK;
        const bool pushButton = kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON;
        if (!HasClass(child, L"Button") || !(style & WS_VISIBLE) || !pushButton) continue;
        buttons.Windows.push_back(child);
        if (kind == BS_DEFPUSHBUTTON && !marked) marked = child;
        if (child == GetFocus()) focused = child;
    }
    if (marked) buttons.Default = GetDlgCtrlID(marked);
    else if (focused) buttons.Default = GetDlgCtrlID(focused);
    else if (!buttons.Windows.empty()) buttons.Default = GetDlgCtrlID(buttons.Windows.front());
    return buttons;
}

} // namespace

// ---- popup menus

void THostModal::MenuWindowCreated(HWND menuWindow) const {
    // The window has no menu yet: it is read once the modal loop runs and dispatches this message.
    PostMessageW(FMainWindow, MenuOpenMessage, reinterpret_cast<WPARAM>(menuWindow), 0);
}

void THostModal::MenuOpen(HWND menuWindow, LPARAM waits) {
    if (!IsWindow(menuWindow)) {
        if (menuWindow == FMenuWindow) FMenuWindow = nullptr;
        return;
    }
    if (menuWindow == FMenuWindow) {
        StepTowardsTarget(menuWindow);
        return;
    }
    if (!IsWindowVisible(menuWindow) && waits < ShowWaits) {
        Sleep(1);
        PostMessageW(FMainWindow, MenuOpenMessage, reinterpret_cast<WPARAM>(menuWindow), waits + 1);
        return;
    }
    FirstLook(menuWindow);
}

void THostModal::FirstLook(HWND menuWindow) {
    FMenuWindow = menuWindow;
    FMenu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, GetMenuOfWindow, 0, 0));
    FItems.clear();
    std::string joined;
    const int count = FMenu ? GetMenuItemCount(FMenu) : 0;
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW info;
        const std::wstring text = ItemText(FMenu, position, info);
        TItem item{Narrow(text), info.wID, (info.fState & MFS_DISABLED) != 0, (info.fType & MFT_SEPARATOR) != 0};
        // An item whose text cannot be read at all is written as its identifier.
        if (item.Separator) item.Text.assign(1, '-');
        else if (item.Text.empty()) item.Text = std::to_string(item.Id);
        if (position) joined += '|';
        joined += item.Text;
        if (item.Disabled && !item.Separator) joined += " (greyed)";
        FItems.push_back(item);
    }
    FMenus.push_back(joined);
    FLog("menu: " + joined);
    RunLineDuringModal("the menu " + joined);
    if (!IsWindow(menuWindow)) return;

    TMenuAnswer answer;
    answer.None = true;
    if (!FMenuAnswers.empty()) {
        answer = FMenuAnswers.front();
        FMenuAnswers.pop_front();
    }
    if (!answer.Screenshot.empty() && !Photograph(menuWindow, answer.Screenshot)) return CloseMenu({});
    if (answer.None) return CloseMenu({});

    // The item of that text, else the one of that identifier.
    auto matches = [&](bool byId) {
        return std::find_if(FItems.begin(), FItems.end(), [&](const TItem& item) {
            return !item.Separator && (byId ? std::to_string(item.Id) == answer.Item : item.Text == answer.Item);
        });
    };
    auto chosen = matches(false);
    if (chosen == FItems.end()) chosen = matches(true);
    if (chosen == FItems.end()) return CloseMenu("the answer \"" + answer.Item + "\" names no item of the menu " + joined);
    if (chosen->Disabled) return CloseMenu("the answer \"" + answer.Item + "\" names a greyed item of the menu " + joined);
    FTarget = int(chosen - FItems.begin());
    FSteps = 0;
    FReturnSent = false;
    StepTowardsTarget(menuWindow);
}

// The item is chosen as the keyboard chooses it: Down until it is highlighted, then Return. Each key goes
// through the menu's own loop, and this message comes back after it to look at the highlight again.
void THostModal::StepTowardsTarget(HWND menuWindow) {
    const std::string& target = FItems[size_t(FTarget)].Text;
    if (FReturnSent) {
        // The menu closes once its loop has taken the Return (and the character it makes); one that
        // stays open is closed rather than left waiting for a person.
        if (++FSteps > ReturnWaits) return CloseMenu("the item \"" + target + "\" was not taken by the Return key");
    } else {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE;
        if (GetMenuItemInfoW(FMenu, UINT(FTarget), TRUE, &info) && (info.fState & MFS_HILITE)) {
            FLog("menu answered: " + target);
            FReturnSent = true;
            FSteps = 0;
            PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, KeyData(VK_RETURN, false));
        } else if (++FSteps > 2 * int(FItems.size()) + 2) {
            // Twice round the menu at most, whatever the keys skip.
            return CloseMenu("the item \"" + target + "\" could not be reached with the Down key");
        } else {
            PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, KeyData(VK_DOWN, false));
        }
    }
    PostMessageW(FMainWindow, MenuOpenMessage, reinterpret_cast<WPARAM>(menuWindow), 0);
}

void THostModal::CloseMenu(const std::string& miss) {
    if (!miss.empty()) Miss(miss + "; it was closed with no choice");
    FLog("menu closed with no choice");
    FMenuWindow = nullptr;
    EndMenu();
}

bool THostModal::Photograph(HWND menuWindow, const std::string& file) {
    // The menu and what lies under it paint now; peeking at an idle queue puts it on the screen.
    RedrawWindow(menuWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    PaintNow(FMainWindow);
    LetPaintReachScreen();
    RECT area = ClientRectOnScreen(FMainWindow);
    RECT menuArea{};
    GetWindowRect(menuWindow, &menuArea);
    UnionRect(&area, &area, &menuArea);
    std::string reason;
    if (!SaveScreenPng(area, Widen(file), reason)) {
        Miss("the open menu could not be photographed: " + reason + ": " + file);
        return false;
    }
    FLog("saved " + file);
    return true;
}

bool THostModal::TakeMenu(std::string& items) {
    if (FMenus.empty()) return false;
    items = FMenus.front();
    FMenus.pop_front();
    return true;
}

// ---- message boxes and file dialogs

void THostModal::DialogActivated(HWND dialog) {
    // A dialog activated again (after another window had the focus, or a box above it closed) was
    // recorded already; a file dialog that stays open is looked at after each answer it takes.
    if (!FirstSight(FSeenDialogs, dialog)) return;

    if (IsFileDialog(dialog)) {
        const std::string title = WindowText(dialog);
        FLog("file dialog \"" + title + "\"");
        FFileDialogs.push_back(title);
        // Its controls are still being filled in: it is answered once its modal loop runs.
        PostMessageW(FMainWindow, FileDialogMessage, reinterpret_cast<WPARAM>(dialog), 0);
        return;
    }

    HWND box = dialog;
    const HWND textControl = GetDlgItem(box, BoxTextControl);
    TShownMessage message{WindowText(box), textControl ? WindowText(textControl) : std::string(), FCurrentLine};
    FLog("message box \"" + message.Caption + "\": " + message.Text);
    FMessages.push_back(std::move(message));
    // The box may still be setting up its default button (it activates when it gives that button the
    // focus): it is answered once its modal loop runs.
    PostMessageW(FMainWindow, BoxOpenMessage, reinterpret_cast<WPARAM>(box), 0);
}

void THostModal::BoxOpen(HWND box) {
    if (!IsWindow(box)) return;
    RunLineDuringModal("the message box \"" + WindowText(box) + "\"");
    if (!IsWindow(box)) return;
    const TButtons buttons = BoxButtons(box);
    int answer = buttons.Default;
    if (!FBoxAnswers.empty()) {
        const int queued = FBoxAnswers.front();
        FBoxAnswers.pop_front();
        const bool present = std::any_of(buttons.Windows.begin(), buttons.Windows.end(),
                                         [&](HWND button) { return GetDlgCtrlID(button) == queued; });
        if (present) answer = queued;
        else Miss("the answer " + ButtonName(queued) + " is no button of the box; it was answered " + ButtonName(answer));
    }
    FLog("message box answered " + ButtonName(answer));
    ClickButton(box, answer);
}

// The dialog's loop dispatches this message while the dialog waits for the reader. A dialog that showed
// a box of its own (the overwrite prompt of a save dialog) is disabled while the box is open: it is
// looked at again until the box has been answered. One still open after an answer (a prompt answered
// No) waits again and takes the next answer, so that no dialog is ever left waiting for a person.
void THostModal::FileDialogWaiting(HWND dialog, LPARAM polls) {
    if (!IsWindow(dialog)) return;
    if (!IsWindowEnabled(dialog)) {
        if (polls >= DisabledPolls) return Miss("the file dialog \"" + WindowText(dialog) + "\" stayed disabled");
        Sleep(1);
        PostMessageW(FMainWindow, FileDialogMessage, reinterpret_cast<WPARAM>(dialog), polls + 1);
        return;
    }
    if (FirstSight(FWaitedDialogs, dialog)) {
        RunLineDuringModal("the file dialog \"" + WindowText(dialog) + "\"");
        if (!IsWindow(dialog)) return;
    }
    TFileAnswer answer;
    answer.Cancel = true;
    if (!FFileAnswers.empty()) {
        answer = FFileAnswers.front();
        FFileAnswers.pop_front();
    }
    HWND typingBox = answer.Cancel ? nullptr : FileNameTypingBox(FileNameField(dialog));
    if (!answer.Cancel && !typingBox) {
        Miss("the file dialog \"" + WindowText(dialog) + "\" has no file-name box to type " + answer.Path + " into; it was cancelled");
        answer.Cancel = true;
    }
    if (answer.Cancel) {
        FLog("file dialog cancelled");
        ClickButton(dialog, IDCANCEL);
        return;
    }
    SetWindowTextW(typingBox, Widen(answer.Path).c_str());
    FLog("file dialog answered: " + answer.Path);
    ClickButton(dialog, IDOK);
    // Whether the dialog closed, showed a box or stays open is seen once the confirmation was handled.
    PostMessageW(FMainWindow, FileDialogMessage, reinterpret_cast<WPARAM>(dialog), 0);
}

bool THostModal::TakeFileDialog(std::string& title) {
    if (FFileDialogs.empty()) return false;
    title = FFileDialogs.front();
    FFileDialogs.pop_front();
    return true;
}

bool THostModal::TakeMessage(TShownMessage& message) {
    if (FMessages.empty()) return false;
    message = FMessages.front();
    FMessages.pop_front();
    return true;
}

// ---- lines run while a modal waits

void THostModal::RunLineDuringModal(const std::string& modal) {
    if (FDuringModal.empty()) return;
    const TScriptLine line = std::move(FDuringModal.front());
    FDuringModal.pop_front();
    FLog("during " + modal + ": " + line.Text);
    const std::string failure = FRunLine(line);
    if (failure.empty()) return;
    Miss("the line " + std::to_string(line.Number) + " run during " + modal + " (" + line.Text + ") failed: " + failure);
}

// ---- misses

void THostModal::Miss(const std::string& why) {
    FLog("missed: " + why);
    if (FMiss.empty()) FMiss = why;
}

std::string THostModal::TakeMiss() {
    std::string miss;
    miss.swap(FMiss);
    return miss;
}

} // namespace tabulix::host
