#pragma once

#include "HostScript.h"

#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <windows.h>

namespace tabulix::host {

// A message box the library showed, answered by the host at once.
struct TShownMessage {
    std::string Caption;
    std::string Text;
    int Line = 0; // the script line during which it was shown
};

// What the script queued for the next popup menu: an item to choose (its text or its identifier in
// decimal) or none, and a PNG file to photograph the open menu into.
struct TMenuAnswer {
    std::string Item;
    bool None = false;
    std::string Screenshot;
};

// What the script queued for the next file dialog: a path to type as the file name and confirm, or
// cancel.
struct TFileAnswer {
    std::string Path;
    bool Cancel = false;
};

// Posted to the host's main window when a popup menu window appears; the menu's modal loop dispatches
// it while the menu is open. wParam is the menu window.
constexpr UINT MenuOpenMessage = WM_APP + 0x41;
// Posted to the host's main window when a message box is activated; wParam is the box.
constexpr UINT BoxOpenMessage = WM_APP + 0x43;
// Posted to the host's main window when a file dialog is activated, and again after each answer it took;
// wParam is the dialog, lParam how often it came back while a box of the dialog's own was open.
constexpr UINT FileDialogMessage = WM_APP + 0x44;

// The popup menus, message boxes and file dialogs the library shows. Each is recorded and answered
// without a person: from the answers the script queued, else a menu is closed with no choice, a box is
// answered with its default button and a file dialog is cancelled. A queued answer that cannot be given
// is a miss, which fails the script line during which it happened.
class THostModal {
public:
    using TLog = std::function<void(const std::string&)>;
    // Runs a script line; the reason it failed, or empty.
    using TRunLine = std::function<std::string(const TScriptLine&)>;

    THostModal(HWND mainWindow, TLog log, TRunLine runLine)
        : FMainWindow(mainWindow), FLog(std::move(log)), FRunLine(std::move(runLine)) {}

    // The script line running now, which the boxes shown meanwhile are recorded with.
    void SetCurrentLine(int line) { FCurrentLine = line; }
    void QueueMenuAnswer(TMenuAnswer answer) { FMenuAnswers.push_back(std::move(answer)); }
    void QueueBoxAnswer(int button) { FBoxAnswers.push_back(button); }
    void QueueFileAnswer(TFileAnswer answer) { FFileAnswers.push_back(std::move(answer)); }
    // A line run while the next menu, box or file dialog is open, before it is answered, as a
    // publication's timer script runs while the reader looks at it. Each takes the oldest line queued.
    void QueueLineDuringModal(TScriptLine line) { FDuringModal.push_back(std::move(line)); }
    // The oldest line queued that no menu, box or file dialog took; null when there is none.
    const TScriptLine* UnrunLine() const { return FDuringModal.empty() ? nullptr : &FDuringModal.front(); }

    // From the host's window hook and its main window.
    void MenuWindowCreated(HWND menuWindow) const;
    // The message posted by MenuWindowCreated (waits: how often it came back before the menu was shown).
    void MenuOpen(HWND menuWindow, LPARAM waits);
    // A dialog window ("#32770") was activated: a file dialog or else a message box.
    void DialogActivated(HWND dialog);
    // The message posted for a box: the box is answered.
    void BoxOpen(HWND box);
    // The message posted for a file dialog: once the dialog waits for the reader, it is answered.
    void FileDialogWaiting(HWND dialog, LPARAM polls);

    // The oldest menu (its items joined as the script writes them) or box not yet expected; false when
    // there is none.
    bool TakeMenu(std::string& items);
    bool TakeMessage(TShownMessage& message);
    bool HasMessage() const { return !FMessages.empty(); }
    const TShownMessage& OldestMessage() const { return FMessages.front(); }
    // The title of the oldest file dialog not yet expected; false when there is none.
    bool TakeFileDialog(std::string& title);
    // The miss since the last call, or empty.
    std::string TakeMiss();

private:
    struct TItem {
        std::string Text;
        UINT Id = 0;
        bool Disabled = false;
        bool Separator = false;
    };

    // Runs the oldest line queued for a modal, if any, while the menu, box or dialog named waits.
    void RunLineDuringModal(const std::string& modal);
    void FirstLook(HWND menuWindow);
    void StepTowardsTarget(HWND menuWindow);
    void CloseMenu(const std::string& miss);
    void Miss(const std::string& why);
    bool Photograph(HWND menuWindow, const std::string& file);

    HWND FMainWindow;
    TLog FLog;
    TRunLine FRunLine;
    std::deque<TScriptLine> FDuringModal;
    // The file dialogs that waited for the reader once: one that comes back after an answer is the same
    // modal, and takes no second line.
    std::set<HWND> FWaitedDialogs;
    std::deque<TMenuAnswer> FMenuAnswers;
    std::deque<int> FBoxAnswers;
    std::deque<TFileAnswer> FFileAnswers;
    std::deque<std::string> FMenus;
    std::deque<TShownMessage> FMessages;
    std::deque<std::string> FFileDialogs;
    std::string FMiss;
    int FCurrentLine = 0;
    // The boxes and file dialogs already recorded, which activate again when a window above them closes.
    std::set<HWND> FSeenDialogs;
    // The menu being answered: its window, items, the position chosen, the steps taken towards it and
    // whether the Return that chooses it went out.
    HWND FMenuWindow = nullptr;
    HMENU FMenu = nullptr;
    std::vector<TItem> FItems;
    int FTarget = -1;
    int FSteps = 0;
    bool FReturnSent = false;
};

} // namespace tabulix::host
