// The readers report bad files on the console; a fuzzer feeds them millions
// of bad files, so their reports go nowhere while fuzzing.
#pragma once

#include <iostream>
#include <streambuf>

class DiscardingBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

inline void silenceConsole()
{
    static DiscardingBuffer sink;
    std::cout.rdbuf(&sink);
    std::cerr.rdbuf(&sink);
}
