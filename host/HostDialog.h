#pragma once

#include "HostScript.h"

#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <windows.h>

namespace tabulix::host {

// Posted to the host's main window when the library's property dialog is shown; its modal loop
// dispatches it and the queued steps run. wParam is the dialog.
constexpr UINT PropertyDialogMessage = WM_APP + 0x45;
// Posted to the host's main window when a colour dialog is shown; wParam is the dialog.
constexpr UINT ColorDialogMessage = WM_APP + 0x46;

// What the script queued for the next colour dialog: a colour to confirm, or cancel.
struct TColorAnswer {
    COLORREF Color = 0;
    bool Cancel = false;
};

// The property dialog that nbEditAction shows, driven by the steps the script queued before the edit
// (dialog-* and expect-color-start), and the colour dialogs the library opens from it. The steps run
// one after the other from a single posted message once the dialog waits for the author; each returns
// only once what it set off (a nested colour or file dialog, a box) has been answered. When they run
// out, or one fails, the dialog is cancelled, so no edit ever waits for a person.
class THostDialogs {
public:
    using TLog = std::function<void(const std::string&)>;

    THostDialogs(HWND mainWindow, TLog log) : FMainWindow(mainWindow), FLog(std::move(log)) {}

    // Whether the command is a step queued for the next property dialog.
    static bool IsStep(const std::string& command);
    // Queues the step; false with the reason when its arguments do not read.
    bool QueueStep(const TScriptLine& line, std::string& failure);
    void QueueColorAnswer(TColorAnswer answer) { FColorAnswers.push_back(answer); }

    // Around one call of nbEditAction: the steps queued so far belong to the dialog it shows. EndEdit
    // gives the reason the steps could not run (no dialog was shown), else empty; the queue is emptied.
    void BeginEdit();
    std::string EndEdit();
    // The first step queued after the last edit, which no dialog ran; null when there is none.
    const TScriptLine* UnrunStep() const { return FSteps.empty() ? nullptr : &FSteps.front(); }

    // From the host's window hooks: a dialog has handled WM_INITDIALOG (lParam as it came), a dialog
    // ("#32770") is being activated, a dialog has been shown. DialogActivated is true when the dialog is
    // the property dialog or a colour dialog, which are answered here once shown; any other dialog is
    // left to the caller.
    void DialogInitialized(HWND dialog, LPARAM parameter);
    bool DialogActivated(HWND dialog);
    void DialogShown(HWND dialog);
    // A window has handled WM_DESTROY. The property dialog takes the names it gave away as it goes, its
    // own first: a control still named then keeps a property Windows never frees.
    void WindowDestroyed(HWND window);
    // The messages posted by DialogShown.
    void RunSteps(HWND dialog);
    void ColorDialogWaiting(HWND dialog);

    // The miss since the last call (a step that failed, a dialog that would not close), or empty.
    std::string TakeMiss();

private:
    bool RunStep(HWND dialog, const TScriptLine& step, std::string& failure);
    bool ExpectColorStart(const std::string& expected, std::string& failure);
    void Cancel(HWND dialog);
    void Miss(const std::string& why);

    HWND FMainWindow;
    TLog FLog;
    std::deque<TScriptLine> FSteps;
    std::deque<TColorAnswer> FColorAnswers;
    // The property dialog of the running edit, and whether its steps ran.
    HWND FDialog = nullptr;
    bool FShown = false;
    bool FStepsRan = false;
    // The colour the newest colour dialog not yet expected opened on: RRGGBB, or "default" when the
    // library gave none.
    std::optional<std::string> FColorStart;
    std::set<HWND> FSeenColorDialogs;
    std::string FMiss;
};

} // namespace tabulix::host
