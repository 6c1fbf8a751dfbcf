// The DLL of this build at the load limit, as a reader meets it: the reference host opens the
// benchmarks' workbook of 2000 x 200 filled cells over a Rectangle, a cell is typed into, the ribbon
// sorts the sheet, the workbook is saved and exported to CSV and PDF, and the host prints its memory
// counters after each step. The saved workbook is read back here. Prints the time the whole walk took
// and the host's peak private memory beside the budget of 400 MiB; exits 1 only when the walk fails.
// Built for both Windows targets; for the 32-bit product it is the figure that counts.

#include "LimitWorkbook.h"
#include "Measure.h"
#include "base/Error.h"
#include "base/Files.h"
#include "base/Text.h"
#include "win32/HostProcess.h"
#include "workbook/XlsxWorkbook.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>

namespace tabulix::bench {

namespace {

constexpr double BudgetMiB = 400.0;
const char* const TypedText = "Checked";

std::string WindowsPath(const std::filesystem::path& path) { return "\"" + path.string() + "\""; }

// A click on cell (col, row) of the grid, 0-based, at the viewer's default sizes with the Top ribbon.
std::string CellPoint(int col, int row) {
    return std::to_string(46 + 96 * col + 48) + " " + std::to_string(62 + 22 * (row + 1) + 11);
}

std::string Script(const std::filesystem::path& folder) {
    std::ostringstream script;
    script << "strict-messages\ninit\nregister\nrect Grid 20 20 720 400\nprint-memory\n"
           << "exec TabulixOpen Grid " << WindowsPath(folder / "Limit.xlsx") << " Sheet Top No\nexpect-result true\n"
           << "print-memory\n"
           // The header cell is typed over; the next click stores it.
           << "click Grid " << CellPoint(0, 0) << "\nchar Grid " << TypedText << "\n"
           << "click Grid " << CellPoint(0, 1) << "\nexpect-edit Grid none\nprint-memory\n"
           // Home > Sort Z-A on the first column: every row moves but the header row.
           << "answer-menu \"Sort Z-A\"\nclick Grid 100 10\nprint-memory\n"
           << "exec TabulixSave Grid " << WindowsPath(folder / "Saved.xlsx") << "\nexpect-result true\nprint-memory\n"
           << "exec TabulixExport Grid " << WindowsPath(folder / "Limit.csv") << " CSV CurrentSheet\nexpect-result true\n"
           << "print-memory\n"
           << "exec TabulixExport Grid " << WindowsPath(folder / "Limit.pdf") << " PDF CurrentSheet\nexpect-result true\n"
           << "print-memory\nexec TabulixClose Grid\nexpect-result true\nmessage 2\n";
    return script.str();
}

struct TMemory {
    double PeakPrivate = 0;
    double PeakWorkingSet = 0;
};

// The largest of the figures the host printed ("memory: private P MiB, peak private Q MiB, peak working
// set W MiB"), each printed after the command it followed, expectations aside (the host echoes "> COMMAND").
TMemory ReadMemory(const std::string& output) {
    TMemory memory;
    std::istringstream lines(output);
    std::string line, step;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("> ", 0) == 0 && line != "> print-memory" && line.rfind("> expect", 0) != 0) {
            step = line.substr(2, line.find('"') - 2); // the command without its file names
        }
        double current = 0, peak = 0, workingSet = 0;
        if (std::sscanf(line.c_str(), "memory: private %lf MiB, peak private %lf MiB, peak working set %lf MiB", &current,
                        &peak, &workingSet) == 3) {
            std::printf("  after %-34s private %6.1f MiB, peak working set %6.1f MiB\n", step.c_str(), current, workingSet);
            memory.PeakPrivate = std::max({memory.PeakPrivate, current, peak});
            memory.PeakWorkingSet = std::max(memory.PeakWorkingSet, workingSet);
        }
    }
    return memory;
}

// What the walk must have left: the saved workbook reads back whole, sorted, with the typed header.
std::string CheckSaved(const std::filesystem::path& folder) {
    TXlsxWorkbook saved;
    saved.LoadFromFile((folder / "Saved.xlsx").u16string());
    const TXlsxSheet& sheet = saved.Sheet(0);
    if (sheet.RowCount != MaxLoadedRows || sheet.ColCount != MaxLoadedCols) return "the saved sheet is not 2000 x 200";
    if (sheet.Text(0, 0) != Utf8ToUtf16(TypedText)) return "the typed header is not in the saved workbook";
    // Descending text order of "Row N A" puts row 999 first and row 1000 last.
    if (sheet.Text(1, 0) != Utf8ToUtf16(StringText(998, 0)) || sheet.Text(1, 1) != Utf8ToUtf16(NumberText(998, 1))) {
        return "the saved sheet is not sorted Z-A by its first column";
    }
    for (const char* name : {"Limit.csv", "Limit.pdf"}) {
        if (!std::filesystem::exists(folder / name) || std::filesystem::file_size(folder / name) < 100000) {
            return std::string(name) + " was not written whole";
        }
    }
    return {};
}

int Run() {
    const std::filesystem::path folder = std::filesystem::absolute("host-load-limit");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    WriteFileBytes(folder / "Limit.xlsx", MakeLimitWorkbook());

    testing::THostRun run;
    const double seconds = Seconds([&] { run = testing::RunHostScript(Script(folder), folder); });
    if (run.ExitCode != 0 || run.Output.find("script passed") == std::string::npos) {
        std::printf("%s\nhost load limit: the host script failed (exit code %lu)\n", run.Output.c_str(), run.ExitCode);
        return 1;
    }
    std::string failure;
    try {
        failure = CheckSaved(folder);
    } catch (...) {
        failure = "the saved workbook does not load: " + Utf16ToUtf8(CurrentExceptionMessage());
    }
    if (!failure.empty()) {
        std::printf("host load limit: %s\n", failure.c_str());
        return 1;
    }

    std::printf("\nThe host with the %d-bit Tabulix.dll, one workbook at the load limit (%d x %d cells):\n",
                int(sizeof(void*) * 8), MaxLoadedRows, MaxLoadedCols);
    const TMemory memory = ReadMemory(run.Output);
    // Wine counts the private bytes of the moment as their peak; the working set's peak bounds every
    // private page ever touched, so the larger of the two is the figure held against the budget.
    const double peak = std::max(memory.PeakPrivate, memory.PeakWorkingSet);
    std::printf("opened, typed into, sorted Z-A, saved, exported to CSV and PDF in %.1f s\n"
                "  peak private memory  %7.1f MiB (the largest the host read)\n"
                "  peak working set     %7.1f MiB\n"
                "  budget               %7.1f MiB: %.2f of it, %s\n",
                seconds, memory.PeakPrivate, memory.PeakWorkingSet, BudgetMiB, peak / BudgetMiB, Verdict(peak < BudgetMiB));
    return 0;
}

} // namespace

} // namespace tabulix::bench

int main() { return tabulix::bench::Run(); }
