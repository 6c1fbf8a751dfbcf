#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tabulix {

// One entry of a ZIP archive, uncompressed. StoredName is the entry's name as the archive holds it and
// Utf8Name the archive's flag that declares it UTF-8 (bit 11); old archivers write names in code page
// 437 without the flag. Name is the same name read as UTF-8 (U+FFFD for bytes that are not), the text
// that parts are found by.
struct TZipEntry {
    std::u16string Name;
    std::string Bytes;
    std::string StoredName;
    bool Utf8Name = false;
};

// Bounds that keep a hostile package (a ZIP bomb) from exhausting the memory of the host process.
struct TZipLimits {
    uint64_t MaxTotalBytes = 512ull * 1024 * 1024;
    size_t MaxEntries = 10000;
};

// Every entry of an archive held in memory, in archive order, inflated. The limits are checked while
// inflating, never trusting the sizes the archive declares. Throws TTabulixError with the reader's
// message for anything that is not a readable archive within the limits.
std::vector<TZipEntry> ReadZipArchive(std::string_view archive, const TZipLimits& limits = {});

// Builds an archive in memory, each entry deflate-compressed, in the order added.
class TZipWriter {
public:
    TZipWriter();
    ~TZipWriter();
    TZipWriter(const TZipWriter&) = delete;
    TZipWriter& operator=(const TZipWriter&) = delete;

    // An entry named in UTF-8, flagged as such when the name is not plain ASCII.
    void Add(std::u16string_view name, std::string_view bytes);
    // An entry under a name exactly as an archive stored it, with its flag, whatever its encoding.
    void AddStored(std::string_view storedName, bool utf8Name, std::string_view bytes);
    // The finished archive; the writer takes no more entries afterwards.
    std::string Finish();

private:
    struct TState;
    TState* FState;
};

} // namespace tabulix
