// Tokens read as the C locale's formatted extraction reads them (see
// token_reader.h for the syntax). Each read skips white space, finds where
// the extraction would stop, and converts what lies before: ints and the
// common doubles by hand, the other doubles with std::from_chars. A token
// that reaches the end of the buffer is scanned again once more bytes are
// in, so chunk boundaries never split one.
#include "scene/token_reader.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <string>
#include <system_error>

namespace {

// The C locale's white space: ' ' and '\t' '\n' '\v' '\f' '\r' (9..13).
inline bool isSpace(char c)
{
    return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t';
}

inline bool isDigit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

// Where the extraction of an int stops: an optional sign, then digits.
// reachedEnd says the scan ran into end (the token may go on beyond it).
const char* scanInteger(const char* p, const char* end, bool& reachedEnd)
{
    if (p != end && (*p == '+' || *p == '-'))
        ++p;
    while (p != end && isDigit(*p))
        ++p;
    reachedEnd = p == end;
    return p;
}

// A double as the extraction takes it, gathered while it is scanned: its
// digits as one integer w and the power of ten that scales it. w is the
// number's only while there are at most 19 digits (leading zeros included).
struct Decimal {
    bool negative = false;
    int digits = 0;              // before any exponent
    bool exponent = false;       // an 'e' or 'E' was taken
    bool exponentDigit = false;  // and a digit after it
    unsigned long long w = 0;
    long long power = 0;         // of ten: the number is w * 10^power
};

// Where the extraction of a double stops: an optional sign; digits, a '.'
// and digits; after at least one digit an 'e' or 'E' with an optional sign
// right after it, then digits. Anything else ends the number (a second '.',
// a '.' in the exponent, a second 'e'). reachedEnd says the scan ran into
// end (the number may go on beyond it).
const char* scanDecimal(const char* p, const char* end, bool& reachedEnd, Decimal& number)
{
    number = Decimal();
    if (p != end && (*p == '+' || *p == '-'))
        number.negative = *p++ == '-';
    unsigned long long w = 0;  // wraps harmlessly beyond 19 digits
    const char* first = p;
    for (; p != end && isDigit(*p); ++p)
        w = w * 10 + unsigned(*p - '0');
    long long digits = p - first, fraction = 0;
    if (p != end && *p == '.') {
        first = ++p;
        for (; p != end && isDigit(*p); ++p)
            w = w * 10 + unsigned(*p - '0');
        fraction = p - first;
    }
    number.w = w;
    digits += fraction;
    number.digits = digits > 20 ? 20 : int(digits);
    number.power = -fraction;
    if (p != end && (*p == 'e' || *p == 'E') && number.digits > 0) {
        number.exponent = true;
        bool negative = false;
        if (++p != end && (*p == '+' || *p == '-'))
            negative = *p++ == '-';
        long long exponent = 0;
        for (; p != end && isDigit(*p); ++p) {
            number.exponentDigit = true;
            if (exponent < 1000000)
                exponent = exponent * 10 + (*p - '0');
        }
        number.power += negative ? -exponent : exponent;
    }
    reachedEnd = p == end;
    return p;
}

// Whether the decimal [p, end) (sign, digits, '.', exponent, every part
// present and well formed) is at least 1. Used only to tell an overflow from
// an underflow, so an exponent of any length saturates harmlessly.
bool atLeastOne(const char* p, const char* end)
{
    if (*p == '-')
        ++p;
    const char* exponent = p;
    while (exponent != end && *exponent != 'e' && *exponent != 'E')
        ++exponent;
    // The power of ten just above the value: digits before the point after
    // leading zeros, or minus the zeros after the point before the first
    // other digit.
    long long magnitude = 0;
    bool fraction = false, nonZero = false;
    for (; p != exponent && !nonZero; ++p) {
        if (*p == '.')
            fraction = true;
        else if (*p != '0')
            nonZero = true;
        else if (fraction)
            --magnitude;
    }
    if (!nonZero)
        return false;  // a zero
    if (!fraction) {
        magnitude = 1;
        for (; p != exponent && *p != '.'; ++p)
            ++magnitude;
    }
    if (exponent != end) {
        p = exponent + 1;
        const bool negative = *p == '-';
        if (*p == '+' || *p == '-')
            ++p;
        long long power = 0;
        for (; p != end && power < LLONG_MAX / 100; ++p)
            power = power * 10 + (*p - '0');
        magnitude += negative ? -power : power;
    }
    return magnitude >= 1;
}

// The value of the int that the extraction took as [p, end).
bool convertInteger(const char* p, const char* end, int& value)
{
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-')
        ++p;
    if (p == end)
        return false;
    // INT_MIN's magnitude is one more than INT_MAX's.
    const unsigned long long limit = negative ? 0ull - (unsigned long long)INT_MIN : INT_MAX;
    unsigned long long magnitude = 0;
    for (; p != end; ++p) {
        magnitude = magnitude * 10 + unsigned(*p - '0');
        if (magnitude > limit)
            return false;
    }
    value = negative ? static_cast<int>(0ll - static_cast<long long>(magnitude))
                     : static_cast<int>(magnitude);
    return true;
}

// Powers of ten that a double holds exactly.
constexpr double ExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr long long LargestExactPower = 22;
constexpr unsigned long long LargestExactInteger = 1ull << 53;

// The value of the double that the extraction took as [p, end), scanned
// into number. The common number has an integer w up to 2^53 and a power of
// ten 10^e with |e| <= 22: both are exact doubles, so w * 10^e or w / 10^e,
// one rounding of an exact result, is the nearest double to the decimal.
// from_chars reads the others.
bool convertDecimal(const char* p, const char* end, const Decimal& number, double& value)
{
    if (number.digits == 0 || (number.exponent && !number.exponentDigit))
        return false;
    if (number.digits <= 19 && number.w <= LargestExactInteger &&
        number.power >= -LargestExactPower && number.power <= LargestExactPower) {
        const double magnitude = number.power < 0
                                     ? double(number.w) / ExactPowersOfTen[-number.power]
                                     : double(number.w) * ExactPowersOfTen[number.power];
        value = number.negative ? -magnitude : magnitude;
        return true;
    }
    if (*p == '+')
        ++p;  // from_chars takes a minus sign only
#if defined(__cpp_lib_to_chars)
    const std::from_chars_result result = std::from_chars(p, end, value);
    if (result.ec == std::errc::invalid_argument || result.ptr != end)
        return false;
    const bool outOfRange = result.ec == std::errc::result_out_of_range;
#else
    // A C++ library without from_chars for doubles (emscripten's libc++):
    // strtod of the C locale, correctly rounded there too, on a copy of a
    // token the scanner has already checked.
    const std::string token(p, end);
    char* stop = nullptr;
    errno = 0;
    value = std::strtod(token.c_str(), &stop);
    if (stop != token.c_str() + token.size())
        return false;
    const bool outOfRange = errno == ERANGE && (atLeastOne(p, end) || value == 0);
#endif
    if (outOfRange) {
        // Beyond the largest double fails; below the smallest subnormal is
        // a zero of the number's sign.
        if (atLeastOne(p, end))
            return false;
        value = number.negative ? -0.0 : 0.0;
    }
    return true;
}

} // namespace

TokenReader::TokenReader(const char* begin, const char* end) : position_(begin), end_(end) {}

TokenReader::TokenReader(std::istream& in, std::size_t chunkBytes)
    : position_(nullptr), end_(nullptr), in_(&in), buffer_(chunkBytes > 0 ? chunkBytes : 1)
{
}

// Keeps [keepFrom, end_) at the front of the buffer and reads more after it;
// false when the text has no more bytes. A kept token that fills half the
// buffer or more doubles it, so that a long token is read in few passes.
bool TokenReader::refill(const char* keepFrom)
{
    if (!in_)
        return false;
    const std::size_t kept = std::size_t(end_ - keepFrom);
    if (kept > 0 && kept >= buffer_.size() / 2) {
        std::vector<char> larger(buffer_.size() * 2);
        std::memcpy(larger.data(), keepFrom, kept);
        buffer_.swap(larger);
    } else if (kept > 0) {
        std::memmove(buffer_.data(), keepFrom, kept);
    }
    in_->read(buffer_.data() + kept, std::streamsize(buffer_.size() - kept));
    const std::size_t got = std::size_t(in_->gcount());
    position_ = buffer_.data();
    end_ = position_ + kept + got;
    return got > 0;
}

bool TokenReader::skipSpace()
{
    for (;;) {
        while (position_ != end_ && isSpace(*position_))
            ++position_;
        if (position_ != end_)
            return true;
        if (!refill(end_)) {
            ended_ = true;
            return false;
        }
    }
}

// Skips white space and takes the token that scan finds, with all of its
// bytes in the buffer: [begin, end).
template <typename Scan>
bool TokenReader::takeToken(Scan scan, const char*& begin, const char*& end)
{
    if (!skipSpace())
        return false;
    for (;;) {
        bool reachedEnd = false;
        end = scan(position_, end_, reachedEnd);
        if (!reachedEnd)
            break;
        // The token moves to the front of the buffer with what was scanned.
        const std::ptrdiff_t scanned = end - position_;
        if (!refill(position_)) {
            end = position_ + scanned;
            ended_ = true;
            break;
        }
    }
    begin = position_;
    position_ = end;
    return true;
}

bool TokenReader::skipWord()
{
    if (!skipSpace())
        return false;
    for (;;) {
        while (position_ != end_ && !isSpace(*position_))
            ++position_;
        if (position_ != end_)
            return true;
        if (!refill(end_)) {
            ended_ = true;
            return true;
        }
    }
}

bool TokenReader::readInt(int& value)
{
    const char *begin, *end;
    return takeToken(scanInteger, begin, end) && convertInteger(begin, end, value);
}

bool TokenReader::readDouble(double& value)
{
    const char *begin, *end;
    Decimal number;
    const auto scan = [&number](const char* p, const char* stop, bool& reachedEnd) {
        return scanDecimal(p, stop, reachedEnd, number);
    };
    return takeToken(scan, begin, end) && convertDecimal(begin, end, number, value);
}
