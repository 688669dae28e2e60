// bench_import: what reading a model in a child process costs mirtal-import.
// For each model: the reading stage in this process (readWithAssimp) and in
// the child (readModel), and the whole import into a scratch folder both
// ways; each the median of the rounds, the two ways taking turns. Also the
// reading child's peak resident memory beside the file's size. Each model
// is measured in a process of its own, so that its figures are its own.
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

double secondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double childPeakMB()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_maxrss) / 1024;
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

    std::fprintf(figures, "%-44s %8s | %9s %9s %7s | %9s %9s %7s | %8s\n", "model", "file MB",
                 "read here", "in child", "cost", "import", "in child", "cost", "child MB");
    for (const std::string& model : models) {
        std::fflush(figures);
        const pid_t measuring = fork();
        if (measuring != 0) {
            int status = 0;
            waitpid(measuring, &status, 0);
            continue;
        }
        std::vector<double> readHere, readChild, importHere, importChild;
        ImportSettings settings;
        settings.modelPath = model;
        settings.outputPath = (scratch / "out").string();
        try {
            for (int round = 0; round < rounds; ++round) {
                readHere.push_back(secondsOf([&] { readWithAssimp(model); }));
                readChild.push_back(secondsOf([&] { readModel(model); }));
                fs::create_directory(scratch);
                importHere.push_back(secondsOf([&] { importModel(settings, readWithAssimp(model)); }));
                fs::remove_all(scratch);
                fs::create_directory(scratch);
                importChild.push_back(secondsOf([&] { importModel(settings); }));
                fs::remove_all(scratch);
            }
        } catch (const std::exception& e) {
            std::fprintf(figures, "%s: %s\n", model.c_str(), e.what());
            fs::remove_all(scratch);
            std::exit(1);
        }
        const double here = median(readHere), child = median(readChild);
        const double whole = median(importHere), wholeChild = median(importChild);
        std::fprintf(figures, "%-44s %8.2f | %8.3fs %8.3fs %+6.1f%% | %8.3fs %8.3fs %+6.1f%% | %8.0f\n",
                     fs::path(model).filename().string().c_str(), double(fs::file_size(model)) / (1 << 20),
                     here, child, 100 * (child - here) / here, whole, wholeChild,
                     100 * (wholeChild - whole) / whole, childPeakMB());
        std::exit(0);
    }
    return 0;
}
