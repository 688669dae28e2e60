// What stands in the walled garden besides its trees, one function each:
// the shed, the vine pergola over the patio, the vegetable beds, the stone
// water tank, the washing line, the wood pile and the stone bench. Sizes in
// world units of about 10 cm, standing on the ground at z = 0.
#pragma once

#include "scene_builder.h"

// The stone shed over [x0, x1] x [y0, y1], its plank door in the west wall.
void addShed(QuadModel& model, const std::string& label, double x0, double y0, double x1,
             double y1);

// A pergola ("ramada") against the house's back wall at x = wallX, reaching
// to x = wallX + depth, over [y0, y1]: granite posts along its outer edge,
// wooden beams from the posts to the wall, and a roof of vine leaves.
void addPergola(QuadModel& model, const std::string& label, double wallX, double depth, double y0,
                double y1);

// A raised bed of vegetables with wooden sides over [x0, x1] x [y0, y1],
// its rows running along x.
void addVegetableBed(QuadModel& model, const std::string& label, double x0, double y0, double x1,
                     double y1);

// A flower bed: a low stone kerb round a mound of flowers.
void addFlowerBed(QuadModel& model, const std::string& label, double x0, double y0, double x1,
                  double y1);

// A granite water tank ("tanque") over [x0, x1] x [y0, y1], full of water,
// with a spout on its north wall.
void addWaterTank(QuadModel& model, const std::string& label, double x0, double y0, double x1,
                  double y1);

// A washing line along x from x0 to x1 at y, on two posts, washing hung
// on it.
void addWashingLine(QuadModel& model, const std::string& label, double x0, double x1, double y);

// A pile of firewood over [x0, x1] x [y0, y1], its log ends towards -y.
void addWoodPile(QuadModel& model, const std::string& label, double x0, double y0, double x1,
                 double y1, double height);

// A granite bench along y from y0 to y1 at x.
void addStoneBench(QuadModel& model, const std::string& label, double x, double y0, double y1);
