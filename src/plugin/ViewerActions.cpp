#include "plugin/ViewerActions.h"

#include "base/Error.h"
#include "base/Text.h"
#include "plugin/PlugInUtils.h"
#include "plugin/ViewerRegistry.h"

namespace tabulix {

std::u16string TViewerRegistry::KeyOf(const std::u16string& rectangleName) { return AsciiUpper(rectangleName); }

TNeoSpreadsheet* TViewerRegistry::Find(const std::u16string& rectangleName) const {
    const auto found = FViewers.find(KeyOf(rectangleName));
    return found == FViewers.end() ? nullptr : found->second.get();
}

void TViewerRegistry::Add(const std::u16string& rectangleName, std::unique_ptr<TNeoSpreadsheet> viewer) {
    FViewers[KeyOf(rectangleName)] = std::move(viewer);
}

bool TViewerRegistry::Remove(const std::u16string& rectangleName) {
    const auto found = FViewers.find(KeyOf(rectangleName));
    if (found == FViewers.end()) return false;
    // Out of the map first, so that the registry never holds a viewer being destroyed.
    std::unique_ptr<TNeoSpreadsheet> viewer = std::move(found->second);
    FViewers.erase(found);
    viewer.reset();
    return true;
}

namespace {

std::u16string NoViewerMessage(const std::u16string& rectangleName) {
    return u"There is no Excel viewer attached to an object named " + rectangleName + u".";
}

// The viewer's own failure, as the action reports it.
std::u16string MessageOf(const std::exception& error) {
    if (const auto* failure = dynamic_cast<const TTabulixError*>(&error)) return failure->Message();
    return Utf8ToUtf16(error.what());
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
    } catch (const std::exception& error) {
        ReportError(MessageOf(error));
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
        std::unique_ptr<TNeoSpreadsheet> viewer = TNeoSpreadsheet::CreateAttached(
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
    } catch (const std::exception& error) {
        // The viewer, if made, is gone with its unique_ptr or with the registry entry removed here.
        CloseViewer(open.RectangleName, false);
        ReportError(MessageOf(error));
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
