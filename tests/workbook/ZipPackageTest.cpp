#include "base/Error.h"
#include "base/Text.h"
#include "support/ThreadsAllowed.h"
#include "workbook/ChunkedDeflater.h"
#include "workbook/ZipPackage.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>

using namespace tabulix;

namespace {

TPackageEntry StoredEntry(const std::string& name, const std::string& bytes) {
    TPackageEntry entry;
    entry.Name = Utf8ToUtf16(name);
    entry.StoredName = name;
    entry.Method = 0;
    entry.Crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size())));
    entry.Size = bytes.size();
    entry.Data = bytes;
    return entry;
}

// Text that deflates to several pieces of output and does not repeat too simply.
std::string VariedText(size_t size) {
    std::string text;
    for (uint32_t n = 1; text.size() < size; n = n * 1103515245u + 12345u) text += "<c r=\"A" + std::to_string(n % 99991) + "\"/>";
    text.resize(size);
    return text;
}

// Writes value into the 32-bit field at offset of the local header and of the central directory
// record of the archive's only entry.
void PatchBothHeaders(std::string& archive, size_t localOffset, size_t centralOffset, uint32_t value) {
    const size_t local = archive.find("PK\x03\x04");
    const size_t central = archive.find("PK\x01\x02");
    ASSERT_NE(local, std::string::npos);
    ASSERT_NE(central, std::string::npos);
    for (size_t at : {local + localOffset, central + centralOffset}) {
        for (int i = 0; i < 4; ++i) archive[at + size_t(i)] = char((value >> (8 * i)) & 0xFF);
    }
}

std::string OneEntryArchive(const std::string& bytes) {
    TZipWriter writer;
    writer.Add(u"a.txt", bytes);
    return writer.Finish();
}

std::u16string ReadFailure(const std::string& archive) {
    try {
        ReadZipPackage(archive);
    } catch (const TTabulixError& error) {
        return error.Message();
    }
    return u"(read)";
}

} // namespace

TEST(ZipPackage, EntriesAreKeptAsStoredAndWrittenBackUnchanged) {
    const std::string text = VariedText(3 * 1024 * 1024 + 17);
    TZipWriter writer;
    writer.Add(u"deflated.xml", text);
    writer.AddEntry(StoredEntry("stored.bin", "kept as it is"));
    const std::vector<TPackageEntry> read = ReadZipPackage(writer.Finish());
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].Method, 8);
    EXPECT_LT(read[0].Data.size(), text.size() / 2);
    EXPECT_EQ(InflateEntry(read[0]), text);
    EXPECT_EQ(read[1].Method, 0);
    EXPECT_EQ(InflateEntry(read[1]), "kept as it is");

    TZipWriter copy;
    for (const TPackageEntry& entry : read) copy.AddEntry(entry);
    const std::vector<TPackageEntry> again = ReadZipPackage(copy.Finish());
    ASSERT_EQ(again.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(again[i].Data, read[i].Data);
        EXPECT_EQ(again[i].Crc, read[i].Crc);
        EXPECT_EQ(again[i].Method, read[i].Method);
    }
}

TEST(ZipPackage, TheDeflaterTakesItsInputInAnyPieces) {
    const std::string text = VariedText(700000);
    TPackageEntry whole;
    DeflateInto(text, whole);
    TEntryDeflater deflater(1); // far too little room reserved: it grows
    for (size_t at = 0; at < text.size(); at += 4093) deflater.Write(std::string_view(text).substr(at, 4093));
    TPackageEntry pieces;
    deflater.FinishInto(pieces);
    EXPECT_EQ(pieces.Size, text.size());
    EXPECT_EQ(pieces.Crc, whole.Crc);
    EXPECT_EQ(InflateEntry(pieces), text);
}

TEST(ZipPackage, APartDeflatedInChunksOnThreadsInflatesToWhatWasWritten) {
    constexpr size_t Chunk = TChunkedDeflater::ChunkSize;
    for (const size_t size : {size_t(100), Chunk, 5 * Chunk + 777}) {
        const std::string text = VariedText(size);
        TPackageEntry whole;
        DeflateInto(text, whole);
        TPackageEntry chunked;
        {
            const tabulix::testing::TThreadsAllowed allowed(3);
            TEntryDeflater deflater;
            for (size_t at = 0; at < text.size(); at += 10007) deflater.Write(std::string_view(text).substr(at, 10007));
            deflater.FinishInto(chunked);
        }
        EXPECT_EQ(chunked.Size, text.size());
        EXPECT_EQ(chunked.Crc, whole.Crc);
        EXPECT_EQ(InflateEntry(chunked), text) << size;
        // Hardly larger than deflated whole: the same level, and each chunk starts with the window before it.
        EXPECT_LT(chunked.Data.size(), whole.Data.size() + whole.Data.size() / 100 + 64) << size;
    }
    // Given up half-way, as when writing a part fails: the threads end and nothing is left behind.
    const tabulix::testing::TThreadsAllowed allowed(2);
    TEntryDeflater abandoned;
    abandoned.Write(VariedText(3 * Chunk));
}

TEST(ZipPackage, AnEntryShorterThanItsDeclaredSizeIsKeptAsWhatItInflatesTo) {
    // Reading has always taken such an entry as what it inflates to, unchecked; it is kept deflated
    // anew, so that a package written from it reads back whole.
    std::string archive = OneEntryArchive("hello, world");
    PatchBothHeaders(archive, 22, 24, 100);
    const std::vector<TPackageEntry> read = ReadZipPackage(archive);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].Size, 12u);
    EXPECT_EQ(InflateEntry(read[0]), "hello, world");
    TZipWriter copy;
    copy.AddEntry(read[0]);
    EXPECT_EQ(ReadZipArchive(copy.Finish())[0].Bytes, "hello, world");
}

TEST(ZipPackage, AWrongChecksumOrDamagedDataIsRefusedWithTheReadersMessage) {
    const std::u16string damaged = u"The workbook package is damaged: a.txt cannot be read.";
    std::string wrongCrc = OneEntryArchive(VariedText(5000));
    PatchBothHeaders(wrongCrc, 14, 16, 0x12345678);
    EXPECT_EQ(ReadFailure(wrongCrc), damaged);

    std::string badData = OneEntryArchive(VariedText(5000));
    const size_t data = badData.find("PK\x03\x04") + 30 + 5; // past the header and the name
    for (size_t at = data; at < data + 40; ++at) badData[at] = char(0xFF);
    EXPECT_EQ(ReadFailure(badData), damaged);
}
