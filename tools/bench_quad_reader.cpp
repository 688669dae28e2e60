// bench_quad_reader: how fast the quad model file is read, by the program's
// reader (readQuadModelFile) and by the stream reader it replaced
// (tests/fuzz/quad_model_reference.h), on the same files in the same run.
//   bench_quad_reader [-r RUNS] FILE...
// Each file is read RUNS times (default 9) by each reader in turn, from the
// file (warm in the page cache after the first read), and the two must give
// the same quads. For each file and reader it prints the median wall-clock
// time of a read and its range, MB/s (10^6 bytes of the file a second) and
// µs a quad, the same from the processor time (user and system), which
// other load on the machine disturbs less, then how many times faster the
// program's reader is by each.
#include "fuzz/quad_model_reference.h"
#include "scene/quad_model_file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Timing {
    std::vector<double> ms;           // wall clock
    std::vector<double> processorMs;  // user and system
    std::size_t quads = 0;
};

double processorMilliseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return double(t.tv_sec) * 1000 + double(t.tv_usec) / 1000; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

std::vector<QuadRecord> readReference(const char* path)
{
    std::ifstream in(path);
    return referenceParseQuadModel(in, path);
}

std::vector<QuadRecord> readProgram(const char* path)
{
    std::vector<QuadRecord> quads;
    readQuadModelFile(path, quads);
    return quads;
}

template <typename Read>
std::vector<QuadRecord> timeRead(Read read, const char* path, Timing& timing)
{
    const double processorStart = processorMilliseconds();
    const Clock::time_point start = Clock::now();
    std::vector<QuadRecord> quads = read(path);
    timing.ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    timing.processorMs.push_back(processorMilliseconds() - processorStart);
    timing.quads = quads.size();
    return quads;
}

bool same(const std::vector<QuadRecord>& a, const std::vector<QuadRecord>& b)
{
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(QuadRecord)) == 0);
}

void report(const char* reader, const Timing& timing, double bytes)
{
    auto line = [&](const char* clock, const std::vector<double>& times) {
        const auto [low, high] = std::minmax_element(times.begin(), times.end());
        const double ms = median(times);
        std::printf("  %-15s %-10s %9.2f ms (%.2f-%.2f)  %8.1f MB/s  %7.3f us a quad\n", reader,
                    clock, ms, *low, *high, bytes / 1e6 / (ms / 1000),
                    timing.quads ? ms * 1000 / double(timing.quads) : 0.0);
    };
    line("wall", timing.ms);
    line("processor", timing.processorMs);
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 9;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "-r") == 0) {
        runs = std::max(1, std::atoi(argv[2]));
        first = 3;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: bench_quad_reader [-r RUNS] FILE...\n");
        return 2;
    }
    int status = 0;
    for (int f = first; f < argc; ++f) {
        const char* path = argv[f];
        struct stat info {};
        if (stat(path, &info) != 0) {
            std::fprintf(stderr, "%s: cannot be read\n", path);
            return 2;
        }
        Timing reference, program;
        for (int run = 0; run < runs; ++run) {
            const std::vector<QuadRecord> before = timeRead(readReference, path, reference);
            const std::vector<QuadRecord> now = timeRead(readProgram, path, program);
            if (!same(before, now)) {
                std::fprintf(stderr, "%s: the two readers differ\n", path);
                status = 1;
            }
        }
        std::printf("%s: %.2f MB, %zu quads, median of %d reads\n", path, double(info.st_size) / 1e6,
                    program.quads, runs);
        report("stream reader", reference, double(info.st_size));
        report("program reader", program, double(info.st_size));
        std::printf("  %.1f times faster (%.1f by processor time)\n",
                    median(reference.ms) / median(program.ms),
                    median(reference.processorMs) / median(program.processorMs));
    }
    return status;
}
