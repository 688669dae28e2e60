// Small buildings and works of the grounds and the fields: a gabled
// building (the garden shed, the barn, the neighbours' house), a granary on
// stone legs, a footbridge and the dry-stone walls of the fields. Entry
// points: the add* functions below.
#pragma once

#include "scene_builder.h"

// A building of four walls under a two-faced tiled roof. Its outer faces
// stand over [x0, x1] x [y0, y1]; the ridge runs along x or along y, at
// ridgeZ, and the eaves overhang the walls by `overhang` at eaveZ. The
// walls are closed (their openings are filled), so only their outer faces
// are drawn. Openings are placed along each wall from its start, going
// round clockwise seen from above: the west wall from its north end, the
// south wall from its west end, the east wall from its south end, the
// north wall from its east end.
struct Building {
    std::string label;
    double x0, y0, x1, y1;
    bool ridgeAlongX;
    double eaveZ, ridgeZ, overhang;
    std::vector<FaceBand> bands;  // the walls' materials, from the ground up
    std::vector<Opening> west, south, east, north;
};
void addBuilding(QuadModel& model, const Building& building);

// A granary ("espigueiro"): a slatted wooden chamber on a granite slab,
// on four legs with flat caps, under a tiled gable roof, its length along x.
void addGranary(QuadModel& model, const std::string& label, double x, double y);

// A footbridge across the river along y from y0 to y1 at x: a wooden deck
// on two stone piers in the water, with a rail on either side.
void addFootbridge(QuadModel& model, const std::string& label, double x, double y0, double y1,
                   double deckZ);

// A dry-stone wall along x or y over the rectangle [x0, x1] x [y0, y1],
// `height` tall, its foot sunk into the ground; `hidden` leaves out ends
// that meet another wall (BoxWest... as for addBox).
void addDryStoneWall(QuadModel& model, const std::string& label, double x0, double y0, double x1,
                     double y1, double height, unsigned hidden = 0);
