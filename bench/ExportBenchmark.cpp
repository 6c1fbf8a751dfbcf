// How long exporting a worksheet at the load limit takes in each format, how large each file is, and
// how each writer compares with the least any writer must do: write a file of the same size (and, for
// the Word document, first compress the same entries).

#include "LimitWorkbook.h"
#include "base/Files.h"
#include "base/Text.h"
#include "export/XlsxExporter.h"
#include "workbook/XlsxWorkbook.h"
#include "workbook/ZipPackage.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>

#include <unistd.h>

namespace {

using namespace tabulix;

struct TFormat {
    const char16_t* Name;
    const char16_t* Extension;
};

constexpr TFormat Formats[] = {
    {u"CSV", u".csv"}, {u"Text", u".txt"}, {u"HTML", u".html"}, {u"XMLSpreadsheet", u".xml"}, {u"Word", u".docx"}, {u"PDF", u".pdf"},
};

const TXlsxWorkbook* gWorkbook = nullptr;
std::filesystem::path gFolder;
std::map<std::string, uintmax_t> gSizes;

// A single export takes up to seconds; a few seconds of each give several iterations to average.
constexpr double MinSeconds = 3.0;

std::filesystem::path OutputOf(const TFormat& format) { return gFolder / (std::u16string(u"bench") + format.Extension); }

void BM_Export(benchmark::State& state, TFormat format) {
    const std::filesystem::path output = OutputOf(format);
    for (auto _ : state) {
        ExportWorkbookToFile(gWorkbook, 0, format.Name, u"CurrentSheet", PathToText(output));
    }
    const uintmax_t size = std::filesystem::file_size(output);
    gSizes[Utf16ToUtf8(format.Name)] = size;
    state.counters["MiB"] = double(size) / (1024.0 * 1024.0);
}

// The floor under every writer: the same number of bytes written to a file the same way. A Word
// document is mostly compressing, so its floor packs the entries the export wrote once more.
void BM_WriteBaseline(benchmark::State& state, TFormat format) {
    const std::filesystem::path output = gFolder / u"baseline.bin";
    if (std::u16string_view(format.Name) == u"Word") {
        const std::vector<TZipEntry> entries = ReadZipArchive(ReadFileBytes(OutputOf(format)));
        for (auto _ : state) {
            TZipWriter package;
            for (const TZipEntry& entry : entries) package.Add(entry.Name, entry.Bytes);
            WriteFileAtomically(output, package.Finish());
        }
        return;
    }
    const std::string bytes(size_t(std::filesystem::file_size(OutputOf(format))), 'x');
    for (auto _ : state) WriteFileAtomically(output, bytes);
}

class TSummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            auto& [seconds, iterations] = FTotals[run.run_name.str()];
            seconds += run.real_accumulated_time;
            iterations += double(run.iterations);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double MeanMs(const std::string& name) const {
        for (const auto& [runName, totals] : FTotals) {
            if (runName.rfind(name, 0) == 0) return 1000.0 * totals.first / totals.second;
        }
        return -1.0;
    }

private:
    std::map<std::string, std::pair<double, double>> FTotals;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    gFolder = std::filesystem::temp_directory_path() / ("tabulix-export-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(gFolder);
    TXlsxWorkbook workbook;
    workbook.LoadFromBytes(u"bench.xlsx", bench::MakeLimitWorkbook());
    if (workbook.SheetCount() != 1 || workbook.Sheet(0).RowCount != MaxLoadedRows ||
        workbook.Sheet(0).ColCount != MaxLoadedCols) {
        std::fprintf(stderr, "the generated workbook did not load as %d x %d cells\n", MaxLoadedRows, MaxLoadedCols);
        return 1;
    }
    gWorkbook = &workbook;

    for (const TFormat& format : Formats) {
        const std::string name = Utf16ToUtf8(format.Name);
        benchmark::RegisterBenchmark(("BM_Export/" + name).c_str(), BM_Export, format)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(MinSeconds);
    }
    TSummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // The baselines need the sizes the exports produced, so they run second.
    benchmark::ClearRegisteredBenchmarks();
    for (const TFormat& format : Formats) {
        if (!std::filesystem::exists(OutputOf(format))) continue;
        benchmark::RegisterBenchmark(("BM_WriteBaseline/" + Utf16ToUtf8(format.Name)).c_str(), BM_WriteBaseline, format)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(1.0);
    }
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nOne worksheet at the load limit: %d rows x %d columns, half distinct strings, half numbers\n", MaxLoadedRows,
                MaxLoadedCols);
    std::printf("%-15s %12s %12s %16s %10s\n", "format", "export ms", "size MiB", "floor ms", "ratio");
    for (const TFormat& format : Formats) {
        const std::string name = Utf16ToUtf8(format.Name);
        const double exportMs = reporter.MeanMs("BM_Export/" + name);
        const double writeMs = reporter.MeanMs("BM_WriteBaseline/" + name);
        if (exportMs < 0) continue;
        const double mib = double(gSizes[name]) / (1024.0 * 1024.0);
        std::printf("%-15s %12.1f %12.2f %16.1f %10.1f\n", name.c_str(), exportMs, mib, writeMs,
                    writeMs > 0 ? exportMs / writeMs : 0.0);
    }
    std::error_code error;
    std::filesystem::remove_all(gFolder, error);
    return 0;
}
