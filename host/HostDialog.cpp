#include "HostDialog.h"

#include "HostWindows.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cwchar>
#include <iterator>

namespace tabulix::host {

namespace {

// The red, green and blue fields of the colour dialog.
constexpr int RedField = 706;
constexpr int GreenField = 707;
constexpr int BlueField = 708;

struct TStepSyntax {
    const char* Name;
    size_t ArgumentCount;
    const char* Arguments;
};

const TStepSyntax Steps[] = {
    {"dialog-expect-caption", 1, "TEXT"},
    {"dialog-set", 2, "CONTROL TEXT"},
    {"dialog-check", 2, "CONTROL on|off"},
    {"dialog-click", 1, "CONTROL"},
    {"dialog-close", 0, "no arguments"},
    {"dialog-focus", 1, "CONTROL"},
    {"dialog-expect", 2, "CONTROL VALUE"},
    {"dialog-expect-enabled", 2, "CONTROL true|false"},
    {"dialog-expect-items", 2, "CONTROL ITEMS"},
    {"dialog-screenshot", 1, "FILE"},
    {"expect-color-start", 1, "RRGGBB|default"},
};

const TStepSyntax* FindStep(const std::string& command) {
    for (const TStepSyntax& step : Steps) {
        if (command == step.Name) return &step;
    }
    return nullptr;
}

bool IsColorDialog(HWND dialog) {
    for (int field : {RedField, GreenField, BlueField}) {
        HWND control = GetDlgItem(dialog, field);
        if (!control || !HasClass(control, L"Edit")) return false;
    }
    return true;
}

// ---- the controls of the property dialog

enum class TKind { Label, Edit, PushButton, CheckBox, Radio, GroupBox, DropDown, CheckList, ListBox, Other };

TKind KindOf(HWND control) {
    if (HasClass(control, L"Static")) return TKind::Label;
    if (HasClass(control, L"Edit")) return TKind::Edit;
    if (HasClass(control, L"ComboBox")) return TKind::DropDown;
    if (HasClass(control, WC_LISTVIEWW)) return TKind::CheckList;
    if (HasClass(control, L"ListBox")) return TKind::ListBox;
    if (!HasClass(control, L"Button")) return TKind::Other;
    switch (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE: return TKind::CheckBox;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: return TKind::Radio;
    case BS_GROUPBOX: return TKind::GroupBox;
    default: return TKind::PushButton;
    }
}

const char* KindName(TKind kind) {
    switch (kind) {
    case TKind::Label: return "a label";
    case TKind::Edit: return "an edit field";
    case TKind::PushButton: return "a button";
    case TKind::CheckBox: return "a check box";
    case TKind::Radio: return "a radio button";
    case TKind::GroupBox: return "a group box";
    case TKind::DropDown: return "a drop-down list";
    case TKind::CheckList: return "a list view";
    case TKind::ListBox: return "a list box";
    default: return "a control of another kind";
    }
}

struct TControlSearch {
    std::wstring Name;
    HWND Found = nullptr;
};

BOOL CALLBACK TakeNamedControl(HWND child, LPARAM parameter) {
    auto* search = reinterpret_cast<TControlSearch*>(parameter);
    const auto* named = static_cast<const wchar_t*>(GetPropW(child, L"TabulixName"));
    if (!named || search->Name != named) return TRUE;
    search->Found = child;
    return FALSE;
}

// The control the library named so (the window property "TabulixName"), anywhere in the dialog.
HWND FindControl(HWND dialog, const std::string& name) {
    TControlSearch search{Widen(name)};
    EnumChildWindows(dialog, TakeNamedControl, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

bool IsOn(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
const char* OnOff(bool on) { return on ? "on" : "off"; }

// An item's text by the list's pair of messages for its length and its text (both answer -1 for an
// index the list does not have).
std::string ItemText(HWND list, UINT lengthMessage, UINT textMessage, int index) {
    const LRESULT length = SendMessageW(list, lengthMessage, WPARAM(index), 0);
    if (length < 0) return {};
    std::wstring text(size_t(length) + 1, L'\0');
    SendMessageW(list, textMessage, WPARAM(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::wcslen(text.c_str()));
    return Narrow(text);
}

std::string ComboItem(HWND combo, int index) { return ItemText(combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, index); }
std::string ListBoxItem(HWND list, int index) { return ItemText(list, LB_GETTEXTLEN, LB_GETTEXT, index); }

std::string ListViewItem(HWND list, int index) {
    wchar_t text[1024] = {};
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = int(std::size(text));
    SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(index), reinterpret_cast<LPARAM>(&item));
    return Narrow(text);
}

bool HasCheckBoxes(HWND list) { return (ListView_GetExtendedListViewStyle(list) & LVS_EX_CHECKBOXES) != 0; }

// The items of a list, in order, joined by "|"; a checked item of a check list followed by " [x]".
std::string JoinedItems(HWND control, TKind kind) {
    std::string joined;
    int count = 0;
    if (kind == TKind::DropDown) count = int(SendMessageW(control, CB_GETCOUNT, 0, 0));
    else if (kind == TKind::ListBox) count = int(SendMessageW(control, LB_GETCOUNT, 0, 0));
    else count = ListView_GetItemCount(control);
    for (int index = 0; index < count; ++index) {
        if (index) joined += '|';
        if (kind == TKind::DropDown) {
            joined += ComboItem(control, index);
        } else if (kind == TKind::ListBox) {
            joined += ListBoxItem(control, index);
        } else {
            joined += ListViewItem(control, index);
            if (HasCheckBoxes(control) && ListView_GetCheckState(control, index)) joined += " [x]";
        }
    }
    return joined;
}

// The focus moves to the control as the dialog moves it (an edit field gets its text selected); the
// control that had it sees it leave.
void MoveFocus(HWND dialog, HWND control) { SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE); }

// One step about a control: the dialog, the control and where a failure goes.
struct TControlStep {
    HWND Dialog;
    HWND Control;
    TKind Kind;
    const std::string& Name;
    std::string& Failure;

    bool Fail(const std::string& why) const {
        Failure = why;
        return false;
    }
    // What an author cannot reach: a hidden or disabled control, a read-only field to type into.
    bool Reachable() const {
        if (!IsWindowVisible(Control)) return Fail(Name + " is not shown");
        if (!IsWindowEnabled(Control)) return Fail(Name + " is disabled");
        return true;
    }
    bool WrongKind(const char* wanted) const {
        return Fail(Name + " is " + KindName(Kind) + ", not " + wanted);
    }
};

// The item of a check list whose text is exactly the name; -1 when there is none.
int ListItemIndex(HWND list, const std::string& item) {
    const int count = ListView_GetItemCount(list);
    for (int index = 0; index < count; ++index) {
        if (ListViewItem(list, index) == item) return index;
    }
    return -1;
}

bool SetText(const TControlStep& step, const std::string& text) {
    if (step.Kind == TKind::Edit) {
        if (!step.Reachable()) return false;
        if (GetWindowLongW(step.Control, GWL_STYLE) & ES_READONLY) return step.Fail(step.Name + " is read-only");
        MoveFocus(step.Dialog, step.Control);
        SetWindowTextW(step.Control, Widen(text).c_str());
        return true;
    }
    if (step.Kind != TKind::DropDown) return step.WrongKind("an edit field or a drop-down list");
    if (!step.Reachable()) return false;
    const int count = int(SendMessageW(step.Control, CB_GETCOUNT, 0, 0));
    int found = -1;
    for (int index = 0; index < count && found < 0; ++index) {
        if (ComboItem(step.Control, index) == text) found = index;
    }
    if (found < 0) return step.Fail(step.Name + " has no item \"" + text + "\" (" + JoinedItems(step.Control, step.Kind) + ")");
    // As the author's choice from the list: the selection, then the notification.
    MoveFocus(step.Dialog, step.Control);
    SendMessageW(step.Control, CB_SETCURSEL, WPARAM(found), 0);
    SendMessageW(GetParent(step.Control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(step.Control), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(step.Control));
    return true;
}

// A check list's item: its check box is clicked as the author clicks it, and the list tells the dialog.
bool CheckItem(const TControlStep& step, const std::string& item, bool on) {
    if (step.Kind != TKind::CheckList || !HasCheckBoxes(step.Control)) return step.WrongKind("a check list");
    const int index = ListItemIndex(step.Control, item);
    if (index < 0) return step.Fail(step.Name + " has no item \"" + item + "\" (" + JoinedItems(step.Control, step.Kind) + ")");
    if ((ListView_GetCheckState(step.Control, index) != 0) == on) return true;
    if (!step.Reachable()) return false;
    MoveFocus(step.Dialog, step.Control);
    ListView_SetCheckState(step.Control, index, on);
    if ((ListView_GetCheckState(step.Control, index) != 0) != on) {
        return step.Fail("the item \"" + item + "\" of " + step.Name + " is still " + OnOff(!on) + " after the click");
    }
    return true;
}

bool Check(const TControlStep& step, bool on) {
    if (step.Kind != TKind::CheckBox && step.Kind != TKind::Radio) return step.WrongKind("a check box or a radio button");
    if (IsOn(step.Control) == on) return true;
    if (step.Kind == TKind::Radio && !on) {
        return step.Fail(step.Name + " is on; a radio button goes off when another of its group is checked");
    }
    if (!step.Reachable()) return false;
    SendMessageW(step.Control, BM_CLICK, 0, 0);
    if (IsOn(step.Control) != on) return step.Fail(step.Name + " is still " + OnOff(!on) + " after the click");
    return true;
}

bool Click(const TControlStep& step) {
    if (step.Kind != TKind::PushButton && step.Kind != TKind::CheckBox && step.Kind != TKind::Radio) {
        return step.WrongKind("a button");
    }
    if (!step.Reachable()) return false;
    // The button takes the focus as the mouse goes down on it, then reports the click.
    SendMessageW(step.Control, BM_CLICK, 0, 0);
    return true;
}

bool Focus(const TControlStep& step) {
    if (!step.Reachable()) return false;
    MoveFocus(step.Dialog, step.Control);
    return true;
}

bool Expect(const TControlStep& step, const std::string& item, const std::string& expected) {
    std::string actual;
    if (!item.empty()) {
        if (step.Kind != TKind::CheckList || !HasCheckBoxes(step.Control)) return step.WrongKind("a check list");
        const int index = ListItemIndex(step.Control, item);
        if (index < 0) return step.Fail(step.Name + " has no item \"" + item + "\" (" + JoinedItems(step.Control, step.Kind) + ")");
        actual = OnOff(ListView_GetCheckState(step.Control, index) != 0);
    } else if (step.Kind == TKind::CheckBox || step.Kind == TKind::Radio) {
        actual = OnOff(IsOn(step.Control));
    } else if (step.Kind == TKind::DropDown) {
        const LRESULT selected = SendMessageW(step.Control, CB_GETCURSEL, 0, 0);
        if (selected == CB_ERR) return step.Fail(step.Name + " has no item selected, expected \"" + expected + "\"");
        actual = ComboItem(step.Control, int(selected));
    } else if (step.Kind == TKind::CheckList || step.Kind == TKind::ListBox) {
        return step.Fail(step.Name + " is a list: dialog-expect-items tells its items");
    } else {
        actual = WindowText(step.Control);
    }
    if (actual == expected) return true;
    const std::string what = item.empty() ? step.Name : "the item \"" + item + "\" of " + step.Name;
    return step.Fail(what + " is \"" + actual + "\", expected \"" + expected + "\"");
}

bool ExpectItems(const TControlStep& step, const std::string& expected) {
    if (step.Kind != TKind::DropDown && step.Kind != TKind::CheckList && step.Kind != TKind::ListBox) {
        return step.WrongKind("a list");
    }
    const std::string actual = JoinedItems(step.Control, step.Kind);
    if (actual == expected) return true;
    return step.Fail(step.Name + " holds \"" + actual + "\", expected \"" + expected + "\"");
}

bool Screenshot(HWND dialog, const std::string& file, std::string& failure) {
    // The dialog paints now; peeking at an idle queue puts it on the screen.
    PaintNow(dialog);
    LetPaintReachScreen();
    RECT area{};
    GetWindowRect(dialog, &area);
    std::string reason;
    if (SaveScreenPng(area, Widen(file), reason)) return true;
    failure = reason + ": " + file;
    return false;
}

} // namespace

bool THostDialogs::IsStep(const std::string& command) { return FindStep(command) != nullptr; }

bool THostDialogs::QueueStep(const TScriptLine& line, std::string& failure) {
    const std::vector<std::string>& w = line.Words;
    const TStepSyntax* syntax = FindStep(w[0]);
    bool readable = w.size() >= syntax->ArgumentCount + 1;
    if (readable && w[0] == "dialog-check") readable = w[2] == "on" || w[2] == "off";
    if (readable && w[0] == "dialog-expect-enabled") readable = w[2] == "true" || w[2] == "false";
    COLORREF colour = 0;
    if (readable && w[0] == "expect-color-start") readable = w[1] == "default" || ReadColourHex(w[1], colour);
    if (!readable) {
        failure = w[0] + " needs " + syntax->Arguments;
        return false;
    }
    FSteps.push_back(line);
    return true;
}

void THostDialogs::BeginEdit() {
    FDialog = nullptr;
    FShown = false;
    FStepsRan = false;
}

std::string THostDialogs::EndEdit() {
    std::string failure;
    if (!FShown && !FSteps.empty()) {
        failure = "no property dialog was shown, so the " + std::to_string(FSteps.size()) + " dialog step(s) queued from line " +
                  std::to_string(FSteps.front().Number) + " did not run";
    } else if (FShown && !FStepsRan && !FSteps.empty()) {
        failure = "the property dialog closed before its " + std::to_string(FSteps.size()) + " queued step(s) could run";
    }
    FSteps.clear();
    FDialog = nullptr;
    return failure;
}

void THostDialogs::DialogInitialized(HWND dialog, LPARAM parameter) {
    if (GetPropW(dialog, L"TabulixDialog")) {
        FDialog = dialog;
        return;
    }
    if (!IsColorDialog(dialog)) return;
    // ChooseColorW hands its CHOOSECOLORW to the dialog: the colour it starts on, when the library gave one.
    const auto* choice = reinterpret_cast<const CHOOSECOLORW*>(parameter);
    if (choice && choice->lStructSize == sizeof(CHOOSECOLORW)) {
        FColorStart = (choice->Flags & CC_RGBINIT) ? ColourHex(choice->rgbResult) : std::string("default");
    } else {
        FColorStart = "(unknown)";
    }
    FLog("colour dialog opened on " + *FColorStart);
}

bool THostDialogs::DialogActivated(HWND dialog) {
    // Activated while it is being made (its first control takes the focus), and again once a window
    // above it has closed: what it waits for is seen when it is shown.
    return dialog == FDialog || GetPropW(dialog, L"TabulixDialog") || IsColorDialog(dialog);
}

// Posted once the dialog is on screen: the message comes back from the modal loop that shows it.
void THostDialogs::DialogShown(HWND dialog) {
    if (dialog == FDialog || GetPropW(dialog, L"TabulixDialog")) {
        if (FShown && dialog == FDialog) return;
        FDialog = dialog;
        FShown = true;
        FLog("property dialog \"" + WindowText(dialog) + "\"");
        PostMessageW(FMainWindow, PropertyDialogMessage, reinterpret_cast<WPARAM>(dialog), 0);
        return;
    }
    if (!IsColorDialog(dialog)) return;
    if (FirstSight(FSeenColorDialogs, dialog)) {
        PostMessageW(FMainWindow, ColorDialogMessage, reinterpret_cast<WPARAM>(dialog), 0);
    }
}

// Runs from the dialog's own modal loop. Each step is a message sent to the dialog or a control, so it
// returns once the library has handled it, nested dialogs and boxes included (they are answered from
// their own loops); what it posted is handled before the next step.
void THostDialogs::RunSteps(HWND dialog) {
    if (dialog != FDialog || FStepsRan) return;
    FStepsRan = true;
    while (!FSteps.empty()) {
        const TScriptLine step = FSteps.front();
        FSteps.pop_front();
        FLog("dialog step: " + step.Text);
        std::string failure;
        const bool held = RunStep(dialog, step, failure);
        // The controls have their say on what the step set off (a box's answer, a posted close).
        DispatchWaitingMessages();
        if (!held) {
            FSteps.clear();
            const bool open = IsWindow(dialog) && IsWindowVisible(dialog);
            Miss("the dialog step at line " + std::to_string(step.Number) + " (" + step.Text + ") failed: " + failure +
                 (open ? "; the dialog was cancelled" : ""));
            break;
        }
    }
    if (IsWindow(dialog) && IsWindowVisible(dialog)) Cancel(dialog);
    else FLog("property dialog closed");
}

bool THostDialogs::RunStep(HWND dialog, const TScriptLine& step, std::string& failure) {
    const std::vector<std::string>& w = step.Words;
    const std::string& command = w[0];
    if (command == "expect-color-start") return ExpectColorStart(w[1], failure);
    if (!IsWindow(dialog) || !IsWindowVisible(dialog)) {
        failure = "the dialog was closed by an earlier step";
        return false;
    }
    if (command == "dialog-expect-caption") {
        const std::string caption = WindowText(dialog);
        if (caption == w[1]) return true;
        failure = "the dialog's caption is \"" + caption + "\", expected \"" + w[1] + "\"";
        return false;
    }
    if (command == "dialog-close") {
        // The close box: the system menu's Close, which the dialog turns into its Cancel.
        SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    }
    if (command == "dialog-screenshot") {
        if (!Screenshot(dialog, w[1], failure)) return false;
        FLog("saved " + w[1]);
        return true;
    }

    // CONTROL, or CONTROL:ITEM for an item of a check list.
    std::string name = w[1];
    std::string item;
    const size_t colon = name.find(':');
    const bool itemAllowed = command == "dialog-check" || command == "dialog-expect";
    if (itemAllowed && colon != std::string::npos) {
        item = name.substr(colon + 1);
        name.resize(colon);
    }
    HWND control = FindControl(dialog, name);
    if (!control) {
        failure = "the dialog has no control " + name;
        return false;
    }
    const TControlStep target{dialog, control, KindOf(control), name, failure};
    if (command == "dialog-set") return SetText(target, w[2]);
    if (command == "dialog-check") return item.empty() ? Check(target, w[2] == "on") : CheckItem(target, item, w[2] == "on");
    if (command == "dialog-click") return Click(target);
    if (command == "dialog-focus") return Focus(target);
    if (command == "dialog-expect") return Expect(target, item, w[2]);
    if (command == "dialog-expect-items") return ExpectItems(target, w[2]);
    // dialog-expect-enabled
    const bool enabled = IsWindowEnabled(control) != FALSE;
    if (enabled == (w[2] == "true")) return true;
    return target.Fail(name + (enabled ? " is enabled" : " is disabled"));
}

bool THostDialogs::ExpectColorStart(const std::string& expected, std::string& failure) {
    if (!FColorStart) {
        failure = "no colour dialog was opened since the last expect-color-start";
        return false;
    }
    const std::string start = *FColorStart;
    FColorStart.reset();
    COLORREF colour = 0;
    // RRGGBB in either case.
    const std::string wanted = expected == "default" || !ReadColourHex(expected, colour) ? expected : ColourHex(colour);
    if (start == wanted) return true;
    failure = "the colour dialog opened on " + start + ", expected " + expected;
    return false;
}

void THostDialogs::Cancel(HWND dialog) {
    FLog("property dialog cancelled");
    ClickButton(dialog, IDCANCEL, true);
    DispatchWaitingMessages();
    if (IsWindow(dialog) && IsWindowVisible(dialog)) {
        // A dialog that keeps itself open would leave the edit waiting for a person: it is ended here.
        Miss("the property dialog stayed open after its Cancel; it was ended");
        EndDialog(dialog, IDCANCEL);
    }
}

// The colour dialog's own loop dispatches this message once the dialog waits for the author.
void THostDialogs::ColorDialogWaiting(HWND dialog) {
    if (!IsWindow(dialog)) return;
    TColorAnswer answer;
    answer.Cancel = true;
    if (!FColorAnswers.empty()) {
        answer = FColorAnswers.front();
        FColorAnswers.pop_front();
    }
    if (answer.Cancel) {
        FLog("colour dialog cancelled");
        ClickButton(dialog, IDCANCEL);
        return;
    }
    // The colour is typed into the red, green and blue fields, as the author types it; the dialog takes
    // each field as it changes.
    const int parts[] = {GetRValue(answer.Color), GetGValue(answer.Color), GetBValue(answer.Color)};
    const int fields[] = {RedField, GreenField, BlueField};
    for (int i = 0; i < 3; ++i) SetDlgItemInt(dialog, fields[i], UINT(parts[i]), FALSE);
    FLog("colour dialog answered " + ColourHex(answer.Color));
    ClickButton(dialog, IDOK);
}

void THostDialogs::WindowDestroyed(HWND window) {
    if (const auto* name = static_cast<const wchar_t*>(GetPropW(window, L"TabulixName"))) {
        Miss("the control " + Narrow(name) + " was destroyed with its TabulixName property");
    }
    if (GetPropW(window, L"TabulixDialog")) Miss("the property dialog was destroyed with its TabulixDialog property");
}

void THostDialogs::Miss(const std::string& why) {
    FLog("missed: " + why);
    if (FMiss.empty()) FMiss = why;
}

std::string THostDialogs::TakeMiss() {
    std::string miss;
    miss.swap(FMiss);
    return miss;
}

} // namespace tabulix::host
