// The process's own memory figures as Linux reports them in
// /proc/self/status, for the benchmarks. Entry point: statusKiB().
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>

// A field of /proc/self/status given in KiB ("VmRSS", "VmHWM", ...); -1 if
// it is not there.
inline long statusKiB(const char* field)
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    long value = -1;
    const std::size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            value = std::atol(line + length + 1);
            break;
        }
    std::fclose(status);
    return value;
}
