// Editing a workbook at the load limit: tabulix edit against openpyxl inserting a row and saving, the
// size of what is saved against the size saved at zlib's default level, and the time of the edits the
// viewer makes.
#include "LimitWorkbook.h"
#include "Measure.h"

#include "base/Files.h"
#include "base/Text.h"
#include "workbook/XlsxWorkbook.h"
#include "workbook/ZipPackage.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

namespace {

using namespace tabulix;
using namespace tabulix::bench;

std::unique_ptr<TXlsxWorkbook> Load(const std::string& package) {
    auto workbook = std::make_unique<TXlsxWorkbook>();
    workbook->LoadFromBytes(u"bench.xlsx", package);
    return workbook;
}

} // namespace

int main() {
    const std::string package = MakeLimitWorkbook();
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("tabulix-edit-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / "limit.xlsx";
    const std::filesystem::path ours = folder / "ours.xlsx";
    const std::filesystem::path theirs = folder / "openpyxl.xlsx";
    WriteFileBytes(file, package);

    // tabulix edit against openpyxl, interleaved.
    TSamples edit, faults, openpyxl;
    for (int round = 0; round < Rounds(); ++round) {
        double pageFaults = 0;
        edit.Add(RunProcess({CliPath(), "edit", file.string(), "-o", ours.string(), "insert-row", "0", "0"}, nullptr, &pageFaults));
        faults.Add(pageFaults);
        const double seconds = OpenpyxlSeconds({"edit", file.string(), theirs.string()});
        if (seconds >= 0) openpyxl.Add(seconds);
    }
    // The same package with every entry deflated anew at zlib's default level: as saving wrote it
    // before rewritten parts were deflated at a lower level (the untouched entries of this package
    // were written at the default level too).
    const std::string saved = ReadFileBytes(ours);
    TZipWriter before;
    for (const TZipEntry& entry : ReadZipArchive(saved)) before.AddStored(entry.StoredName, entry.Utf8Name, entry.Bytes);
    const size_t beforeSize = before.Finish().size();

    // The viewer's edits, in process: a cell set on the last row, a row inserted at the top, the
    // numbers of column B reversed by sorting in alternating directions (the insertion sort's worst
    // case). The first edit of a sheet opens its part for change; that one is shown apart.
    TSamples setCell, insertRow, sort;
    double firstInsert = 0, firstSort = 0;
    {
        const auto workbook = Load(package);
        workbook->SetCellValue(0, 0, 0, u"open");
        for (int n = 0; n < 200; ++n) {
            const std::u16string value = u"value " + std::u16string(1, char16_t(u'a' + n % 26));
            setCell.Add(Seconds([&] { workbook->SetCellValue(0, MaxLoadedRows - 1, MaxLoadedCols - 1, value); }));
        }
    }
    {
        const auto workbook = Load(package);
        firstInsert = Seconds([&] { workbook->InsertRow(0, 0); });
        for (int n = 0; n < 15; ++n) insertRow.Add(Seconds([&] { workbook->InsertRow(0, 0); }));
    }
    {
        const auto workbook = Load(package);
        bool ascending = false;
        firstSort = Seconds([&] { workbook->SortByColumn(0, 1, ascending, true); });
        for (int n = 0; n < 9; ++n) {
            ascending = !ascending;
            sort.Add(Seconds([&] { workbook->SortByColumn(0, 1, ascending, true); }));
        }
    }
    // Sorting leaves the cells' references for the save to write: the save after one reversing sort,
    // against the save of the workbook with the part opened by a cell set.
    TSamples saveSorted, saveOpened;
    for (int n = 0; n < 3; ++n) {
        const auto sorted = Load(package);
        sorted->SortByColumn(0, 1, false, true);
        saveSorted.Add(Seconds([&] { sorted->SaveToBytes(); }));
        const auto opened = Load(package);
        opened->SetCellValue(0, 0, 0, u"open");
        saveOpened.Add(Seconds([&] { opened->SaveToBytes(); }));
    }
    std::filesystem::remove_all(folder);

    std::printf("\nWorkbook at the load limit: %d rows x %d columns, edited\n\n", MaxLoadedRows, MaxLoadedCols);
    std::printf("tabulix edit insert-row 0 0, whole process:    %s\n", edit.Describe("ms", 1000).c_str());
    std::printf("  page faults of one edit:                     %s\n", faults.Describe("faults").c_str());
    if (!openpyxl.Empty()) {
        const double ratio = openpyxl.Median() / edit.Median();
        std::printf("openpyxl load + insert_rows + save, no import: %s\n", openpyxl.Describe("ms", 1000).c_str());
        std::printf("  edit is %.1fx faster (target at least 25x: %s)\n", ratio, Verdict(ratio >= 25));
    } else {
        std::printf("openpyxl is not installed: no baseline for edit\n");
    }
    const double growth = double(saved.size()) / double(beforeSize) - 1;
    std::printf("saved package %zu bytes; at zlib's default level, as saved before: %zu bytes (%+.2f%%; target within 5%%: %s)\n",
                saved.size(), beforeSize, 100 * growth, Verdict(growth <= 0.05 && growth >= -0.05));
    std::printf("SetCellValue on the last row:  %s (target below 50 us: %s)\n", setCell.Describe("us", 1e6).c_str(),
                Verdict(setCell.Median() < 50e-6));
    std::printf("InsertRow at the top:          %s (target below 20 ms: %s); the first, opening the part: %.1f ms\n",
                insertRow.Describe("ms", 1000).c_str(), Verdict(insertRow.Median() < 20e-3), firstInsert * 1000);
    std::printf("SortByColumn reversing:        %s (target below 30 ms: %s); the first, opening the part: %.1f ms\n",
                sort.Describe("ms", 1000).c_str(), Verdict(sort.Median() < 30e-3), firstSort * 1000);
    std::printf("SaveToBytes after one reversing sort, writing the references it left: %s; after a cell set: %s\n",
                saveSorted.Describe("ms", 1000).c_str(), saveOpened.Describe("ms", 1000).c_str());
    return 0;
}
