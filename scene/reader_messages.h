// Pieces of the messages that the quad model and terrain readers print when
// a file ends early or holds a bad token. Entry points: describeFailure(),
// keptPhrase().
#pragma once

#include <istream>
#include <string>

// What went wrong with one field: the file ended there, or it holds something
// that the formatted extraction does not accept (which may have consumed part
// of it, so the token itself is not quoted).
inline std::string describeFailure(bool fileEnded, const std::string& field)
{
    if (fileEnded)
        return "the file ends before " + field;
    return "a token does not read as " + field;
}

inline std::string describeFailure(const std::istream& in, const std::string& field)
{
    return describeFailure(in.eof(), field);
}

// "no complete record comes before it", "1 complete record before it is
// kept", "2 complete records before it are kept": the end of a message.
inline std::string keptPhrase(unsigned long long count, const char* singular, const char* plural)
{
    if (count == 0)
        return std::string("no complete ") + singular + " comes before it";
    return std::to_string(count) + " complete " + (count == 1 ? singular : plural) +
           " before it " + (count == 1 ? "is" : "are") + " kept";
}
