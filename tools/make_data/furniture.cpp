// The furniture of the house (see furniture.h). Sizes in world units of
// about 10 cm: a seat at 4.5, a table top at 7.5, a worktop at 9.5.
#include "furniture.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double WoodScale = 6;  // the grain of furniture: boards 0.75 units wide
constexpr double StoneScale = 12;

TexRect wholeTexture() { return {0, 0, 1, 1}; }

} // namespace

Vec3 PieceFrame::direction(Vec3 v) const
{
    switch (place_.front) {
    case Facing::North: return v;
    case Facing::East: return {v.y, -v.x, v.z};
    case Facing::South: return {-v.x, -v.y, v.z};
    case Facing::West: return {-v.y, v.x, v.z};
    }
    return v;
}

Vec3 PieceFrame::at(Vec3 local) const
{
    return Vec3{place_.x, place_.y, place_.floorZ} + direction(local);
}

unsigned PieceFrame::worldSides(unsigned localSides) const
{
    struct SideDirection {
        BoxSide side;
        Vec3 outward;
    };
    constexpr SideDirection Sides[] = {
        {BoxWest, {-1, 0, 0}}, {BoxEast, {1, 0, 0}}, {BoxSouth, {0, -1, 0}}, {BoxNorth, {0, 1, 0}}};
    unsigned world = localSides & (BoxTop | BoxWithBottom);
    for (const SideDirection& local : Sides) {
        if (!(localSides & local.side))
            continue;
        const Vec3 d = direction(local.outward);
        for (const SideDirection& target : Sides)
            if (dot(d, target.outward) > 0.5)
                world |= target.side;
    }
    return world;
}

void PieceFrame::box(const std::string& part, int texture, double scale, Vec3 low, Vec3 high,
                     unsigned hidden) const
{
    const Vec3 a = at(low), b = at(high);
    addBox(model_, label_ + "_" + part, texture, {std::min(a.x, b.x), std::min(a.y, b.y), a.z},
           {std::max(a.x, b.x), std::max(a.y, b.y), b.z}, scale, worldSides(hidden));
}

void PieceFrame::pictureBox(const std::string& part, int texture, TexRect top, TexRect sides,
                            Vec3 low, Vec3 high, unsigned hidden) const
{
    const Vec3 a = at(low), b = at(high);
    addPictureBox(model_, label_ + "_" + part, texture, top, sides,
                  {std::min(a.x, b.x), std::min(a.y, b.y), a.z},
                  {std::max(a.x, b.x), std::max(a.y, b.y), b.z}, worldSides(hidden));
}

void PieceFrame::picture(const std::string& part, int texture, TexRect rect, Vec3 origin,
                         Vec3 across, Vec3 up, Vec3 facing) const
{
    addPicture(model_, label_ + "_" + part, texture, rect, at(origin), direction(across),
               direction(up), direction(facing));
}

void PieceFrame::leg(const std::string& part, double x, double y, double top, double width) const
{
    const TexRect grain{0, 0, width / WoodScale, top / WoodScale};
    picture(part + "_a", Tex::Wood, grain, {x - width / 2, y, 0}, {width, 0, 0}, {0, 0, top}, {0, 1, 0});
    picture(part + "_b", Tex::Wood, grain, {x, y - width / 2, 0}, {0, width, 0}, {0, 0, top}, {1, 0, 0});
}

// ------------------------------------------------------------ living room

void addFireplace(QuadModel& model, const std::string& label, Placement place)
{
    // 28 wide and 8 deep, its back (local -y) against the wall.
    const PieceFrame f(model, label, place);
    f.box("hearth", Tex::Stone, StoneScale, {-14, -4, 0}, {14, 6, 1}, BoxSouth);
    for (const double side : {-1.0, 1.0})
        f.box(side < 0 ? "jamb_left" : "jamb_right", Tex::Stone, StoneScale,
              {side < 0 ? -12.0 : 8.0, -4, 1}, {side < 0 ? -8.0 : 12.0, 3, 12}, BoxSouth | BoxTop);
    f.box("mantel", Tex::Wood, WoodScale, {-14, -4, 12}, {14, 4, 14}, BoxSouth | BoxWithBottom);
    f.box("breast", Tex::Plaster, 40, {-11, -4, 14}, {11, 1, 30}, BoxSouth | BoxTop);
    f.picture("fire", Tex::Details, detailRect(Detail::Fire), {-8, -3.7, 1}, {16, 0, 0}, {0, 0, 11},
              {0, 1, 0});
}

namespace {

// A sofa or armchair `width` wide: seat and back in cloth, arms either side.
void addUpholstered(QuadModel& model, const std::string& label, Placement place, double width)
{
    const PieceFrame f(model, label, place);
    const TexRect cloth = detailRect(Detail::Upholstery);
    const double h = width / 2;
    f.pictureBox("seat", Tex::Details, cloth, cloth, {-h + 2, -3, 0}, {h - 2, 5, 4.5},
                 BoxWest | BoxEast | BoxSouth);
    f.pictureBox("back", Tex::Details, cloth, cloth, {-h, -5, 0}, {h, -3, 9.5});
    f.pictureBox("arm_left", Tex::Details, cloth, cloth, {-h, -3, 0}, {-h + 2, 5, 6.5}, BoxSouth);
    f.pictureBox("arm_right", Tex::Details, cloth, cloth, {h - 2, -3, 0}, {h, 5, 6.5}, BoxSouth);
}

} // namespace

void addSofa(QuadModel& model, const std::string& label, Placement place)
{
    addUpholstered(model, label, place, 24);
}

void addArmchair(QuadModel& model, const std::string& label, Placement place)
{
    addUpholstered(model, label, place, 10);
}

void addCoffeeTable(QuadModel& model, const std::string& label, Placement place)
{
    const PieceFrame f(model, label, place);
    f.box("top", Tex::Wood, WoodScale, {-7, -4, 4}, {7, 4, 5});
    f.box("end_left", Tex::Wood, WoodScale, {-6, -3, 0}, {-5, 3, 4}, BoxTop);
    f.box("end_right", Tex::Wood, WoodScale, {5, -3, 0}, {6, 3, 4}, BoxTop);
}

void addBookcase(QuadModel& model, const std::string& label, Placement place, double width)
{
    const PieceFrame f(model, label, place);
    f.box("case", Tex::Wood, WoodScale, {-width / 2, -2.5, 0}, {width / 2, 2.5, 22}, BoxSouth);
    for (int shelf = 0; shelf < 2; ++shelf)
        f.picture("books_" + std::to_string(shelf + 1), Tex::Details, detailRect(Detail::Books),
                  {-width / 2 + 1, 2.8, 1 + 10.0 * shelf}, {width - 2, 0, 0}, {0, 0, 10}, {0, 1, 0});
}

// ---------------------------------------------------------- tables, seats

void addTable(QuadModel& model, const std::string& label, Placement place, double length,
              double width)
{
    const PieceFrame f(model, label, place);
    const double x = length / 2, y = width / 2;
    f.box("top", Tex::Wood, WoodScale, {-x, -y, 7}, {x, y, 7.6});
    int leg = 0;
    for (const double lx : {-x + 1, x - 1})
        for (const double ly : {-y + 1, y - 1})
            f.leg("leg_" + std::to_string(++leg), lx, ly, 7, 0.8);
}

void addChair(QuadModel& model, const std::string& label, Placement place)
{
    // The sitter faces the chair's front (+y). The back legs rise to carry
    // the back rail.
    const PieceFrame f(model, label, place);
    f.box("seat", Tex::Wood, WoodScale, {-2.2, -2.2, 4}, {2.2, 2.2, 4.6});
    f.box("back_rail", Tex::Wood, WoodScale, {-2.2, -2.2, 7.4}, {2.2, -1.8, 10}, BoxWithBottom);
    int leg = 0;
    for (const double lx : {-1.9, 1.9}) {
        f.leg("leg_" + std::to_string(++leg), lx, 1.9, 4, 0.45);
        f.leg("leg_" + std::to_string(++leg), lx, -2.0, 7.4, 0.45);
    }
}

void addBench(QuadModel& model, const std::string& label, Placement place, double length)
{
    const PieceFrame f(model, label, place);
    const double x = length / 2;
    f.box("seat", Tex::Wood, WoodScale, {-x, -2, 4}, {x, 2, 4.8});
    f.box("end_left", Tex::Wood, WoodScale, {-x + 0.5, -1.5, 0}, {-x + 1.5, 1.5, 4}, BoxTop);
    f.box("end_right", Tex::Wood, WoodScale, {x - 1.5, -1.5, 0}, {x - 0.5, 1.5, 4}, BoxTop);
}

void addChest(QuadModel& model, const std::string& label, Placement place, double length)
{
    const PieceFrame f(model, label, place);
    f.box("body", Tex::Wood, WoodScale, {-length / 2, -3, 0}, {length / 2, 3, 5.5}, BoxSouth | BoxTop);
    f.box("lid", Tex::Wood, WoodScale, {-length / 2 - 0.3, -3, 5.5}, {length / 2 + 0.3, 3.3, 6.3},
          BoxSouth);
}

// ----------------------------------------------------------------- kitchen

void addCounter(QuadModel& model, const std::string& label, Placement place, double length,
                CounterFittings fittings)
{
    // Cupboards under a stone worktop 9.5 high; the back (local -y) to the wall.
    const PieceFrame f(model, label, place);
    const double x0 = -length / 2, x1 = length / 2;
    const unsigned ends = fittings.hiddenEnds;
    f.box("cupboards", Tex::Wood, WoodScale, {x0, -3, 0}, {x1, 2.5, 8.5}, BoxSouth | BoxTop | ends);
    const int doors = std::max(1, int(length / 6));
    for (int d = 0; d < doors; ++d)
        f.picture("door_" + std::to_string(d + 1), Tex::FrontDoor, wholeTexture(),
                  {x0 + length * d / doors + 0.4, 2.8, 0.6}, {length / doors - 0.8, 0, 0},
                  {0, 0, 7.2}, {0, 1, 0});
    if (fittings.sinkAt <= 0) {
        f.box("worktop", Tex::Cement, 20, {x0, -3, 8.5}, {x1, 3, 9.5}, BoxSouth | ends);
    } else {
        // The worktop round the sink's opening, and the basin below it.
        const double s0 = x0 + fittings.sinkAt - 3.5, s1 = x0 + fittings.sinkAt + 3.5;
        f.box("worktop_left", Tex::Cement, 20, {x0, -3, 8.5}, {s0, 3, 9.5}, BoxSouth | (ends & BoxWest));
        f.box("worktop_right", Tex::Cement, 20, {s1, -3, 8.5}, {x1, 3, 9.5}, BoxSouth | (ends & BoxEast));
        f.box("worktop_front", Tex::Cement, 20, {s0, 1.5, 8.5}, {s1, 3, 9.5}, BoxWest | BoxEast);
        f.box("worktop_back", Tex::Cement, 20, {s0, -3, 8.5}, {s1, -1.5, 9.5},
              BoxWest | BoxEast | BoxSouth);
        const TexRect steel{0, 0, 0.4, 0.4};
        f.picture("basin_bottom", Tex::Cement, steel, {s0, -1.5, 5}, {7, 0, 0}, {0, 3, 0}, {0, 0, 1});
        f.picture("basin_front", Tex::Cement, steel, {s0, 1.5, 5}, {7, 0, 0}, {0, 0, 3.5}, {0, -1, 0});
        f.picture("basin_back", Tex::Cement, steel, {s0, -1.5, 5}, {7, 0, 0}, {0, 0, 3.5}, {0, 1, 0});
        f.picture("basin_left", Tex::Cement, steel, {s0, -1.5, 5}, {0, 3, 0}, {0, 0, 3.5}, {1, 0, 0});
        f.picture("basin_right", Tex::Cement, steel, {s1, -1.5, 5}, {0, 3, 0}, {0, 0, 3.5}, {-1, 0, 0});
        f.box("tap", Tex::Cement, 4, {(s0 + s1) / 2 - 0.3, -2.2, 9.5}, {(s0 + s1) / 2 + 0.3, -0.4, 11.5});
    }
    if (fittings.hobAt > 0)
        f.picture("hob", Tex::Details, detailRect(Detail::Hob), {x0 + fittings.hobAt - 4, -2.6, 9.65},
                  {8, 0, 0}, {0, 5, 0}, {0, 0, 1});
}

void addDresser(QuadModel& model, const std::string& label, Placement place)
{
    const PieceFrame f(model, label, place);
    f.box("body", Tex::Wood, WoodScale, {-8, -2.5, 0}, {8, 2.5, 22}, BoxSouth);
    for (const double x : {-7.5, 0.3})
        f.picture(x < 0 ? "door_left" : "door_right", Tex::FrontDoor, wholeTexture(), {x, 2.8, 0.6},
                  {7.2, 0, 0}, {0, 0, 9}, {0, 1, 0});
    f.picture("shelves", Tex::Details, detailRect(Detail::Books), {-7.5, 2.8, 11}, {15, 0, 0},
              {0, 0, 10}, {0, 1, 0});
}

// ----------------------------------------------------------------- bedroom

void addBed(QuadModel& model, const std::string& label, Placement place)
{
    // 16 wide and 21 long; the head (local -y) against the wall, the foot
    // towards the front.
    // The bedspread hangs over the mattress's sides, which show its border.
    const PieceFrame f(model, label, place);
    const TexRect quilt = detailRect(Detail::Quilt);
    const TexRect border = partOf(quilt, 0.1, 0.05, 0.9, 0.125);
    const TexRect linen = partOf(quilt, 0.3, 0.3, 0.34, 0.34);
    f.box("headboard", Tex::Wood, WoodScale, {-8.5, -10.5, 0}, {8.5, -9.7, 13}, BoxSouth);
    f.box("frame", Tex::Wood, WoodScale, {-8, -9.7, 0}, {8, 10.5, 4}, BoxSouth);
    f.pictureBox("mattress", Tex::Details, quilt, border, {-7.6, -9.5, 4}, {7.6, 10.2, 6.5});
    f.pictureBox("pillow_left", Tex::Details, linen, linen, {-7, -9.2, 6.5}, {-0.5, -5.5, 8});
    f.pictureBox("pillow_right", Tex::Details, linen, linen, {0.5, -9.2, 6.5}, {7, -5.5, 8});
}

void addBedsideTable(QuadModel& model, const std::string& label, Placement place)
{
    const PieceFrame f(model, label, place);
    f.box("body", Tex::Wood, WoodScale, {-2.5, -2.5, 0}, {2.5, 2.5, 5.5}, BoxSouth);
    const TexRect shade = partOf(detailRect(Detail::Quilt), 0.3, 0.3, 0.34, 0.34);
    f.pictureBox("lamp", Tex::Details, shade, shade, {-1, -1, 5.5}, {1, 1, 8.5});
}

void addWardrobe(QuadModel& model, const std::string& label, Placement place)
{
    const PieceFrame f(model, label, place);
    f.box("body", Tex::Wood, WoodScale, {-9, -3, 0}, {9, 3, 22}, BoxSouth);
    for (const double x : {-8.6, 0.2})
        f.picture(x < 0 ? "door_left" : "door_right", Tex::FrontDoor, wholeTexture(), {x, 3.3, 0.6},
                  {8.4, 0, 0}, {0, 0, 20.8}, {0, 1, 0});
}

// --------------------------------------------------------- walls, floors

void addWallPicture(QuadModel& model, const std::string& label, Detail picture, Vec3 centre,
                    Facing front, double width, double height)
{
    const PieceFrame f(model, label, {centre.x, centre.y, front, centre.z});
    f.picture("picture", Tex::Details, detailRect(picture), {-width / 2, 0, -height / 2},
              {width, 0, 0}, {0, 0, height}, {0, 1, 0});
}

void addTilePanel(QuadModel& model, const std::string& label, Vec3 centre, Facing front,
                  int columns, int rows)
{
    constexpr double Cell = 5.6;  // four tiles of 14 cm
    const PieceFrame f(model, label, {centre.x, centre.y, front, centre.z});
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            f.picture("tiles_" + std::to_string(r * columns + c + 1), Tex::Details,
                      detailRect(Detail::Azulejos),
                      {(c - columns / 2.0) * Cell, 0, (r - rows / 2.0) * Cell}, {Cell, 0, 0},
                      {0, 0, Cell}, {0, 1, 0});
}

void addRug(QuadModel& model, const std::string& label, double x0, double y0, double x1,
            double y1, double floorZ)
{
    addPicture(model, label, Tex::Details, detailRect(Detail::Rug), {x0, y0, floorZ + 0.15},
               {x1 - x0, 0, 0}, {0, y1 - y0, 0}, {0, 0, 1});
}
