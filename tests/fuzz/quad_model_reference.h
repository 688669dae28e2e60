// The quad model reader as it was before it read numbers itself: every field
// through std::istream's formatted extraction in the C locale. Kept beside
// the tests as the reference that the program's reader must match on any
// bytes (fuzz_quad_model_diff.cpp) and as the "before" of
// tools/bench_quad_reader.cpp. Entry point: referenceParseQuadModel().
#pragma once

#include "scene/narrow_float.h"
#include "scene/quad_model_file.h"
#include "scene/reader_messages.h"

#include <iostream>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

namespace quad_model_reference {

inline bool readFloat(std::istream& in, float& target)
{
    double value = 0;
    if (!(in >> value))
        return false;
    target = narrowToFloat(value);
    return true;
}

inline bool readRecord(std::istream& in, QuadRecord& quad, std::string& failedField)
{
    static const char* const Axis[3] = {"x", "y", "z"};
    static const char* const Pair[2] = {"s", "t"};

    std::string label;
    if (!(in >> label)) {
        failedField = "its label";
        return false;
    }
    if (!(in >> quad.texture)) {
        failedField = "its texture id (an integer)";
        return false;
    }
    for (int k = 0; k < 4; ++k)
        for (int c = 0; c < 3; ++c)
            if (!readFloat(in, quad.vertices[k][c])) {
                failedField = std::string(Axis[c]) + " of vertex " + std::to_string(k + 1);
                return false;
            }
    for (int k = 0; k < 4; ++k)
        for (int c = 0; c < 2; ++c)
            if (!readFloat(in, quad.texCoords[k][c])) {
                failedField = std::string(Pair[c]) + " of the texture pair of vertex " +
                              std::to_string(k + 1);
                return false;
            }
    return true;
}

} // namespace quad_model_reference

inline std::vector<QuadRecord> referenceParseQuadModel(std::istream& in, const char* fileName)
{
    using namespace quad_model_reference;
    in.imbue(std::locale::classic());
    std::vector<QuadRecord> quads;

    double count = 0;
    if (!(in >> count)) {
        std::cerr << fileName << ": "
                  << describeFailure(in.eof(), "the record count at the start of the file")
                  << "; no quads are read\n";
        return quads;
    }
    for (unsigned long long i = 0; double(i) < count; ++i) {
        QuadRecord quad;
        std::string failedField;
        if (!readRecord(in, quad, failedField)) {
            std::cerr << fileName << ": quad record " << (i + 1) << " of " << count << ": "
                      << describeFailure(in.eof(), failedField) << "; "
                      << keptPhrase(i, "record", "records") << "\n";
            break;
        }
        quads.push_back(quad);
    }
    return quads;
}

inline std::vector<QuadRecord> referenceParseQuadModel(const std::string& text, const char* fileName)
{
    std::istringstream in(text);
    return referenceParseQuadModel(in, fileName);
}
