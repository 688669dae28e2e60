// Reader of the terrain patch file: tokens in, TerrainPatches out, no GL.
#include "scene/terrain_file.h"

#include "scene/reader_messages.h"

#include <fstream>
#include <iostream>
#include <locale>
#include <sstream>

namespace {

enum class RecordResult { Patch, Terminator, Failed };

// Reads one record. The terminator is known by its kind alone: its other
// fields play no part, so they are not read and may be missing.
RecordResult readRecord(std::istream& in, TerrainPatch& patch, std::string& failedField)
{
    static const char* const Coordinate[4] = {"label", "x", "y", "z"};

    if (!(in >> patch.kind)) {
        failedField = "its kind (an integer)";
        return RecordResult::Failed;
    }
    if (patch.kind == TerrainTerminatorKind)
        return RecordResult::Terminator;

    int spare = 0;
    int* const integers[3] = {&patch.green, &patch.blue, &spare};
    static const char* const IntegerName[3] = {"its green (an integer)", "its blue (an integer)",
                                               "its spare integer"};
    for (int i = 0; i < 3; ++i)
        if (!(in >> *integers[i])) {
            failedField = IntegerName[i];
            return RecordResult::Failed;
        }

    for (int point = 0; point < 9; ++point) {
        float values[4];  // label (ignored), x, y, z
        for (int c = 0; c < 4; ++c)
            if (!(in >> values[c])) {
                failedField = std::string("the ") + Coordinate[c] + " of control point " +
                              std::to_string(point + 1);
                return RecordResult::Failed;
            }
        for (int c = 0; c < 3; ++c)
            patch.controlPoints[3 * point + c] = values[c + 1];
    }
    return RecordResult::Patch;
}

} // namespace

std::vector<TerrainPatch> parseTerrainPatches(std::istream& in, const char* fileName)
{
    in.imbue(std::locale::classic());
    std::vector<TerrainPatch> patches;

    double count = 0;
    if (!(in >> count)) {
        std::cerr << fileName << ": "
                  << describeFailure(in, "the patch count at the start of the file")
                  << "; no patches are read\n";
        return patches;
    }
    // Beyond this test the count plays no part (a NaN reads nothing).
    if (!(count > 0))
        return patches;

    for (unsigned long long record = 1;; ++record) {
        TerrainPatch patch;
        std::string failedField;
        switch (readRecord(in, patch, failedField)) {
        case RecordResult::Patch:
            patches.push_back(patch);
            break;
        case RecordResult::Terminator:
            return patches;
        case RecordResult::Failed:
            std::cerr << fileName << ": patch record " << record << " (before any terminator of kind "
                      << TerrainTerminatorKind << "): " << describeFailure(in, failedField) << "; "
                      << keptPhrase(patches.size(), "patch", "patches") << "\n";
            return patches;
        }
    }
}

std::vector<TerrainPatch> parseTerrainPatches(const std::string& text, const char* fileName)
{
    std::istringstream in(text);
    return parseTerrainPatches(in, fileName);
}

bool readTerrainFile(const char* fileName, std::vector<TerrainPatch>& patches)
{
    patches.clear();
    std::ifstream in(fileName);
    if (!in.is_open())
        return false;
    patches = parseTerrainPatches(in, fileName);
    return true;
}
