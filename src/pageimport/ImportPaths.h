#pragma once

// Path texts as the import handles them: full paths against the current directory, folders with and
// without their trailing separator, and extensions taken the way the host takes them (from the last
// dot of the file name).

#include <string>
#include <string_view>

namespace tabulix::importpath {

// The platform's separator: "\" on Windows, "/" elsewhere.
char16_t Separator();
// "/" everywhere, and "\" on Windows.
bool IsSeparator(char16_t c);

// The path made absolute against the current directory, with its "." and ".." steps resolved; an empty
// text stays empty, and a path that cannot be made absolute is returned as given.
std::u16string FullPath(std::u16string_view path);
// The text with the platform's separator appended unless it already ends in a separator.
std::u16string WithTrailingSeparator(std::u16string_view folder);
// The folder of a path, without trailing separators.
std::u16string FolderOf(std::u16string_view path);
// The last part of a path.
std::u16string FileNameOf(std::u16string_view path);
// From the last "." after the last "\", "/" or ":" on, the dot included; empty when there is none.
std::u16string_view ExtensionOf(std::u16string_view path);
// Whether two paths, made full, are the same text ignoring ASCII case.
bool SameFullPath(std::u16string_view a, std::u16string_view b);

} // namespace tabulix::importpath
