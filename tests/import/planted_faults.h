// The faults that the test build of mirtal-import (mirtal-import-planted,
// built with the tests and never installed) plants in its reading process,
// just before the model library reads, chosen by the environment variable
// MIRTAL_PLANTED_FAULT: "crash" (a segmentation fault), "hang" (a read
// that never ends) or "allocation" (memory taken 8 MB at a time, each
// written to, until the memory limit stops it; 1 GB at most, after which
// the reading goes on as if nothing had happened).
#pragma once

#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <vector>

inline void plantedCrash() { raise(SIGSEGV); }

inline void plantedHang()
{
    for (;;)
        pause();
}

inline void plantedAllocation()
{
    constexpr std::size_t Piece = std::size_t(8) << 20, Most = std::size_t(1) << 30;
    static std::vector<char*> taken;
    for (std::size_t total = 0; total < Most; total += Piece) {
        taken.push_back(new char[Piece]);
        std::memset(taken.back(), 1, Piece);
    }
}

inline void (*plantedFault(const char* name))()
{
    if (!name)
        return nullptr;
    if (std::strcmp(name, "crash") == 0)
        return plantedCrash;
    if (std::strcmp(name, "hang") == 0)
        return plantedHang;
    if (std::strcmp(name, "allocation") == 0)
        return plantedAllocation;
    return nullptr;
}
