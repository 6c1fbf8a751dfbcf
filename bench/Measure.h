#pragma once

// What the benchmarks share: samples with their median and spread, other processes timed from outside
// or by their own report, and the baselines of openpyxl.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tabulix::bench {

// Repeated measurements of one figure.
class TSamples {
public:
    void Add(double value) { FValues.push_back(value); }
    bool Empty() const { return FValues.empty(); }
    double Median() const;
    double Min() const;
    double Max() const;
    // "12.3 ms (11.9 to 13.0, n 7)": the median, then the lowest and highest sample.
    std::string Describe(const char* unit, double scale = 1.0) const;

private:
    std::vector<double> FValues;
};

// The wall-clock seconds one call of work takes.
template <typename TWork>
double Seconds(TWork&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The seconds of processor time the calling thread spends on one call of work: what it would take on a
// machine with nothing else to do, where the wall clock also counts the time other processes had.
double ProcessorSeconds(const std::function<void()>& work);

// "met" or "NOT met", for the line of a target.
inline const char* Verdict(bool met) { return met ? "met" : "NOT met"; }

// Runs a program to its end with its output discarded (or kept in output); the wall-clock seconds from
// start to exit. Throws std::runtime_error when it cannot be started or exits with a failure.
double RunProcess(const std::vector<std::string>& arguments, std::string* output = nullptr);

// openpyxl, run by the system Python in a process of its own, times itself after its import:
// "read FILE" loads a workbook and reads every value; "edit FILE OUT" loads it, inserts a row at the
// top of the first sheet and saves it. The seconds it reports, or a negative number when openpyxl is
// not there.
double OpenpyxlSeconds(const std::vector<std::string>& arguments);

// The tabulix command of the same build.
std::string CliPath();

// How many rounds the comparisons with openpyxl run, interleaved (TABULIX_BENCH_ROUNDS, default 5).
int Rounds();

} // namespace tabulix::bench
