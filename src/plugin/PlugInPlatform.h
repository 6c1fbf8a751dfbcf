#pragma once

// What the plug-in needs from the operating system beyond the base ports: message boxes owned by the
// host's window, the library's own file, local time. Windows implements it in platform/win32; tests
// give it a double.

#include "pageimport/ImportAction.h"
#include "plugin/PlugInInterface.h"
#include "viewer/ViewerPorts.h"

#include <string>

namespace tabulix {

class TPlugInPlatform {
public:
    virtual ~TPlugInPlatform() = default;
    // A modal box with one OK button; owned by owner when that is a window, else by nothing.
    virtual void ShowMessageBox(THostWindow owner, const std::u16string& text, const std::u16string& caption,
                                TMessageBoxKind kind) = 0;
    virtual std::u16string LibraryModulePath() const = 0;
    virtual TLocalTime LocalTime() const = 0;
};

TPlugInPlatform& SystemPlugInPlatform();

// The windows of the viewers; natively there are none, and creating one fails.
TViewerWindows& SystemViewerWindows();

class TDialogToolkit;
// The property dialogs' toolkit; natively no dialog shows, and every one counts as cancelled.
TDialogToolkit& SystemDialogToolkit();

} // namespace tabulix
