// Where the parts of the default scene stand, shared by the files that
// describe them: the house's outline and floor heights, the garage yard and
// its ramp, the boundary wall and its gate, the river, and how far the ground
// reaches. World space is z up, about 10 cm to the unit.
#pragma once

#include "scene_builder.h"

// ---------------------------------------------------------------- the house
constexpr double FloorZ = 2;            // top of the ground floor
constexpr double CeilingZ = 32;         // underside of the ceiling
constexpr double OuterWall = 3;         // thickness of the outer walls
constexpr double InnerWall = 2;         // thickness of the walls between rooms
constexpr double HouseX = 150, HouseY = 200;
constexpr double GarageFloorZ = -28;

// The yard in front of the garage door, and the ramp down to it from the
// courtyard: the ramp falls along +x from the ground at x = -15 to the yard
// floor at x = 85; the yard reaches to x = 215.
constexpr double RampStartX = -15, RampEndX = 85, YardEndX = 215;
constexpr double YardSouthY = -70;
// Height of the courtyard, ramp and yard floor along x.
double yardFloorZ(double x);

// ---------------------------------------------- boundary wall and gate
constexpr double BoundaryWest = -80, BoundaryEast = 380;
constexpr double BoundarySouth = -160, BoundaryNorth = 360;
constexpr double BoundaryThickness = 3, BoundaryTopZ = 10;
constexpr double GateY = -10, GateHalfWidth = 18;

// Paths, patio and road lie this far above the flat ground they cover.
constexpr double OverlayZ = 0.6;

// ------------------------------------------------------- road and river
// The ground reaches beyond the sky sphere (radius 2500) on every side.
constexpr double TerrainEdge = 2600;  // beyond the sky sphere on every side

// The river: water at -3 between banks that fall from the ground at y 880
// and 990 to its bed at -8. The view across it stands just beyond its
// northern bank, at (1000, 1000), two units above the ground.
constexpr double RiverSouthBank = 880, RiverBedSouth = 900, RiverBedNorth = 975;
constexpr double RiverNorthBank = 990;
constexpr double RiverBedZ = -8, WaterZ = -3;

// ------------------------------------------------------------- the areas
// scene_house.cpp: the house, its roof, and the garage yard with its ramp.
void addHouse(QuadModel& model);
void addGarageYard(QuadModel& model);
// scene_garden.cpp: the boundary wall and gate, the garden shed, paths,
// patio and trees.
void addBoundary(QuadModel& model);
void addGrounds(QuadModel& model);
void addShed(QuadModel& model);
// scene_road_river.cpp: the road to the gate and the river's water.
void addRoad(QuadModel& model);
void addRiverWater(QuadModel& model);
// scene_terrain.cpp: the ground as Bezier patches.
void addTerrain(TerrainModel& terrain);
