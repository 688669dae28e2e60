// White-space separated tokens of a text file read as std::istream's
// formatted extraction (>>) reads them in the C locale, without the stream's
// per-character machinery: the scene readers' numbers at the speed of a
// number parser. Entry point: TokenReader (skipWord, readInt, readDouble,
// ended).
//
// What the extraction accepts, and so what this reader accepts:
// - White space is ' ', '\t', '\n', '\v', '\f', '\r'; every other byte is part
//   of a token. Each read first skips white space; reaching the end there is
//   a failure.
// - An int: an optional sign, then decimal digits, as long as they go. At
//   least one digit, and the value in int's range, or the read fails.
// - A double: an optional sign, digits with at most one '.', then an
//   exponent: 'e' or 'E' (only after a digit), an optional sign and digits.
//   The reading stops at the first byte that cannot continue this, which
//   stays for the next read (so "0x1p3" reads 0 and leaves "x1p3", "1.2.3"
//   reads 1.2 and leaves ".3"). What was taken must then be a whole decimal
//   number: no digit ("+", ".", "-.") or an exponent with no digit ("1e",
//   "1e+") fails. The value is the decimal rounded to the nearest double; one
//   that rounds beyond the largest double fails, one that rounds below the
//   smallest subnormal is a zero of its sign. No "inf", "nan" or hexadecimal
//   forms.
// - A failed read leaves where it stopped undefined: the scene readers stop
//   at the first failure, and say whether the file had ended (ended()).
#pragma once

#include <cstddef>
#include <iosfwd>
#include <vector>

class TokenReader {
public:
    // Over text in memory, which must outlive the reader.
    TokenReader(const char* begin, const char* end);
    // Over a stream's bytes, read chunkBytes at a time (at least 1); a token
    // longer than that is read whole all the same.
    TokenReader(std::istream& in, std::size_t chunkBytes);

    // One token of any length, skipped: false only when the text has ended.
    bool skipWord();
    // One number into value; false when there is none or it does not read
    // (value is then undefined).
    bool readInt(int& value);
    bool readDouble(double& value);

    // Whether a read has reached the end of the text (the stream's eof).
    bool ended() const { return ended_; }

private:
    bool skipSpace();
    bool refill(const char* keepFrom);
    template <typename Scan>
    bool takeToken(Scan scan, const char*& begin, const char*& end);

    const char* position_;
    const char* end_;
    std::istream* in_ = nullptr;
    std::vector<char> buffer_;
    bool ended_ = false;
};
