#pragma once

#include <string>
#include <string_view>

namespace tabulix::cli {

// A JSON string literal in UTF-8, quotes included: \" \\ \n \r \t, \u00XX for other control characters.
std::string JsonString(std::u16string_view text);
// The same literal appended to out.
void AppendJsonString(std::string& out, std::u16string_view text);

} // namespace tabulix::cli
