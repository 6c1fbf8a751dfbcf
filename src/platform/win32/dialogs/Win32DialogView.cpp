// A property dialog on Windows: a modal dialog window built from a form's controls, top to bottom, with
// the system's own control classes. The form holds the values; the view copies them into the controls,
// calls the form's handlers when the author acts, and copies them back.
#include "platform/win32/dialogs/Win32DialogView.h"

#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32ViewerWindows.h"

#include <algorithm>
#include <vector>

#include <windows.h>

#include <commctrl.h>

namespace tabulix {

namespace {

constexpr int DialogWidth = 470;
constexpr int Margin = 12;
constexpr int GroupIndent = 12;
constexpr int LineHeight = 17;
constexpr int FieldHeight = 23;
constexpr int BrowseWidth = 26;
constexpr int CheckHeight = 20;
constexpr int ButtonWidth = 96;
constexpr int ButtonHeight = 26;
constexpr int CheckListHeight = 132;
constexpr UINT FirstControlId = 1000;

// The names by which the reference host (and anyone else) finds the dialog and its controls.
constexpr const wchar_t* DialogProperty = L"TabulixDialog";
constexpr const wchar_t* NameProperty = L"TabulixName";
const std::u16string OkName = u"OK";
const std::u16string CancelName = u"Cancel";

// The platform's dialog font: the one message boxes use.
HFONT CreateDialogFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return CreateFontIndirectW(&metrics.lfMessageFont);
    }
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

std::u16string WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(size_t(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    return FromWide(text.c_str());
}

void SetWindowTextIfChanged(HWND window, const std::u16string& text) {
    if (WindowText(window) != text) SetWindowTextW(window, WidePtr(text));
}

class TDialogView {
public:
    TDialogView(TDialogForm& form) : FForm(form) {}
    ~TDialogView() {
        if (FFont) DeleteObject(FFont);
    }

    bool Run() {
        // An empty template: the controls are made when the dialog starts, from the form.
        struct alignas(4) {
            DLGTEMPLATE Header;
            WORD Menu, Class, Title;
        } dialog{};
        dialog.Header.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        const INT_PTR result = DialogBoxIndirectParamW(LibraryInstance(), &dialog.Header, GetActiveWindow(), DialogProc,
                                                       reinterpret_cast<LPARAM>(this));
        return result == IDOK;
    }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        auto* view = reinterpret_cast<TDialogView*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (!view) return FALSE;
        try {
            return view->Handle(dialog, message, wParam, lParam);
        } catch (...) {
            // A handler that fails leaves the dialog as it is; nothing leaves the dialog procedure.
            return TRUE;
        }
    }

    INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_INITDIALOG:
            FDialog = dialog;
            Build();
            PushValues();
            FForm.OnShow();
            PushValues();
            return TRUE;
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam), HIWORD(wParam));
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_DESTROY:
            for (HWND control : FNamedWindows) RemovePropW(control, NameProperty);
            RemovePropW(dialog, DialogProperty);
            return FALSE;
        default:
            return FALSE;
        }
    }

    // ---- building

    HWND Make(const wchar_t* className, const std::u16string& text, DWORD style, DWORD exStyle, int x, int y, int width,
              int height, UINT id, const std::u16string& name) {
        HWND window = CreateWindowExW(exStyle, className, WidePtr(text), WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                      FDialog, reinterpret_cast<HMENU>(UINT_PTR(id)), LibraryInstance(), nullptr);
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);
        SetPropW(window, NameProperty, reinterpret_cast<HANDLE>(const_cast<char16_t*>(name.c_str())));
        FNamedWindows.push_back(window);
        return window;
    }

    int TextHeight(const std::u16string& text, int width) {
        HDC dc = GetDC(FDialog);
        HGDIOBJ old = SelectObject(dc, FFont);
        RECT area{0, 0, width, 0};
        DrawTextW(dc, WidePtr(text), int(text.size()), &area, DT_CALCRECT | DT_WORDBREAK);
        SelectObject(dc, old);
        ReleaseDC(FDialog, dc);
        return std::max<int>(area.bottom, LineHeight);
    }

    void Build() {
        INITCOMMONCONTROLSEX common{sizeof common, ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
        InitCommonControlsEx(&common);
        FFont = CreateDialogFont();
        SetPropW(FDialog, DialogProperty, reinterpret_cast<HANDLE>(this));
        SetWindowTextW(FDialog, WidePtr(FForm.Caption()));
        FTooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, FDialog, nullptr,
                                   LibraryInstance(), nullptr);

        std::vector<TDialogControl>& controls = FForm.Controls();
        FWindows.assign(controls.size(), nullptr);
        struct TOpenGroup {
            size_t End;
            size_t Index;
            int Top;
        };
        std::vector<TOpenGroup> groups;
        int y = Margin;
        // Every open group whose controls end by the given one is closed around them.
        const auto closeGroupsEndingBy = [&](size_t end) {
            while (!groups.empty() && groups.back().End <= end) {
                CloseGroup(groups.back().Index, groups.back().Top, y, int(groups.size()) - 1);
                y += 12;
                groups.pop_back();
            }
        };
        int buttonRowX = -1;
        for (size_t i = 0; i < controls.size(); ++i) {
            closeGroupsEndingBy(i);
            const TDialogControl& control = controls[i];
            const int left = Margin + GroupIndent * int(groups.size());
            const int width = DialogWidth - 2 * left;
            const UINT id = FirstControlId + UINT(i);
            const bool besideButton = i + 1 < controls.size() && controls[i + 1].Kind == TControlKind::BrowseButton;
            if (control.Kind != TControlKind::Button) buttonRowX = -1;
            // A run of radio buttons is one group for the arrow keys; the control after it starts another.
            const DWORD group = i > 0 && controls[i - 1].Kind == TControlKind::Radio && control.Kind != TControlKind::Radio
                                    ? WS_GROUP
                                    : 0;
            switch (control.Kind) {
            case TControlKind::Label:
                FWindows[i] = Make(L"STATIC", control.Caption, SS_LEFT, 0, left, y, width, LineHeight, id, control.Name);
                y += LineHeight + 2;
                break;
            case TControlKind::WrappedLabel: {
                const int height = TextHeight(control.Caption, width);
                FWindows[i] = Make(L"STATIC", control.Caption, SS_LEFT, 0, left, y + 4, width, height, id, control.Name);
                y += height + 12;
                break;
            }
            case TControlKind::Edit:
                FWindows[i] = Make(L"EDIT", control.Text, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, left, y,
                                   besideButton ? width - BrowseWidth - 4 : width, FieldHeight, id, control.Name);
                y += FieldHeight + 8;
                break;
            case TControlKind::BrowseButton: {
                // Beside the field above it, on the same line.
                const int fieldTop = y - FieldHeight - 8;
                FWindows[i] = Make(L"BUTTON", control.Caption, WS_TABSTOP | BS_PUSHBUTTON | BS_FLAT, 0,
                                   left + width - BrowseWidth, fieldTop, BrowseWidth, FieldHeight, id, control.Name);
                AddTooltip(FWindows[i], control.Hint);
                break;
            }
            case TControlKind::Button:
                // Buttons in a row, left to right.
                if (buttonRowX < 0) {
                    buttonRowX = left;
                } else {
                    y -= ButtonHeight + 8;
                }
                FWindows[i] = Make(L"BUTTON", control.Caption, WS_TABSTOP | BS_PUSHBUTTON, 0, buttonRowX, y, ButtonWidth,
                                   ButtonHeight, id, control.Name);
                buttonRowX += ButtonWidth + 8;
                y += ButtonHeight + 8;
                break;
            case TControlKind::ComboList: {
                FWindows[i] = Make(L"COMBOBOX", u"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, left, y, width, 200,
                                   id, control.Name);
                for (const std::u16string& item : control.Items) {
                    SendMessageW(FWindows[i], CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WidePtr(item)));
                }
                y += FieldHeight + 8;
                break;
            }
            case TControlKind::CheckBox:
                FWindows[i] = Make(L"BUTTON", control.Caption, WS_TABSTOP | BS_AUTOCHECKBOX, 0, left, y, width, CheckHeight,
                                   id, control.Name);
                y += CheckHeight + 4;
                break;
            case TControlKind::Radio: {
                // The first radio button of a run starts a group the arrow keys move within.
                const bool first = i == 0 || controls[i - 1].Kind != TControlKind::Radio;
                FWindows[i] = Make(L"BUTTON", control.Caption, BS_AUTORADIOBUTTON | (first ? WS_GROUP | WS_TABSTOP : 0), 0,
                                   left, y, width, CheckHeight, id, control.Name);
                y += CheckHeight + 4;
                break;
            }
            case TControlKind::CheckList: {
                FWindows[i] = Make(WC_LISTVIEWW, u"",
                                   WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                                   0, left, y, width, CheckListHeight, id, control.Name);
                ListView_SetExtendedListViewStyle(FWindows[i], LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
                LVCOLUMNW column{};
                column.mask = LVCF_WIDTH;
                column.cx = width - GetSystemMetrics(SM_CXVSCROLL) - 4;
                SendMessageW(FWindows[i], LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
                y += CheckListHeight + 8;
                break;
            }
            case TControlKind::GroupBox:
                FWindows[i] = Make(L"BUTTON", control.Caption, BS_GROUPBOX | WS_GROUP, 0, left, y, width, 20, id, control.Name);
                groups.push_back({control.GroupEnd, i, y});
                y += 22;
                break;
            }
            if (group && FWindows[i]) {
                SetWindowLongPtrW(FWindows[i], GWL_STYLE, GetWindowLongPtrW(FWindows[i], GWL_STYLE) | WS_GROUP);
            }
        }
        closeGroupsEndingBy(controls.size());

        // OK (the default button) and Cancel at the bottom right; Enter and Escape reach them.
        const int okLeft = DialogWidth - Margin - 2 * 88 - 8;
        Make(L"BUTTON", u"OK", WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, okLeft, y + 4, 88, ButtonHeight, IDOK, OkName);
        Make(L"BUTTON", u"Cancel", WS_TABSTOP | BS_PUSHBUTTON, 0, okLeft + 96, y + 4, 88, ButtonHeight, IDCANCEL, CancelName);
        SendMessageW(FDialog, DM_SETDEFID, IDOK, 0);
        PlaceOnScreen(y + 4 + ButtonHeight + Margin);
    }

    void CloseGroup(size_t index, int top, int bottom, int depth) {
        const int left = Margin + GroupIndent * depth;
        SetWindowPos(FWindows[index], nullptr, left, top, DialogWidth - 2 * left, bottom - top + 4, SWP_NOZORDER);
    }

    void AddTooltip(HWND button, const std::u16string& hint) {
        if (!FTooltip || hint.empty()) return;
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = FDialog;
        tool.uId = reinterpret_cast<UINT_PTR>(button);
        tool.lpszText = const_cast<wchar_t*>(WidePtr(hint));
        SendMessageW(FTooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }

    // A fixed size, centred on the screen.
    void PlaceOnScreen(int clientHeight) {
        RECT frame{0, 0, DialogWidth, clientHeight};
        AdjustWindowRectEx(&frame, DWORD(GetWindowLongPtrW(FDialog, GWL_STYLE)), FALSE,
                           DWORD(GetWindowLongPtrW(FDialog, GWL_EXSTYLE)));
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
        SetWindowPos(FDialog, nullptr, x, y, width, height, SWP_NOZORDER);
    }

    // ---- values between the form and the controls

    void PushValues() {
        FPushing = true;
        std::vector<TDialogControl>& controls = FForm.Controls();
        for (size_t i = 0; i < controls.size(); ++i) {
            const TDialogControl& control = controls[i];
            HWND window = FWindows[i];
            if (!window) continue;
            EnableWindow(window, control.Enabled);
            switch (control.Kind) {
            case TControlKind::Label:
            case TControlKind::WrappedLabel:
            case TControlKind::GroupBox:
            case TControlKind::Button:
            case TControlKind::BrowseButton: SetWindowTextIfChanged(window, control.Caption); break;
            case TControlKind::Edit:
                SetWindowTextIfChanged(window, control.Text);
                SendMessageW(window, EM_SETREADONLY, control.ReadOnly, 0);
                break;
            case TControlKind::ComboList: {
                const auto found = std::find(control.Items.begin(), control.Items.end(), control.Text);
                SendMessageW(window, CB_SETCURSEL, found == control.Items.end() ? WPARAM(-1) : WPARAM(found - control.Items.begin()), 0);
                break;
            }
            case TControlKind::CheckBox:
            case TControlKind::Radio:
                SendMessageW(window, BM_SETCHECK, control.Checked ? BST_CHECKED : BST_UNCHECKED, 0);
                break;
            case TControlKind::CheckList: PushCheckList(window, control); break;
            }
        }
        FPushing = false;
    }

    void PushCheckList(HWND list, const TDialogControl& control) {
        bool same = ListView_GetItemCount(list) == int(control.Checks.size());
        for (size_t n = 0; same && n < control.Checks.size(); ++n) same = ItemText(list, int(n)) == control.Checks[n].Text;
        if (!same) {
            ListView_DeleteAllItems(list);
            for (size_t n = 0; n < control.Checks.size(); ++n) {
                LVITEMW item{};
                item.mask = LVIF_TEXT;
                item.iItem = int(n);
                item.pszText = const_cast<wchar_t*>(WidePtr(control.Checks[n].Text));
                SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            }
        }
        for (size_t n = 0; n < control.Checks.size(); ++n) {
            if (bool(ListView_GetCheckState(list, UINT(n))) != control.Checks[n].Checked) {
                ListView_SetCheckState(list, UINT(n), control.Checks[n].Checked);
            }
        }
    }

    static std::u16string ItemText(HWND list, int index) {
        wchar_t text[1024] = {};
        LVITEMW item{};
        item.iSubItem = 0;
        item.pszText = text;
        item.cchTextMax = 1024;
        SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(index), reinterpret_cast<LPARAM>(&item));
        return FromWide(text);
    }

    void PullValues() {
        std::vector<TDialogControl>& controls = FForm.Controls();
        for (size_t i = 0; i < controls.size(); ++i) {
            TDialogControl& control = controls[i];
            HWND window = FWindows[i];
            if (!window) continue;
            switch (control.Kind) {
            case TControlKind::Edit: control.Text = WindowText(window); break;
            case TControlKind::ComboList: {
                const LRESULT selected = SendMessageW(window, CB_GETCURSEL, 0, 0);
                if (selected >= 0 && size_t(selected) < control.Items.size()) control.Text = control.Items[size_t(selected)];
                break;
            }
            case TControlKind::CheckBox:
            case TControlKind::Radio:
                control.Checked = SendMessageW(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
                break;
            case TControlKind::CheckList:
                for (size_t n = 0; n < control.Checks.size() && int(n) < ListView_GetItemCount(window); ++n) {
                    control.Checks[n].Checked = ListView_GetCheckState(window, UINT(n)) != 0;
                }
                break;
            default: break;
            }
        }
    }

    // ---- what the author does

    INT_PTR OnCommand(UINT id, UINT notification) {
        if (id == IDOK || id == IDCANCEL) {
            if (FClosing) return TRUE;
            if (id == IDOK) PullValues();
            // Closing moves the focus off the field that has it: what that field's leaving would do is
            // no longer the author's doing.
            FClosing = true;
            EndDialog(FDialog, id);
            return TRUE;
        }
        if (FPushing || FClosing || id < FirstControlId || id >= FirstControlId + FWindows.size()) return FALSE;
        const size_t index = id - FirstControlId;
        const TControlKind kind = FForm.Controls()[index].Kind;
        const bool clicked = notification == BN_CLICKED &&
                             (kind == TControlKind::Button || kind == TControlKind::BrowseButton ||
                              kind == TControlKind::CheckBox || kind == TControlKind::Radio);
        const bool left = notification == EN_KILLFOCUS && kind == TControlKind::Edit;
        if (!clicked && !left) {
            if (notification == CBN_SELCHANGE || notification == EN_CHANGE) PullValues();
            return FALSE;
        }
        PullValues();
        const std::u16string name = FForm.Controls()[index].Name;
        if (clicked) {
            FForm.OnClick(name);
        } else {
            FForm.OnExit(name);
        }
        PushValues();
        return TRUE;
    }

    INT_PTR OnNotify(const NMHDR& header) {
        if (FPushing || FClosing || header.code != LVN_ITEMCHANGED) return FALSE;
        const UINT id = UINT(header.idFrom);
        if (id < FirstControlId || id >= FirstControlId + FWindows.size()) return FALSE;
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        // Only a change of the check box: the state image moved between unchecked (1) and checked (2).
        if (!(change.uChanged & LVIF_STATE) || ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) == 0) return FALSE;
        if ((change.uOldState & LVIS_STATEIMAGEMASK) == 0) return FALSE; // an item just inserted
        const size_t index = id - FirstControlId;
        PullValues();
        FForm.OnItemCheck(FForm.Controls()[index].Name, size_t(change.iItem));
        PushValues();
        return TRUE;
    }

    TDialogForm& FForm;
    HWND FDialog = nullptr;
    HWND FTooltip = nullptr;
    HFONT FFont = nullptr;
    std::vector<HWND> FWindows; // by control index
    std::vector<HWND> FNamedWindows; // every window given a name, OK and Cancel included
    bool FPushing = false;      // the view's own changes are not the author's
    bool FClosing = false;      // OK or Cancel was pressed
};

} // namespace

bool ShowDialogModal(TDialogForm& form) {
    TDialogView view(form);
    return view.Run();
}

} // namespace tabulix
