// Building blocks of the default scene's geometry: textured quads and Bezier
// terrain patches collected in world space, and their writing as the two
// scene files. Entry points: QuadModel, TerrainModel, addBox, addPictureBox,
// addPicture, addWall (walls.cpp).
//
// World space is z up, in units of about 10 cm. The scene files are read in
// model space, y up, and drawn turned +90 degrees about x, so that a model
// point (x, y, z) appears at world (x, -z, y); the writers turn each world
// point (X, Y, Z) into the model point (X, Z, -Y).
#pragma once

#include "detail_cells.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }
inline double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Texture coordinates of one corner.
struct TexCoord {
    double s = 0, t = 0;
};

// Where a picture lies in a bitmap: s from s0 to s1, t from t0 to t1.
struct TexRect {
    double s0 = 0, t0 = 0, s1 = 1, t1 = 1;
};

// A cell of the details bitmap, less half a texel all round, so that the
// nearest texel of a quad's edge is still the cell's own.
TexRect detailRect(Detail cell);
// The part [u0, u1] x [v0, v1] of a picture, in fractions of its width and
// height.
TexRect partOf(TexRect picture, double u0, double v0, double u1, double v1);

// The bitmap textures by what they show; the values are the program's ids.
namespace Tex {
constexpr int FrontDoor = 2001;     // Porta.bmp
constexpr int BoundaryWall = 2002;  // muro.bmp
constexpr int PlankDoor = 2003;     // Porta3.bmp
constexpr int RoofTiles = 2004;     // Telhado1.bmp
constexpr int Stubble = 2005;       // Garagem.bmp: dry grass and stubble of the fields
constexpr int Window = 2006;        // Janela1.bmp
constexpr int Plaster = 2007;       // Parede1.bmp
constexpr int Grass = 2008;         // Relva1.bmp
constexpr int Pavement = 2009;      // calcada.bmp
constexpr int Cement = 2010;        // cimento.bmp
constexpr int Asphalt = 2011;       // alcatrao.bmp
constexpr int Path = 2012;          // caminho.bmp
constexpr int Wood = 2013;          // madeira2.bmp
constexpr int Stone = 2014;         // pedra.bmp
constexpr int Details = 2015;       // respiradouro.bmp: the details cells (detail_cells.h)
constexpr int Water = 2017;         // agua.bmp
} // namespace Tex

// The surface kinds of the terrain file (which raw image a patch shows).
namespace Ground {
constexpr int Heath = 1;    // janela.raw: heather and gorse on the hills
constexpr int Grass = 2;    // Relva1.raw
constexpr int Asphalt = 3;  // alcatrao.raw
constexpr int Woods = 4;    // cimento2.raw: pine woods seen from afar
} // namespace Ground

class QuadModel {
public:
    // One quad, corners in world space and in drawing order. The program takes
    // the quad's normal from corners 1 to 3; if that normal points away from
    // `facing`, the corners are written in the opposite order, so that the lit
    // side is the one a visitor sees.
    void add(const std::string& label, int texture, std::array<Vec3, 4> corners,
             std::array<TexCoord, 4> st, Vec3 facing);

    // An axis-aligned rectangle on the plane z = height, facing up or down,
    // with the texture laid in world space: s = x / scale, t = y / scale.
    void addFloor(const std::string& label, int texture, double x0, double y0, double x1,
                  double y1, double height, double scale, bool facingUp = true);

    std::size_t size() const { return quads_.size(); }
    // The data_textura.geo text: the record count, then one record per line,
    // the quads of each texture together.
    std::string text() const;

private:
    struct Quad {
        std::string label;
        int texture;
        std::array<Vec3, 4> corners;
        std::array<TexCoord, 4> st;
    };
    std::vector<Quad> quads_;
};

// 3 x 3 control points, row r and column c at [r][c]; the columns run along
// the evaluator's u and the rows along v.
using ControlGrid = std::array<std::array<Vec3, 3>, 3>;

class TerrainModel {
public:
    // Lit from above when the columns run towards +x and the rows towards +y.
    void add(int kind, const ControlGrid& points);

    std::size_t size() const { return patches_.size(); }
    // The data_terreno.geo text: the count, the patches, the terminator.
    std::string text() const;

private:
    struct Patch {
        int kind;
        ControlGrid points;
    };
    std::vector<Patch> patches_;
};

// Faces of a box that another part covers, left out so that no two quads
// share a plane over the same area (and no quad is drawn unseen); and the
// bottom, which is left out unless asked for, for a box seen from below.
enum BoxSide : unsigned {
    BoxWest = 1,
    BoxEast = 2,
    BoxSouth = 4,
    BoxNorth = 8,
    BoxTop = 16,
    BoxWithBottom = 32
};

// A rectangular box from corner `low` to corner `high`: its four sides and
// its top (less `hiddenSides`), all with one texture laid in world space at
// `scale` units per repeat.
void addBox(QuadModel& model, const std::string& label, int texture, Vec3 low, Vec3 high,
            double scale, unsigned hiddenSides = 0);

// The same box with a whole picture of `texture` stretched over each face:
// `top` on the top and bottom, `sides` on the four sides. For cloth,
// cushions, hedges, the cells of the details bitmap.
void addPictureBox(QuadModel& model, const std::string& label, int texture, TexRect top,
                   TexRect sides, Vec3 low, Vec3 high, unsigned hiddenSides = 0);

// Cuts the rectangle [x0, x1] x [y0, y1] into pieces of about `piece`
// units along its longer side, so that a picture of the details bitmap
// stretched over each keeps its size; calls `each(x0, y0, x1, y1 of the
// piece, the sides it shares with its neighbours (BoxWest...), its index)`.
template <typename Each>
void forEachPiece(double x0, double y0, double x1, double y1, double piece, Each each)
{
    const bool alongX = x1 - x0 >= y1 - y0;
    const int count = std::max(1, int(std::lround((alongX ? x1 - x0 : y1 - y0) / piece)));
    for (int i = 0; i < count; ++i) {
        const double a = double(i) / count, b = double(i + 1) / count;
        unsigned inner = 0;
        if (i > 0)
            inner |= alongX ? BoxWest : BoxSouth;
        if (i + 1 < count)
            inner |= alongX ? BoxEast : BoxNorth;
        if (alongX)
            each(x0 + (x1 - x0) * a, y0, x0 + (x1 - x0) * b, y1, inner, i);
        else
            each(x0, y0 + (y1 - y0) * a, x1, y0 + (y1 - y0) * b, inner, i);
    }
}

// One quad showing the whole picture `rect`: the corners are `origin`,
// origin + across, origin + across + up and origin + up, the picture's
// bottom along `across`; lit on the side `facing` points to.
void addPicture(QuadModel& model, const std::string& label, int texture, TexRect rect,
                Vec3 origin, Vec3 across, Vec3 up, Vec3 facing);

// Where a wall face changes material: up to `top`, the face shows `texture`
// at `scale` units per repeat.
struct FaceBand {
    double top;
    int texture;
    double scale;
};

// What fills an opening in a wall.
enum class Fill {
    None,     // an open doorway or arch
    Pane,     // one quad in the middle of the wall: window, closed door, vent
    OpenDoor  // a door leaf turned into the room about the opening's start
};

// An opening, placed along the wall from its start and in world height.
struct Opening {
    double from, to;
    double bottom, top;
    Fill fill = Fill::None;
    int texture = 0;
    TexRect picture = {};  // where the fill's picture lies in its bitmap
};

// A straight wall: its outer face runs from `start` to `end` with the outside
// on the right, seen from above; the inner face lies `thickness` to the left.
// The inner face is shortened by `innerTrim` at each end, where it meets the
// inner faces of the walls at the corners (0 for a wall between rooms, which
// ends against other walls). Each face is cut around the openings, and each
// opening gets its four reveals and its fill.
struct Wall {
    std::string label;
    double startX, startY, endX, endY;
    double thickness;
    double innerTrim;
    double outerBottom, outerTop;
    std::vector<FaceBand> outerBands;
    double innerBottom, innerTop;
    std::vector<FaceBand> innerBands;
    std::vector<Opening> openings;
};

void addWall(QuadModel& model, const Wall& wall);

// Writes text to path, replacing the file; ends the program with a message if
// that fails.
void writeText(const std::string& path, const std::string& text);
