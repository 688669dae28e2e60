// Trees, hedges and vines of the garden and the fields, made of a few quads
// each with the foliage pictures of the details bitmap. Heights and radii in
// world units (about 10 cm); every plant stands on the ground at z = 0.
#pragma once

#include "scene_builder.h"

// A cypress: a tall spindle of dark needles on a hidden foot, eight faces.
void addCypress(QuadModel& model, const std::string& label, double x, double y, double height,
                double radius);

// A tree with a rounded crown on a visible trunk: `sides` faces round,
// turned by `turn` (in turns), showing `foliage`; the crown's widest ring
// lies at `crownZ`, and it ends in points above and below.
struct RoundTree {
    double height;
    double radius;
    double crownZ;
    Detail foliage;
    int sides = 6;
    double turn = 0;
};
void addRoundTree(QuadModel& model, const std::string& label, double x, double y,
                  const RoundTree& tree);

// An orange tree, low with a dense crown; an olive, grey and wide; an oak,
// large; a stone pine, a flat crown high on a bare trunk.
void addOrangeTree(QuadModel& model, const std::string& label, double x, double y, double turn);
void addOliveTree(QuadModel& model, const std::string& label, double x, double y, double turn);
void addOak(QuadModel& model, const std::string& label, double x, double y, double scale,
            double turn);
void addStonePine(QuadModel& model, const std::string& label, double x, double y, double scale,
                  double turn);

// A clipped hedge over the rectangle [x0, x1] x [y0, y1], `height` tall, in
// pieces about ten units long along its length, so that its leaves keep
// their size.
void addHedge(QuadModel& model, const std::string& label, double x0, double y0, double x1,
              double y1, double height);
