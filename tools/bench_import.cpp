// bench_import: what reading a model in a child process costs mirtal-import.
// For each model: the reading stage in the importer's own process
// (readWithAssimp) and in the reading process (readModel), and the whole
// import into a scratch folder both ways; each the median of the rounds,
// the ways taking turns. Every measurement runs in a fresh process, as
// mirtal-import does, so that none inherits the memory of another. Also
// the reading process's peak resident memory beside the file's size.
//   bench_import [--rounds N] MODEL...
// The figures go to standard output; the importer's report and warnings
// are silenced.
#include "import.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Measure {
    double seconds = -1;   // -1 when the work threw
    double childPeakMB = 0;  // the largest resident set of a process it started
};

// Times `work` in a fresh process.
Measure inFreshProcess(const std::function<void()>& work)
{
    int results[2];
    if (pipe(results) != 0)
        return {};
    const pid_t measuring = fork();
    if (measuring == 0) {
        close(results[0]);
        Measure m;
        const auto start = std::chrono::steady_clock::now();
        try {
            work();
            m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        } catch (const std::exception&) {
        }
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        m.childPeakMB = double(usage.ru_maxrss) / 1024;
        const bool sent = write(results[1], &m, sizeof m) == ssize_t(sizeof m);
        _exit(sent ? 0 : 1);
    }
    close(results[1]);
    Measure m;
    if (read(results[0], &m, sizeof m) != ssize_t(sizeof m))
        m = {};
    close(results[0]);
    int status = 0;
    waitpid(measuring, &status, 0);
    return m;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = 3;
    std::vector<std::string> models;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else
            models.push_back(argv[i]);
    }
    if (models.empty()) {
        std::fprintf(stderr, "usage: bench_import [--rounds N] MODEL...\n");
        return 2;
    }
    std::fflush(stdout);
    std::FILE* figures = fdopen(dup(STDOUT_FILENO), "w");
    if (!figures || !std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr))
        return 1;
    const fs::path scratch = fs::temp_directory_path() / ("bench_import-" + std::to_string(getpid()));

    std::fprintf(figures, "%-24s %8s | %9s %9s %8s | %9s %9s %8s | %8s\n", "model", "file MB",
                 "read here", "in child", "cost", "import", "in child", "cost", "child MB");
    std::fflush(figures);  // before any fork, so that no process writes it again
    for (const std::string& model : models) {
        ImportSettings settings;
        settings.modelPath = model;
        settings.outputPath = (scratch / "out").string();
        auto import = [&](bool isolated) {
            return inFreshProcess([&] {
                fs::create_directory(scratch);
                if (isolated)
                    importModel(settings);
                else
                    importModel(settings, readWithAssimp(model));
                fs::remove_all(scratch);
            });
        };
        std::vector<double> readHere, readChild, importHere, importChild;
        double peakMB = 0;
        for (int round = 0; round < rounds; ++round) {
            readHere.push_back(inFreshProcess([&] { readWithAssimp(model); }).seconds);
            const Measure child = inFreshProcess([&] { readModel(model); });
            readChild.push_back(child.seconds);
            peakMB = std::max(peakMB, child.childPeakMB);
            importHere.push_back(import(false).seconds);
            importChild.push_back(import(true).seconds);
            fs::remove_all(scratch);
        }
        if (*std::min_element(readHere.begin(), readHere.end()) < 0 ||
            *std::min_element(readChild.begin(), readChild.end()) < 0) {
            std::fprintf(figures, "%s: not read\n", model.c_str());
            continue;
        }
        const double here = median(readHere), child = median(readChild);
        const double whole = median(importHere), wholeChild = median(importChild);
        std::fprintf(figures, "%-24s %8.2f | %8.3fs %8.3fs %+7.3fs | %8.3fs %8.3fs %+7.3fs | %8.0f\n",
                     fs::path(model).filename().string().c_str(),
                     double(fs::file_size(model)) / (1 << 20), here, child, child - here, whole,
                     wholeChild, wholeChild - whole, peakMB);
        std::fflush(figures);
    }
    return 0;
}
