#include "plugin/ViewerActions.h"

#include "base/Error.h"
#include "base/Files.h"
#include "base/Text.h"
#include "plugin/HostBridge.h"
#include "plugin/HostCallbacks.h"
#include "plugin/ViewerRegistry.h"
#include "workbook/XlsxBlankTemplate.h"

namespace tabulix {

namespace {

std::u16string NoViewerMessage(const std::u16string& rectangleName) {
    return u"There is no Excel viewer attached to an object named " + rectangleName + u".";
}

} // namespace

TNeoSpreadsheet* FindViewer(const std::u16string& rectangleName) {
    const auto& registry = Bridge().ViewerRegistry;
    return registry ? registry->Find(rectangleName) : nullptr;
}

bool CloseViewer(const std::u16string& rectangleName, bool report) {
    try {
        auto& registry = Bridge().ViewerRegistry;
        if (registry && registry->Remove(rectangleName)) return true;
    } catch (...) {
        ReportError(CurrentExceptionMessage());
        return false;
    }
    if (report) ReportError(NoViewerMessage(rectangleName));
    return false;
}

bool OpenViewer(const TOpenParameters& open) {
    if (!HostSupportsObjectLookup()) {
        ReportError(u"This function requires VisualNEO Win 4.0.9 or higher.");
        return false;
    }
    CloseViewer(open.RectangleName, false);
    const intptr_t rectangle = LookupObjectWindow(open.RectangleName);
    if (rectangle == 0) {
        ReportError(u"An object named " + open.RectangleName + u" does not exist.");
        return false;
    }
    try {
        THostBridge& bridge = Bridge();
        TOwnedViewer viewer = TNeoSpreadsheet::CreateAttached(
            reinterpret_cast<TWindowHandle>(rectangle), *bridge.ViewerHost, *bridge.ViewerWindows);
        viewer->SetRectangleName(open.RectangleName);
        viewer->SetVariableName(open.VariableName);
        viewer->SetToolbarPlacement(open.ToolbarPlacement);
        viewer->SetShowActionToolbar(open.ShowActionToolbar);
        viewer->LoadWorkbook(open.WorkbookFile);
        if (viewer->PageMode() && !TrimView(open.VariableName).empty()) viewer->GotoSheetByNameOrNumber(open.VariableName);
        if (!bridge.ViewerRegistry) bridge.ViewerRegistry = std::make_unique<TViewerRegistry>();
        TNeoSpreadsheet* shown = viewer.get();
        bridge.ViewerRegistry->Add(open.RectangleName, std::move(viewer));
        shown->ShowSpreadsheet();
        return true;
    } catch (...) {
        // The viewer, if made, is gone with its unique_ptr or with the registry entry removed here.
        const std::u16string message = CurrentExceptionMessage();
        CloseViewer(open.RectangleName, false);
        ReportError(message);
        return false;
    }
}

namespace {

template <typename TOperation>
bool WithViewer(const std::u16string& rectangleName, TOperation operation) {
    TNeoSpreadsheet* viewer = FindViewer(rectangleName);
    if (!viewer) {
        ReportError(NoViewerMessage(rectangleName));
        return false;
    }
    return operation(*viewer);
}

} // namespace

bool NextSheetAction(const std::u16string& rectangleName) {
    return WithViewer(rectangleName, [](TNeoSpreadsheet& viewer) { return viewer.NextSheet(); });
}

bool PrevSheetAction(const std::u16string& rectangleName) {
    return WithViewer(rectangleName, [](TNeoSpreadsheet& viewer) { return viewer.PrevSheet(); });
}

bool GotoSheetAction(const std::u16string& rectangleName, const std::u16string& sheet) {
    return WithViewer(rectangleName, [&](TNeoSpreadsheet& viewer) { return viewer.GotoSheetByNameOrNumber(sheet); });
}

} // namespace tabulix

namespace tabulix {

bool SaveAction(const std::u16string& rectangleName, const std::u16string& fileName) {
    return WithViewer(rectangleName, [&](TNeoSpreadsheet& viewer) {
        viewer.SaveWorkbook(fileName);
        return true;
    });
}

bool ExportAction(const std::u16string& rectangleName, const std::u16string& fileName, const std::u16string& format,
                  const std::u16string& scope) {
    return WithViewer(rectangleName, [&](TNeoSpreadsheet& viewer) {
        viewer.ExportWorkbook(format, scope, fileName);
        return true;
    });
}

bool EditAction(const std::u16string& rectangleName) {
    return WithViewer(rectangleName, [](TNeoSpreadsheet& viewer) {
        viewer.StartEditSelection();
        return true;
    });
}

bool HighlightAction(const std::u16string& rectangleName, const std::u16string& colorName) {
    return WithViewer(rectangleName, [&](TNeoSpreadsheet& viewer) {
        viewer.ToggleHighlightSelection(colorName);
        return true;
    });
}

bool SettingsAction(const std::u16string& rectangleName, const std::u16string& settings) {
    return WithViewer(rectangleName, [&](TNeoSpreadsheet& viewer) {
        viewer.ApplySettings(settings);
        return true;
    });
}

bool NewWorkbookAction(const std::u16string& rectangleName, const std::u16string& fileName) {
    if (TrimView(fileName).empty()) {
        ReportError(u"A file name is required to create a new workbook.");
        return false;
    }
    try {
        const std::u16string folder = FolderPartOf(fileName);
        if (!folder.empty()) CreateFolders(folder);
        // Written before the Rectangle is looked up: the file exists even when the rest fails. Like every
        // file a user keeps, it is written beside and moved over, so a failure leaves an old file whole.
        WriteFileAtomically(TextToPath(fileName), BlankWorkbookBytes());
    } catch (...) {
        ReportError(CurrentExceptionMessage());
        return false;
    }
    TOpenParameters open;
    open.RectangleName = rectangleName;
    open.WorkbookFile = fileName;
    open.ToolbarPlacement = u"Top";
    return OpenViewer(open);
}

} // namespace tabulix
