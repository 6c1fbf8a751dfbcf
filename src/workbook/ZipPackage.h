#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tabulix {

// One entry of a ZIP archive, uncompressed. Names are the archive's own (UTF-8), as text.
struct TZipEntry {
    std::u16string Name;
    std::string Bytes;
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

    void Add(std::u16string_view name, std::string_view bytes);
    // The finished archive; the writer takes no more entries afterwards.
    std::string Finish();

private:
    struct TState;
    TState* FState;
};

} // namespace tabulix
