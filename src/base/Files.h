#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tabulix {

// Paths are built from UTF-16 so that names with any characters work on every platform.
std::filesystem::path TextToPath(std::u16string_view text);
std::u16string PathToText(const std::filesystem::path& path);

bool FileExists(const std::filesystem::path& path);

// The whole file as bytes. Fails with "Cannot open file "%s". %s" (the file name, the system's text).
std::string ReadFileBytes(const std::filesystem::path& path);

// Creates or truncates the file and writes the bytes. Fails with "Cannot create file "%s". %s".
// A failure part-way leaves a partial file: use it for temporary files only.
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

// Moves source onto target, replacing an existing target, and waits until the move is on disk.
// Throws TSystemError whose SystemText is the system's text for the failure.
void ReplaceFileWith(const std::filesystem::path& source, const std::filesystem::path& target);

// Removes a file if it exists; never fails.
void RemoveFileQuietly(const std::filesystem::path& path);

// Writes a file that users keep: into a temporary file beside the target, then moved over it in one
// step. A failure leaves the old file as it was and no temporary file behind. Fails with
// "Cannot create file "%s". %s" naming the target.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// The folder part of a file name as written: everything up to and including its last "\", "/" or ":";
// empty when it has none.
std::u16string FolderPartOf(std::u16string_view fileName);

// Creates the folder with every missing parent; an existing folder is left as it is. Fails with
// "Cannot create folder "%s". %s" (the folder, the system's text).
void CreateFolders(const std::u16string& folder);

// The temporary file WriteFileAtomically uses for target.
std::filesystem::path TemporaryPathBeside(const std::filesystem::path& target);

} // namespace tabulix
