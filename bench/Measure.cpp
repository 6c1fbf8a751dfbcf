#include "Measure.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <fcntl.h>
#include <spawn.h>
#include <time.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tabulix::bench {

double TSamples::Median() const {
    std::vector<double> sorted = FValues;
    std::sort(sorted.begin(), sorted.end());
    const size_t n = sorted.size();
    if (n == 0) return 0;
    return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
}

double TSamples::Min() const { return FValues.empty() ? 0 : *std::min_element(FValues.begin(), FValues.end()); }
double TSamples::Max() const { return FValues.empty() ? 0 : *std::max_element(FValues.begin(), FValues.end()); }

double ProcessorSeconds(const std::function<void()>& work) {
    const auto now = [] {
        timespec time{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
        return double(time.tv_sec) + double(time.tv_nsec) * 1e-9;
    };
    const double start = now();
    work();
    return now() - start;
}

namespace {

// Three significant digits, without an exponent.
std::string Figure(double value) {
    char text[32];
    const int decimals = value >= 100 ? 0 : value >= 10 ? 1 : 2;
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

} // namespace

std::string TSamples::Describe(const char* unit, double scale) const {
    char text[160];
    std::snprintf(text, sizeof text, "%s %s (%s to %s, n %zu)", Figure(Median() * scale).c_str(), unit,
                  Figure(Min() * scale).c_str(), Figure(Max() * scale).c_str(), FValues.size());
    return text;
}

double RunProcess(const std::vector<std::string>& arguments, std::string* output) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    int pipeEnds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output) {
        if (pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + arguments[0]);
    if (output) {
        close(pipeEnds[1]);
        char buffer[4096];
        for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) output->append(buffer, size_t(n));
        close(pipeEnds[0]);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status)) throw std::runtime_error(arguments[0] + " did not end normally");
    if (WEXITSTATUS(status) == 77) return -1; // the program's own "not available"
    if (WEXITSTATUS(status) != 0) throw std::runtime_error(arguments[0] + " failed");
    return seconds;
}

double OpenpyxlSeconds(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {"/usr/bin/python3", TABULIX_OPENPYXL_SCRIPT};
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::string output;
    if (RunProcess(command, &output) < 0) return -1;
    return std::strtod(output.c_str(), nullptr);
}

std::string CliPath() { return TABULIX_CLI_PATH; }

int Rounds() {
    const char* rounds = std::getenv("TABULIX_BENCH_ROUNDS");
    const int n = rounds ? std::atoi(rounds) : 0;
    return n > 0 ? n : 5;
}

} // namespace tabulix::bench
