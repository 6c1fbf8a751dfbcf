#pragma once
#include <string_view>
#include <vector>
namespace tabulix {
// One part of the embedded blank workbook: its entry name and its exact content (UTF-8).
struct TTemplatePart {
    std::u16string_view Name;
    std::string_view Content;
};
// The nine parts of the blank workbook, in archive order.
const std::vector<TTemplatePart>& BlankTemplateParts();
} // namespace tabulix
