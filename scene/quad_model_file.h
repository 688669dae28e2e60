// The quad model file ("data_textura.geo") read into plain data, with no GL:
// a record count N, then N records of a label, a texture id, four vertices
// (model space, y up) and four texture pairs, pair k belonging to vertex k.
// Entry points: QuadFileReader (one record at a time), parseQuadModel(),
// readQuadModelFile().
#pragma once

#include "scene/token_reader.h"

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

// One textured quad as read. Numbers are read as doubles and kept as the
// floats that go to the GL.
struct QuadRecord {
    int texture = 0;              // TextureId to bind, 2001..2017 in the default scene
    float vertices[4][3] = {};    // x, y, z of vertices 1..4, model units
    float texCoords[4][2] = {};   // s, t of vertices 1..4
};

// Bytes of a quad file read at a time.
constexpr std::size_t QuadFileChunkBytes = 1 << 16;

// The records of a model one at a time, so that a caller need not hold them
// all: tokens separated by any white space, numbers as the C locale's
// formatted extraction reads them (scene/token_reader.h). Records are read
// while their index is below N (so N = 2.5 reads three). Reading stops at
// the first token that is missing or does not parse: the records read in
// full before it stand, and one message naming fileName and the record goes
// to standard error. Labels of any length are skipped. A stream's bytes are
// read chunkBytes at a time; its text is never held whole.
class QuadFileReader {
public:
    QuadFileReader(std::istream& in, const char* fileName,
                   std::size_t chunkBytes = QuadFileChunkBytes);
    // Over the bytes of a whole file held in memory, which must outlive the
    // reader.
    QuadFileReader(const std::string& text, const char* fileName);

    // The next record into quad; false when the records end or one breaks
    // off (quad is then undefined), and from then on.
    bool next(QuadRecord& quad);

private:
    TokenReader tokens_;
    const char* fileName_;
    double count_ = 0;               // N, as read
    unsigned long long index_ = 0;   // of the next record
    bool counted_ = false;           // N has been read
    bool finished_ = false;
};

// All the records of the model in in, as QuadFileReader reads them.
std::vector<QuadRecord> parseQuadModel(std::istream& in, const char* fileName,
                                       std::size_t chunkBytes = QuadFileChunkBytes);

// The same on the bytes of a whole file held in memory.
std::vector<QuadRecord> parseQuadModel(const std::string& text, const char* fileName);

// Opens fileName as text and parses it into quads. A file that cannot be
// opened gives false and no quads, with no message.
bool readQuadModelFile(const char* fileName, std::vector<QuadRecord>& quads);
