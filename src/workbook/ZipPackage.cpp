#include "workbook/ZipPackage.h"

#include "base/Error.h"
#include "base/Numbers.h"
#include "base/Text.h"

#include <algorithm>
#include <cstring>

#include <unzip.h>
#include <zip.h>

namespace tabulix {

namespace {

// A byte buffer that minizip reads from or writes to through its file functions.
struct TMemoryStream {
    const char* ReadData = nullptr; // reading
    size_t Size = 0;
    std::string* WriteData = nullptr; // writing
    size_t Position = 0;
    bool Failed = false;

    size_t Length() const { return WriteData ? WriteData->size() : Size; }
};

voidpf ZCALLBACK OpenStream(voidpf opaque, const void*, int) { return opaque; }

uLong ZCALLBACK ReadStream(voidpf, voidpf stream, void* buffer, uLong size) {
    auto* s = static_cast<TMemoryStream*>(stream);
    if (!s->ReadData || s->Position >= s->Size) return 0;
    const size_t count = std::min<size_t>(size, s->Size - s->Position);
    std::memcpy(buffer, s->ReadData + s->Position, count);
    s->Position += count;
    return uLong(count);
}

uLong ZCALLBACK WriteStream(voidpf, voidpf stream, const void* buffer, uLong size) {
    auto* s = static_cast<TMemoryStream*>(stream);
    if (!s->WriteData) return 0;
    std::string& data = *s->WriteData;
    if (s->Position > data.size()) data.resize(s->Position, '\0');
    const size_t overlap = std::min<size_t>(size, data.size() - s->Position);
    data.replace(s->Position, overlap, static_cast<const char*>(buffer), size);
    s->Position += size;
    return size;
}

ZPOS64_T ZCALLBACK TellStream(voidpf, voidpf stream) { return static_cast<TMemoryStream*>(stream)->Position; }

long ZCALLBACK SeekStream(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* s = static_cast<TMemoryStream*>(stream);
    uint64_t base = 0;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
    case ZLIB_FILEFUNC_SEEK_CUR: base = s->Position; break;
    case ZLIB_FILEFUNC_SEEK_END: base = s->Length(); break;
    default: return -1;
    }
    const uint64_t target = base + offset;
    if (target > s->Length() && s->ReadData) return -1;
    s->Position = size_t(target);
    return 0;
}

int ZCALLBACK CloseStream(voidpf, voidpf) { return 0; }

int ZCALLBACK StreamError(voidpf, voidpf stream) { return static_cast<TMemoryStream*>(stream)->Failed ? 1 : 0; }

zlib_filefunc64_def MemoryFunctions(TMemoryStream& stream) {
    zlib_filefunc64_def functions{};
    functions.zopen64_file = OpenStream;
    functions.zread_file = ReadStream;
    functions.zwrite_file = WriteStream;
    functions.ztell64_file = TellStream;
    functions.zseek64_file = SeekStream;
    functions.zclose_file = CloseStream;
    functions.zerror_file = StreamError;
    functions.opaque = &stream;
    return functions;
}

const std::u16string NotAnArchive = u"This file is not a valid .xlsx workbook: it is not a ZIP archive.";
const std::u16string TooLarge = u"This workbook is too large to open (more than 512 MB uncompressed).";

[[noreturn]] void FailDamaged(const std::u16string& entryName) {
    throw TTabulixError(FormatMessageText(u"The workbook package is damaged: %s cannot be read.", {entryName}));
}

class TUnzipHandle {
public:
    explicit TUnzipHandle(unzFile file) : FFile(file) {}
    ~TUnzipHandle() {
        if (FFile) unzClose(FFile);
    }
    TUnzipHandle(const TUnzipHandle&) = delete;
    TUnzipHandle& operator=(const TUnzipHandle&) = delete;
    unzFile Get() const { return FFile; }

private:
    unzFile FFile;
};

constexpr uLong Utf8NameFlag = 1u << 11;

// The current entry's name as stored, and whether the archive flags it as UTF-8.
void ReadCurrentEntryName(unzFile file, TZipEntry& entry) {
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(file, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
        throw TTabulixError(NotAnArchive);
    }
    std::string name(info.size_filename, '\0');
    if (unzGetCurrentFileInfo64(file, &info, name.data(), uLong(name.size()), nullptr, 0, nullptr, 0) != UNZ_OK) {
        throw TTabulixError(NotAnArchive);
    }
    entry.Name = Utf8ToUtf16(name);
    entry.StoredName = std::move(name);
    entry.Utf8Name = (info.flag & Utf8NameFlag) != 0;
}

std::string InflateCurrentEntry(unzFile file, const std::u16string& name, uint64_t& total, const TZipLimits& limits) {
    if (unzOpenCurrentFile(file) != UNZ_OK) FailDamaged(name);
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const int read = unzReadCurrentFile(file, buffer, sizeof buffer);
        if (read < 0) {
            unzCloseCurrentFile(file);
            FailDamaged(name);
        }
        if (read == 0) break;
        total += uint64_t(read);
        if (total > limits.MaxTotalBytes) {
            unzCloseCurrentFile(file);
            throw TTabulixError(TooLarge);
        }
        bytes.append(buffer, size_t(read));
    }
    if (unzCloseCurrentFile(file) != UNZ_OK) FailDamaged(name); // a CRC mismatch
    return bytes;
}

} // namespace

std::vector<TZipEntry> ReadZipArchive(std::string_view archive, const TZipLimits& limits) {
    TMemoryStream stream;
    stream.ReadData = archive.data();
    stream.Size = archive.size();
    zlib_filefunc64_def functions = MemoryFunctions(stream);
    TUnzipHandle file(unzOpen2_64(nullptr, &functions));
    if (!file.Get()) throw TTabulixError(NotAnArchive);

    unz_global_info64 global{};
    if (unzGetGlobalInfo64(file.Get(), &global) != UNZ_OK) throw TTabulixError(NotAnArchive);
    const std::u16string tooMany = FormatMessageText(u"This workbook has too many parts to open (more than %s).",
                                                     {IntToText(int64_t(limits.MaxEntries))});
    if (global.number_entry > limits.MaxEntries) throw TTabulixError(tooMany);

    std::vector<TZipEntry> entries;
    uint64_t total = 0;
    int status = unzGoToFirstFile(file.Get());
    while (status == UNZ_OK) {
        if (entries.size() >= limits.MaxEntries) throw TTabulixError(tooMany);
        TZipEntry entry;
        ReadCurrentEntryName(file.Get(), entry);
        entry.Bytes = InflateCurrentEntry(file.Get(), entry.Name, total, limits);
        entries.push_back(std::move(entry));
        status = unzGoToNextFile(file.Get());
    }
    if (status != UNZ_END_OF_LIST_OF_FILE) throw TTabulixError(NotAnArchive);
    return entries;
}

struct TZipWriter::TState {
    std::string Archive;
    TMemoryStream Stream;
    zlib_filefunc64_def Functions{};
    zipFile File = nullptr;
};

TZipWriter::TZipWriter() : FState(new TState) {
    FState->Stream.WriteData = &FState->Archive;
    FState->Functions = MemoryFunctions(FState->Stream);
    FState->File = zipOpen2_64(nullptr, APPEND_STATUS_CREATE, nullptr, &FState->Functions);
    if (!FState->File) {
        delete FState;
        throw TTabulixError(u"Could not create the ZIP archive.");
    }
}

TZipWriter::~TZipWriter() {
    if (FState->File) zipClose(FState->File, nullptr);
    delete FState;
}

void TZipWriter::Add(std::u16string_view name, std::string_view bytes) {
    const std::string utf8Name = Utf16ToUtf8(name);
    AddStored(utf8Name, Utf16ToAsciiLossy(name) != utf8Name, bytes);
}

void TZipWriter::AddStored(std::string_view storedName, bool utf8Name, std::string_view bytes) {
    if (!FState->File) throw TTabulixError(u"Could not write the ZIP archive.");
    const std::string name(storedName);
    zip_fileinfo info{};
    info.tmz_date.tm_year = 1980; // a fixed time stamp keeps saved packages reproducible
    info.tmz_date.tm_mday = 1;
    int status = zipOpenNewFileInZip4_64(FState->File, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                         Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                         Z_DEFAULT_STRATEGY, nullptr, 0, 0, utf8Name ? Utf8NameFlag : 0, 0);
    size_t written = 0;
    while (status == ZIP_OK && written < bytes.size()) {
        const unsigned chunk = unsigned(std::min<size_t>(bytes.size() - written, 1u << 24));
        status = zipWriteInFileInZip(FState->File, bytes.data() + written, chunk);
        written += chunk;
    }
    if (status == ZIP_OK) status = zipCloseFileInZip(FState->File);
    if (status != ZIP_OK) {
        throw TTabulixError(FormatMessageText(u"Could not add %s to the ZIP archive.", {Utf8ToUtf16(storedName)}));
    }
}

std::string TZipWriter::Finish() {
    if (!FState->File || zipClose(FState->File, nullptr) != ZIP_OK) {
        FState->File = nullptr;
        throw TTabulixError(u"Could not write the ZIP archive.");
    }
    FState->File = nullptr;
    return std::move(FState->Archive);
}

} // namespace tabulix
