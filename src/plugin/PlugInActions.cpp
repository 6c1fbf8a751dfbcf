#include "plugin/PlugInActions.h"

#include "base/Error.h"
#include "base/Text.h"
#include "pageimport/ImportAction.h"
#include "plugin/BridgePorts.h"
#include "plugin/HostCallbacks.h"
#include "plugin/HostStrings.h"
#include "plugin/ViewerActions.h"

namespace tabulix {

const std::vector<TActionInfo>& ActionTable() {
    static const std::vector<TActionInfo> table = {
        {1, u"TabulixOpen", u"Open an Excel workbook and attach a worksheet viewer to a Rectangle.",
         {ParamText, ParamFileName, ParamVariable, ParamText, ParamText}},
        {2, u"TabulixNext", u"Show the next worksheet in an Excel viewer.", {ParamText}},
        {3, u"TabulixPrev", u"Show the previous worksheet in an Excel viewer.", {ParamText}},
        {4, u"TabulixGoto", u"Jump to a specific worksheet by name or number in an Excel viewer.", {ParamText, ParamText}},
        {5, u"TabulixClose", u"Remove an Excel viewer previously attached to a Rectangle.", {ParamText}},
        {6, u"TabulixSave",
         u"Save edits made in an Excel viewer back to a file (blank file name = overwrite the original).",
         {ParamText, ParamFileName}},
        {7, u"TabulixExport",
         u"Export the workbook shown in an Excel viewer to CSV, Text, HTML, XML Spreadsheet, Word or PDF.",
         {ParamText, ParamFileName, ParamText, ParamText}},
        {8, u"TabulixImport",
         u"Import selected Excel worksheets as real VisualNEO pages into the current publication or another pubfile. "
         u"Existing pages are preserved.",
         {ParamFileName, ParamText, ParamFileName}},
        {9, u"TabulixEdit", u"Begin editing the currently selected cell in an Excel viewer.", {ParamText}},
        {10, u"TabulixHighlight",
         u"Highlight (or clear) the currently selected cell in an Excel viewer. This is a viewer-only overlay and is "
         u"not saved back into the workbook file.",
         {ParamText, ParamText}},
        {11, u"TabulixSettings",
         u"Customize the toolbar/header/selection colors, grid font, row height and column width of an Excel viewer.",
         {ParamText, ParamText}},
        {12, u"TabulNew",
         u"Create a brand new, blank Excel workbook and attach a worksheet viewer (with the Top ribbon) to a Rectangle.",
         {ParamText, ParamFileName}},
    };
    return table;
}

void RegisterActions(TAddActionCallback addAction) {
    if (!addAction) return;
    for (const TActionInfo& action : ActionTable()) {
        const std::string name = ToHostText(action.Name);
        const std::string hint = ToHostText(action.Hint);
        const int32_t count = int32_t(action.TypeCodes.size());
        addAction(action.Number, name.c_str(), hint.c_str(), action.TypeCodes.data(), count - 1, count);
    }
}

std::u16string THostParameters::Read(int32_t index) const {
    if (!Slots || index < 0 || index > LastIndex) return u"";
    return ReadHostString(Slots[index]);
}

TOpenParameters ReadOpenParameters(const THostParameters& parameters) {
    TOpenParameters open;
    open.RectangleName = parameters.Read(0);
    open.WorkbookFile = parameters.Read(1);
    open.VariableName = parameters.Read(2);
    open.ToolbarPlacement = parameters.Read(3);
    open.ShowActionToolbar = SameTextAscii(Trim(parameters.Read(4)), u"Yes");
    return open;
}

namespace {

bool RunAction(int32_t action, const THostParameters& parameters) {
    switch (action) {
    case 1: return OpenViewer(ReadOpenParameters(parameters));
    case 2: return NextSheetAction(parameters.Read(0));
    case 3: return PrevSheetAction(parameters.Read(0));
    case 4: return GotoSheetAction(parameters.Read(0), parameters.Read(1));
    case 5: return CloseViewer(parameters.Read(0), true);
    case 6: return SaveAction(parameters.Read(0), parameters.Read(1));
    case 7: return ExportAction(parameters.Read(0), parameters.Read(1), parameters.Read(2), parameters.Read(3));
    case 8: {
        TBridgeImportHost host;
        return RunImportAction(host, parameters.Read(0), parameters.Read(1), parameters.Read(2));
    }
    case 9: return EditAction(parameters.Read(0));
    case 10: return HighlightAction(parameters.Read(0), parameters.Read(1));
    case 11: return SettingsAction(parameters.Read(0), parameters.Read(1));
    case 12: return NewWorkbookAction(parameters.Read(0), parameters.Read(1));
    default: return false;
    }
}

} // namespace

bool ExecuteAction(int32_t action, const THostParameters& parameters) {
    if (action < 1 || action > ActionCount) return false;
    try {
        return RunAction(action, parameters);
    } catch (...) {
        ReportError(CurrentExceptionMessage());
    }
    return false;
}

} // namespace tabulix
