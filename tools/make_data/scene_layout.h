// Where the parts of the default scene stand, shared by the files that
// describe them: the house's outline and rooms, the garage yard and its ramp,
// the boundary wall and its gate, the river, the grid of the land outside the
// walls, and the ground covers. World space is z up, about 10 cm to the unit.
#pragma once

#include "scene_builder.h"

#include <string>
#include <vector>

// ---------------------------------------------------------------- the house
constexpr double FloorZ = 2;            // top of the ground floor
constexpr double CeilingZ = 32;         // underside of the ceiling
constexpr double OuterWall = 3;         // thickness of the outer walls
constexpr double InnerWall = 2;         // thickness of the walls between rooms
constexpr double HouseX = 150, HouseY = 200;
constexpr double GarageFloorZ = -28;
// The walls between rooms: x 100..102 from front to back, y 60..62 between
// the hall and the living room, y 100..102 between kitchen and bedroom.
constexpr double MiddleWallX = 100, HallWallY = 60, KitchenWallY = 100;

// The yard in front of the garage door, and the ramp down to it from the
// courtyard: the ramp falls along +x from the ground at x = -15 to the yard
// floor at x = 85; the yard reaches to x = 215.
constexpr double RampStartX = -15, RampEndX = 85, YardEndX = 215;
constexpr double YardSouthY = -70;
// The ramp's surface at x: level at both ends, steepest half way down.
double rampZ(double x);

// ---------------------------------------------- boundary wall and gate
constexpr double BoundaryWest = -80, BoundaryEast = 380;
constexpr double BoundarySouth = -160, BoundaryNorth = 360;
constexpr double BoundaryThickness = 3, BoundaryTopZ = 10;
constexpr double GateY = -10, GateHalfWidth = 18;

// ------------------------------------------------------- road and river
// The ground reaches beyond the sky sphere (radius 2500) on every side.
constexpr double TerrainEdge = 2600;

// The river runs along x between its banks' tops at y 880 and 990; its
// water lies at -3, below the banks. The view across it stands just beyond
// its northern bank, at (1000, 1000), two units above the ground.
constexpr double RiverSouthBank = 880, RiverNorthBank = 990;
constexpr double WaterZ = -3;
// A footbridge crosses it on the farm track at x 842..858.
constexpr double TrackWest = 842, TrackEast = 858;

// ------------------------------------------------------- the land outside
// The flat land outside the walls is a grid whose every cell is one ground
// quad, so that no corner of one cell lies along another's edge (where the
// renderer could leave a pinhole). The walled grounds fill one cell, the
// river one row. Beyond y = 1300, and beyond x = 1300 south of y = 620, the
// land rises in hills; dry-stone walls stand along those edges.
constexpr double LandXs[] = {-TerrainEdge, -1300, -700, -400, BoundaryWest, BoundaryEast, 620,
                             TrackWest, TrackEast, 970, 1030, 1300, TerrainEdge};
constexpr double LandYs[] = {-TerrainEdge, -1300, -600, BoundarySouth, BoundaryNorth, 620,
                             RiverSouthBank, RiverNorthBank, 1030, 1150, 1300};
constexpr double HillsNorthY = 1300, HillsEastX = 1300, HillsEastTopY = 620;

// ------------------------------------------------------------ ground cover
// A texture laid on the ground in world space, `scale` units per repeat.
struct GroundCover {
    int texture;
    double scale;
};
// Grass close to the cameras repeats finely, so that its texels stay small
// a few metres in front of a low eye; far fields repeat it coarsely, so that
// the picture does not break into noise where the ground is far away.
constexpr GroundCover NearGrass{Tex::Grass, 64};
constexpr GroundCover FieldGrass{Tex::Grass, 128};
constexpr GroundCover FarGrass{Tex::Grass, 320};
// Where the view across the river stands, two units above the grass.
constexpr GroundCover RiversideGrass{Tex::Grass, 16};
// The farm track's gravel and flagstones.
constexpr GroundCover TrackCover{Tex::Path, 20};

// The cover of the land's cell [x0, x1] x [y0, y1]: fine grass where the low
// cameras look (by the road, either side of the river near the view across
// it), coarser further out.
GroundCover landCover(double x0, double y0, double x1, double y1);

// A flat rectangle of ground at height z.
void addGround(QuadModel& model, const std::string& label, GroundCover cover, double x0,
               double y0, double x1, double y1, double z = 0);

// ------------------------------------------------------------- the areas
// scene_house.cpp: the house, its roof, and the garage yard with its ramp.
void addHouse(QuadModel& model);
void addGarageYard(QuadModel& model);
// scene_rooms.cpp: the furniture of the four rooms and the hall.
void addRooms(QuadModel& model);
// scene_garden.cpp: the boundary wall and gate, and the garden inside it.
void addBoundary(QuadModel& model);
void addGrounds(QuadModel& model);
// scene_road_river.cpp: the road to the gate, and the river's banks and
// water.
void addRoad(QuadModel& model);
void addRiver(QuadModel& model);
// scene_beyond.cpp: the fields, farm, track, footbridge and trees outside
// the walls.
void addBeyond(QuadModel& model);
// scene_terrain.cpp: the land outside the walls as ground quads, and the
// Bezier patches of the hills and of the ramp.
void addLand(QuadModel& model);
void addTerrain(TerrainModel& terrain);
