// The farmland beyond the walls: fields bounded by dry-stone walls, a
// vineyard and an olive grove, the neighbours' farm by the road (house,
// barn and granary), the farm track with its field gate and its footbridge
// over the river, and trees in groups. Entry point: addBeyond().
//
// The fields follow the lines of the land's grid (scene_layout.h), so that
// their walls stand on the seams between its cells; the walls along the
// foot of the hills hide where the hills' patches meet the flat land.
#include "scene_layout.h"

#include "buildings.h"
#include "plants.h"

#include <cmath>

namespace {

constexpr double WallZ = 6, WallHalf = 1.25;  // dry-stone walls, 60 cm high

// A wall centred on the line x = const (along y) or y = const (along x)
// from `from` to `to`.
void wallAlongX(QuadModel& model, const std::string& label, double y, double from, double to,
                unsigned hidden = 0)
{
    addDryStoneWall(model, label, from, y - WallHalf, to, y + WallHalf, WallZ, hidden);
}
void wallAlongY(QuadModel& model, const std::string& label, double x, double from, double to,
                unsigned hidden = 0)
{
    addDryStoneWall(model, label, x - WallHalf, from, x + WallHalf, to, WallZ, hidden);
}

void addFieldWalls(QuadModel& model)
{
    const double e = TerrainEdge;
    const double outside = BoundaryThickness / 2;  // the boundary wall's outer faces
    // Along the foot of the hills: north beyond the river, east south of it.
    wallAlongX(model, "field_wall_hills_north_west", HillsNorthY, -e, TrackWest);
    wallAlongX(model, "field_wall_hills_north_east", HillsNorthY, TrackEast, e);
    wallAlongY(model, "field_wall_hills_east", HillsEastX, -e, HillsEastTopY + WallHalf);
    wallAlongX(model, "field_wall_hills_east_top", HillsEastTopY, HillsEastX + WallHalf, e, BoxWest);
    // Between the grounds and the river: two rows of fields either side of
    // the track, split at x = 620.
    for (const double y : {BoundaryNorth, 620.0}) {
        const std::string row = "field_wall_" + std::to_string(int(y));
        wallAlongX(model, row + "_west", y, -700, y == BoundaryNorth ? BoundaryWest - outside : TrackWest,
                   y == BoundaryNorth ? unsigned(BoxEast) : 0u);
        if (y == BoundaryNorth)
            wallAlongX(model, row + "_middle", y, BoundaryEast + outside, TrackWest, BoxWest);
        wallAlongX(model, row + "_east", y, TrackEast, HillsEastX - WallHalf, BoxEast);
    }
    wallAlongY(model, "field_wall_620_north", 620, BoundaryNorth + WallHalf, 620 - WallHalf,
               BoxSouth | BoxNorth);
    wallAlongY(model, "field_wall_620_river", 620, 620 + WallHalf, RiverSouthBank - 4, BoxSouth);
    // South-east of the grounds.
    wallAlongX(model, "field_wall_south_160", BoundarySouth, BoundaryEast + outside,
               HillsEastX - WallHalf, BoxWest | BoxEast);
    wallAlongX(model, "field_wall_south_600", -600, -400, HillsEastX - WallHalf, BoxEast);
    wallAlongY(model, "field_wall_south_380", BoundaryEast, -600 + WallHalf, BoundarySouth - outside,
               BoxSouth | BoxNorth);
    wallAlongY(model, "field_wall_south_620", 620, -600 + WallHalf, BoundarySouth - WallHalf,
               BoxSouth | BoxNorth);
}

// The farm track from the field gate at y = 360 north to the footbridge,
// and on beyond the river towards the hills.
void addTrack(QuadModel& model)
{
    const double middle = (TrackWest + TrackEast) / 2;
    model.add("field_gate", Tex::PlankDoor,
              {Vec3{TrackEast, BoundaryNorth, 0.3}, Vec3{TrackWest, BoundaryNorth, 0.3},
               Vec3{TrackWest, BoundaryNorth, 9}, Vec3{TrackEast, BoundaryNorth, 9}},
              {TexCoord{0, 0}, TexCoord{1, 0}, TexCoord{1, 0.5}, TexCoord{0, 0.5}}, {0, -1, 0});
    addFootbridge(model, "footbridge", middle, RiverSouthBank - 10, RiverNorthBank + 10, 3);
}

// The neighbours' farm north of the road's bend: a rendered house facing the
// road, a stone barn beside it, a granary behind.
void addFarm(QuadModel& model)
{
    const std::vector<FaceBand> rendered = {{4, Tex::Stone, 20}, {1e9, Tex::Plaster, 40}};
    const std::vector<FaceBand> stone = {{1e9, Tex::Stone, 20}};
    auto window = [](double from, double bottom) {
        return Opening{from, from + 10, bottom, bottom + 11, Fill::Pane, Tex::Window};
    };
    addBuilding(model, {"farm_house", -440, 150, -390, 185, true, 24, 36, 4, rendered,
                        {window(12, 8)},
                        {window(6, 8), {21, 31, 0.5, 21, Fill::Pane, Tex::PlankDoor}, window(36, 8)},
                        {window(12, 8)},
                        {window(20, 8)}});
    addBuilding(model, {"farm_barn", -370, 140, -318, 190, false, 22, 38, 4, stone,
                        {}, {{15, 37, 0.5, 18, Fill::Pane, Tex::PlankDoor}}, {}, {}});
    addGranary(model, "farm_granary", -412, 214);
}

// Trees in groups, and the vineyard's and the olive grove's rows.
void addTreesAndCrops(QuadModel& model)
{
    // Vines in rows across the field between the river and the wall at 620,
    // east of x = 620: low dark hedges of leaves, two metres apart, seen
    // from afar (their leaves drawn long along the row).
    const TexRect vines = detailRect(Detail::Hedge);
    for (int row = 0; row < 10; ++row) {
        const double x = 640 + 20.0 * row;
        addPictureBox(model, "vineyard_row_" + std::to_string(row + 1), Tex::Details, vines, vines,
                      {x - 1, 632, -0.5}, {x + 1, 862, 7});
    }
    int n = 0;
    for (const double x : {430.0, 500.0, 570.0})
        for (const double y : {410.0, 520.0}) {
            ++n;
            addOliveTree(model, "olive_grove_" + std::to_string(n), x, y, 0.13 * n);
        }
    // By the river, in the view across it; by the farm; in the fields east
    // and south of the grounds; cypresses either side of the gate.
    struct Spot {
        double x, y, scale, turn;
    };
    constexpr Spot Oaks[] = {{520, 846, 0.9, 0.1}, {568, 858, 0.7, 0.3}, {606, 840, 0.8, 0.5},
                             {905, 850, 0.85, 0.2}, {950, 836, 0.7, 0.4}, {1100, 200, 1.0, 0.1},
                             {1150, 250, 0.8, 0.3}, {1085, 290, 0.9, 0.6}, {-620, -900, 0.9, 0.2},
                             {-665, -960, 0.7, 0.4}};
    n = 0;
    for (const Spot& t : Oaks) {
        ++n;
        addOak(model, "oak_" + std::to_string(n), t.x, t.y, t.scale, t.turn);
    }
    constexpr Spot Pines[] = {{-470, 175, 1.0, 0.2}, {-485, 262, 0.9, 0.5}, {-442, 295, 1.1, 0.7},
                              {-590, -1010, 1.0, 0.1}};
    n = 0;
    for (const Spot& t : Pines) {
        ++n;
        addStonePine(model, "stone_pine_" + std::to_string(n), t.x, t.y, t.scale, t.turn);
    }
    constexpr Spot Olives[] = {{150, -380, 1, 0.1}, {222, -420, 1, 0.3}, {290, -385, 1, 0.5},
                               {250, -475, 1, 0.7}};
    n = 0;
    for (const Spot& t : Olives) {
        ++n;
        addOliveTree(model, "olive_" + std::to_string(n), t.x, t.y, t.turn);
    }
    addCypress(model, "cypress_gate_south", -96, -42, 50, 8);
    addCypress(model, "cypress_gate_north", -96, 22, 50, 8);
    addCypress(model, "cypress_farm", -300, 212, 56, 9);
    addCypress(model, "cypress_river_1", 872, 850, 62, 10);
    addCypress(model, "cypress_river_2", 1200, 846, 66, 11);
}

} // namespace

void addBeyond(QuadModel& model)
{
    addFieldWalls(model);
    addTrack(model);
    addFarm(model);
    addTreesAndCrops(model);
}
