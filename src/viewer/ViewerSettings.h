#pragma once

// The viewer settings string: key=value pieces separated by ";" or line breaks, with quoted runs that
// do not cut. The viewer reads it (ApplySettings) and the Settings dialog reads it back with the same
// cutting rule.

#include "viewer/ViewerPorts.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tabulix {

// The pieces of a settings string, in order: cut at ";", CR and LF outside quoted runs (a ' or " opens
// a run that lasts to the same character again); the quote characters stay in the piece; empty pieces
// are left out.
std::vector<std::u16string> CutSettingsPieces(std::u16string_view text);

// A piece as key and value, both trimmed; none without "=".
struct TSettingsPiece {
    std::u16string Key;
    std::u16string Value;
};
std::optional<TSettingsPiece> SplitSettingsPiece(std::u16string_view piece);

// A colour written RRGGBB (red first), optionally after one "#", as a colour value (red in the low
// byte); none unless exactly six hexadecimal digits remain.
std::optional<TColor> ParseHexColor(std::u16string_view text);

} // namespace tabulix
