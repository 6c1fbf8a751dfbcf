#pragma once

// The twelve actions the library offers the host, and the dispatch of a run-time call to its routine.

#include "plugin/PlugInInterface.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tabulix {

// The parameters of one call as the host passes them: an array of host strings and the index of its last
// element. A parameter beyond the last index, like a null one, reads as empty.
struct THostParameters {
    char* const* Slots = nullptr;
    int32_t LastIndex = -1;

    std::u16string Read(int32_t index) const;
};

// Parameter type codes, one byte per parameter.
constexpr uint8_t ParamText = 1;
constexpr uint8_t ParamFileName = 5;
constexpr uint8_t ParamVariable = 6;

struct TActionInfo {
    int32_t Number;
    std::u16string Name;
    std::u16string Hint;
    std::vector<uint8_t> TypeCodes; // one per parameter
};

constexpr int32_t ActionCount = 12;
const std::vector<TActionInfo>& ActionTable();

// Calls the host's add-action callback for the twelve actions, in table order.
void RegisterActions(TAddActionCallback addAction);

// The parameters of Open as the dispatcher hands them on: verbatim, except the action-toolbar flag,
// which is parameter 4 trimmed and compared with "Yes" ignoring ASCII case.
struct TOpenParameters {
    std::u16string RectangleName;
    std::u16string WorkbookFile;
    std::u16string VariableName;
    std::u16string ToolbarPlacement;
    bool ShowActionToolbar = false;
};
TOpenParameters ReadOpenParameters(const THostParameters& parameters);

// Runs one action at publication run time; false for numbers outside 1..12. Never throws: a failure
// of the action's routine is reported in "[LastError]".
bool ExecuteAction(int32_t action, const THostParameters& parameters);

} // namespace tabulix
