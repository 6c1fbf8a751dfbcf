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

// One entry of a package as the archive holds it: its data as stored (deflated, or stored as is), so
// that a package keeps a fraction of its size in memory and saving copies the data unchanged. Size is
// what the data inflated to when the archive was read, and Crc its checksum, which reading verified.
struct TPackageEntry {
    std::u16string Name;
    std::string StoredName;
    bool Utf8Name = false;
    uint16_t Method = 8; // 0: stored, 8: deflated
    uint32_t Crc = 0;
    uint64_t Size = 0;
    std::string Data;
};

// Bounds that keep a hostile package (a ZIP bomb) from exhausting the memory of the host process.
struct TZipLimits {
    uint64_t MaxTotalBytes = 512ull * 1024 * 1024;
    size_t MaxEntries = 10000;
};

// Every entry of an archive held in memory, in archive order, as stored. Each entry is inflated once
// and checked against its checksum; the limits are checked while inflating, never trusting the sizes
// the archive declares. Throws TTabulixError with the reader's message for anything that is not a
// readable archive within the limits.
// When xmlBytes is given, it receives for every entry whose name ends in .xml or .rels what the check
// inflated, so that a loader need not inflate those parts again; an empty text for every other entry.
// When only is given, an entry whose name it refuses is listed by its names alone, neither read nor
// checked, without data: for a look at a few parts of a package.
std::vector<TPackageEntry> ReadZipPackage(std::string_view archive, const TZipLimits& limits = {},
                                          std::vector<std::string>* xmlBytes = nullptr,
                                          bool (*only)(std::u16string_view name) = nullptr);
// The same entries, inflated.
std::vector<TZipEntry> ReadZipArchive(std::string_view archive, const TZipLimits& limits = {});

// The bytes of an entry, inflated into out, which has room for entry.Size bytes.
void InflateEntryInto(const TPackageEntry& entry, char* out);
std::string InflateEntry(const TPackageEntry& entry);

// Deflates bytes as they are written into the data of a package entry, keeping their checksum; on the
// threads allowed (AllowThreads), in chunks, unless quick.
class TEntryDeflater {
public:
    // expectedSize: about how many bytes the deflated data will take, reserved up front. Quick: the
    // fastest level, for data kept in memory a while rather than saved.
    explicit TEntryDeflater(size_t expectedSize = 0, bool quick = false);
    ~TEntryDeflater();
    TEntryDeflater(const TEntryDeflater&) = delete;
    TEntryDeflater& operator=(const TEntryDeflater&) = delete;

    void Write(std::string_view bytes);
    // Data, Method, Crc and Size of the entry; the deflater takes no more bytes afterwards.
    void FinishInto(TPackageEntry& entry);

private:
    struct TState;
    TState* FState;
};

void DeflateInto(std::string_view bytes, TPackageEntry& entry);

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
    // Room for an archive of about size bytes.
    void Reserve(size_t size);
    // An entry whose data is copied as stored, under its stored name and flag.
    void AddEntry(const TPackageEntry& entry);
    // The finished archive; the writer takes no more entries afterwards.
    std::string Finish();

private:
    struct TState;
    TState* FState;
};

} // namespace tabulix
