// The garden's shed, pergola, beds, tank, washing line, wood pile and bench
// (see garden_features.h).
#include "garden_features.h"

#include "buildings.h"

namespace {

constexpr double StoneScale = 16;
constexpr double WoodScale = 8;

} // namespace

void addShed(QuadModel& model, const std::string& label, double x0, double y0, double x1,
             double y1)
{
    const double doorAt = (y1 - y0) / 2 - 6;
    addBuilding(model, {label, x0, y0, x1, y1, true, 19, 32, 3, {{1e9, Tex::Stone, 20}},
                        {{doorAt, doorAt + 12, 0.5, 17, Fill::Pane, Tex::PlankDoor}}, {}, {}, {}});
}

void addPergola(QuadModel& model, const std::string& label, double wallX, double depth, double y0,
                double y1)
{
    constexpr double BeamZ = 22, PostHalf = 1, VineZ = 25.2;
    const double outer = wallX + depth;
    const double posts[] = {y0 + 2, (y0 + y1) / 2, y1 - 2};
    int n = 0;
    for (const double py : posts) {
        const std::string i = std::to_string(++n);
        addBox(model, label + "_post_" + i, Tex::BoundaryWall, {outer - 2 * PostHalf, py - PostHalf, -0.5},
               {outer, py + PostHalf, BeamZ}, 10, BoxTop);
        addBox(model, label + "_beam_" + i, Tex::Wood, {wallX, py - 0.6, BeamZ}, {outer + 1, py + 0.6, BeamZ + 1.5},
               WoodScale, BoxWest | BoxWithBottom);
    }
    // A rail along the posts' tops carries the vine's wires.
    addBox(model, label + "_rail", Tex::Wood, {outer - 1.6, y0, BeamZ + 1.5}, {outer - 0.4, y1, VineZ - 0.2},
           WoodScale);
    const TexRect vine = detailRect(Detail::Vine);
    forEachPiece(wallX + 0.5, y0 - 1, outer + 1.5, y1 + 1, 24,
             [&](double ax, double ay, double bx, double by, unsigned, int i) {
                 forEachPiece(ax, ay, bx, by, 24, [&](double cx, double cy, double dx, double dy, unsigned, int j) {
                     addPicture(model, label + "_vine_" + std::to_string(i + 1) + "_" + std::to_string(j + 1),
                                Tex::Details, vine, {cx, cy, VineZ}, {dx - cx, 0, 0}, {0, dy - cy, 0},
                                {0, 0, 1});
                 });
             });
}

void addVegetableBed(QuadModel& model, const std::string& label, double x0, double y0, double x1,
                     double y1)
{
    constexpr double SideZ = 1.8, SoilZ = 1.4;
    addBox(model, label + "_sides", Tex::Wood, {x0, y0, -0.5}, {x1, y1, SideZ}, WoodScale, BoxTop);
    // The rows of plants inside the boards, in pieces of the picture's size.
    const TexRect rows = detailRect(Detail::Vegetables);
    forEachPiece(x0 + 0.6, y0 + 0.6, x1 - 0.6, y1 - 0.6, 12,
             [&](double ax, double ay, double bx, double by, unsigned, int i) {
                 addPicture(model, label + "_plants_" + std::to_string(i + 1), Tex::Details, rows,
                            {ax, ay, SoilZ}, {bx - ax, 0, 0}, {0, by - ay, 0}, {0, 0, 1});
             });
}

void addFlowerBed(QuadModel& model, const std::string& label, double x0, double y0, double x1,
                  double y1)
{
    addBox(model, label + "_kerb", Tex::BoundaryWall, {x0, y0, -0.5}, {x1, y1, 1}, 10, BoxTop);
    const TexRect flowers = detailRect(Detail::Flowers), leaves = detailRect(Detail::Hedge);
    forEachPiece(x0 + 0.4, y0 + 0.4, x1 - 0.4, y1 - 0.4, 10,
             [&](double ax, double ay, double bx, double by, unsigned inner, int i) {
                 addPictureBox(model, label + "_flowers_" + std::to_string(i + 1), Tex::Details, flowers,
                               leaves, {ax, ay, 1}, {bx, by, 2.6}, inner);
             });
}

void addWaterTank(QuadModel& model, const std::string& label, double x0, double y0, double x1,
                  double y1)
{
    constexpr double RimZ = 6, Wall = 1.5, WaterLevel = 5;
    // Four granite walls round the water; their inner faces go below it.
    addBox(model, label + "_wall_south", Tex::BoundaryWall, {x0, y0, -0.5}, {x1, y0 + Wall, RimZ}, 10);
    addBox(model, label + "_wall_north", Tex::BoundaryWall, {x0, y1 - Wall, -0.5}, {x1, y1, RimZ}, 10);
    addBox(model, label + "_wall_west", Tex::BoundaryWall, {x0, y0 + Wall, -0.5}, {x0 + Wall, y1 - Wall, RimZ},
           10, BoxSouth | BoxNorth);
    addBox(model, label + "_wall_east", Tex::BoundaryWall, {x1 - Wall, y0 + Wall, -0.5}, {x1, y1 - Wall, RimZ},
           10, BoxSouth | BoxNorth);
    model.addFloor(label + "_water", Tex::Water, x0 + Wall, y0 + Wall, x1 - Wall, y1 - Wall, WaterLevel, 12);
    // A spout in the north wall, pouring from a pipe.
    const double mx = (x0 + x1) / 2;
    addBox(model, label + "_spout", Tex::Cement, {mx - 0.3, y1 - Wall - 2, RimZ - 1.2}, {mx + 0.3, y1 - Wall, RimZ - 0.6},
           4, BoxNorth | BoxWithBottom);
}

void addWashingLine(QuadModel& model, const std::string& label, double x0, double x1, double y)
{
    constexpr double PostZ = 17, LineZ = 16, Hang = 6;
    for (const double x : {x0, x1})
        addBox(model, label + (x == x0 ? "_post_west" : "_post_east"), Tex::Wood, {x - 0.4, y - 0.4, -0.5},
               {x + 0.4, y + 0.4, PostZ}, WoodScale);
    // The washing, a few pieces side by side along the line.
    const TexRect washing = detailRect(Detail::Washing);
    const double from = x0 + 2, to = x1 - 2;
    forEachPiece(from, y - 0.1, to, y + 0.1, 14, [&](double ax, double, double bx, double, unsigned, int i) {
        addPicture(model, label + "_washing_" + std::to_string(i + 1), Tex::Details, washing,
                   {ax, y, LineZ - Hang}, {bx - ax, 0, 0}, {0, 0, Hang}, {0, -1, 0});
    });
}

void addWoodPile(QuadModel& model, const std::string& label, double x0, double y0, double x1,
                 double y1, double height)
{
    const TexRect ends = detailRect(Detail::LogEnds);
    forEachPiece(x0, y0, x1, y1, 2 * height, [&](double ax, double ay, double bx, double by, unsigned inner, int i) {
        addPictureBox(model, label + "_logs_" + std::to_string(i + 1), Tex::Details,
                      partOf(ends, 0, 0.8, 1, 1), ends, {ax, ay, -0.3}, {bx, by, height}, inner | BoxNorth);
    });
    // A lean-to of tiles over it, from the wall behind.
    model.add(label + "_roof", Tex::RoofTiles,
              {Vec3{x0 - 1, y0 - 2, height + 2}, Vec3{x1 + 1, y0 - 2, height + 2},
               Vec3{x1 + 1, y1, height + 4}, Vec3{x0 - 1, y1, height + 4}},
              {TexCoord{0, 0}, TexCoord{(x1 - x0 + 2) / 28, 0}, TexCoord{(x1 - x0 + 2) / 28, 0.3},
               TexCoord{0, 0.3}},
              {0, -0.3, 1});
}

void addStoneBench(QuadModel& model, const std::string& label, double x, double y0, double y1)
{
    addBox(model, label + "_seat", Tex::BoundaryWall, {x - 2.5, y0, 4}, {x + 2.5, y1, 5}, 10,
           BoxWithBottom);
    for (const double y : {y0 + 1, y1 - 3})
        addBox(model, label + (y < (y0 + y1) / 2 ? "_foot_south" : "_foot_north"), Tex::BoundaryWall,
               {x - 2, y, -0.5}, {x + 2, y + 2, 4}, 10, BoxTop);
}
