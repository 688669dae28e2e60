// The terrain patch file ("data_terreno.geo") read into plain data, with no
// GL: a count C, then patch records until a record of kind 69. Each record
// holds a kind, a colour, a spare integer and a 3 x 3 grid of control points
// (model space, y up). Entry points: parseTerrainPatches(), readTerrainFile().
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The kind that marks the end of the patch records.
constexpr int TerrainTerminatorKind = 69;

// One biquadratic Bezier patch as read.
struct TerrainPatch {
    int kind = 0;   // 1..4 select a raw texture; also the red of the patch colour
    int green = 0;
    int blue = 0;
    // P[r][c] at index 9r + 3c (x, y, z): rows r run along the evaluator's v,
    // columns c along its u. Model units.
    float controlPoints[27] = {};
};

// Reads the patches from in, tokens separated by any white space, numbers in
// the C locale. Only whether C > 0 matters; then records are read until the
// terminator, which may be cut short by the end of the file (down to the
// single number 69) and after which nothing is read. A record that is missing
// or holds a token that does not parse before the terminator stops the
// reading: the patches read in full are kept and one message naming fileName
// and the record goes to standard error.
std::vector<TerrainPatch> parseTerrainPatches(std::istream& in, const char* fileName);

// The same on the bytes of a whole file held in memory.
std::vector<TerrainPatch> parseTerrainPatches(const std::string& text, const char* fileName);

// Opens fileName as text and parses it. A file that cannot be opened gives
// false and no patches, with no message.
bool readTerrainFile(const char* fileName, std::vector<TerrainPatch>& patches);
