// How long, and with how much memory, the model library may read a model:
// the defaults and the options that set them, which every command line that
// imports takes. Entry points: readTimeLimit(), defaultMemoryLimit(),
// isReadLimitOption(), parseReadLimit(), limitFigure().
#include "import.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

// Reading time, measured with tools/bench_import (docs/performance.md) on
// this project's 2-core machine: models of assimp-testmodels read in 0.2 s
// at most (AC14-FZK-Haus.ifc, 3.9 MB, about 0.05 s a megabyte; 0.4 s with
// the machine loaded); grids of 4 004 450 faces that
// tools/make_grid_model.py writes read in 8 s as OBJ (261 MB; 18 s loaded)
// and in 9 s as binary PLY (73 MB; 5 to 13 s loaded), 0.03 to 0.12 s a
// megabyte. The limit is ten times each of these times or more (the PLY's
// is 133 s against 13 s at most), and the floor leaves a small file that
// holds millions of faces (a compressed glTF) room: a slower or busier
// machine still reads what is sound. Some malformed files would keep the
// library reading for hours (a PLY that claims a trillion faces,
// invalid/OutOfMemory.off hundreds of billions of vertices).
const double ReadSecondsFloor = 60;
const double ReadSecondsPerMB = 1;

namespace {

// What the options take at most: a week, and 64 TB.
constexpr double MaxTimeLimitSeconds = 7 * 24 * 3600, MaxMemoryLimitGB = 65536;

} // namespace

std::string limitFigure(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, value >= 100 ? "%.0f" : "%.3g", value);
    return text;
}

double readTimeLimit(std::uintmax_t fileBytes)
{
    return std::ceil(ReadSecondsFloor + ReadSecondsPerMB * double(fileBytes) / (1 << 20));
}

std::uint64_t defaultMemoryLimit()
{
    const long pages = sysconf(_SC_PHYS_PAGES), pageBytes = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageBytes <= 0)
        return std::uint64_t(4) << 30;
    return std::uint64_t(pages) * std::uint64_t(pageBytes) / 2;
}

bool isReadLimitOption(const std::string& option)
{
    return option == "--time-limit" || option == "--memory-limit";
}

std::string parseReadLimit(const std::string& option, const std::string& value, ReadLimits& limits)
{
    char* end = nullptr;
    const double amount = std::strtod(value.c_str(), &end);
    const bool parsed = !value.empty() && *end == '\0' && std::isfinite(amount);
    if (option == "--time-limit") {
        if (!parsed || value.find_first_not_of("0123456789") != std::string::npos || amount < 1 ||
            amount > MaxTimeLimitSeconds)
            return "--time-limit takes a whole number of seconds from 1 to " +
                   limitFigure(MaxTimeLimitSeconds) + ", not \"" + value + "\"";
        limits.seconds = amount;
    } else {
        if (!parsed || !(amount > 0) || amount > MaxMemoryLimitGB)
            return "--memory-limit takes gigabytes above 0, such as 16 or 0.5, not \"" + value +
                   "\"";
        limits.memoryBytes = std::uint64_t(amount * LimitBytesPerGB);
    }
    return "";
}
