// The furniture of the house, one function per piece, at the scene's scale
// (about 10 cm to the unit). Each piece is placed by the middle of its
// footprint and the way its front faces; its parts are labelled
// label + "_" + part, so that the tests tell furniture by its labels.
// Entry points: the add* functions below.
#pragma once

#include "scene_builder.h"

enum class Facing { North, East, South, West };  // towards +y, +x, -y, -x

struct Placement {
    double x, y;     // middle of the footprint
    Facing front;
    double floorZ;   // the floor it stands on
};

// Builds a piece in its own frame, where the front faces +y, the piece's
// width runs along x and its depth along y, and z is height above the
// floor; every box stays axis-aligned in the world, as the piece turns by
// quarter turns only.
class PieceFrame {
public:
    PieceFrame(QuadModel& model, std::string label, Placement place)
        : model_(model), label_(std::move(label)), place_(place)
    {
    }

    Vec3 at(Vec3 local) const;
    Vec3 direction(Vec3 local) const;

    // addBox, addPictureBox and addPicture in the piece's frame; hidden
    // sides are named in the piece's frame too (BoxNorth is its front).
    void box(const std::string& part, int texture, double scale, Vec3 low, Vec3 high,
             unsigned hidden = 0) const;
    void pictureBox(const std::string& part, int texture, TexRect top, TexRect sides, Vec3 low,
                    Vec3 high, unsigned hidden = 0) const;
    void picture(const std::string& part, int texture, TexRect rect, Vec3 origin, Vec3 across,
                 Vec3 up, Vec3 facing) const;
    // A thin leg from the floor to `top`, as two crossed quads: from any
    // side it shows its width.
    void leg(const std::string& part, double x, double y, double top, double width) const;

private:
    unsigned worldSides(unsigned localSides) const;

    QuadModel& model_;
    std::string label_;
    Placement place_;
};

// Living room.
void addFireplace(QuadModel& model, const std::string& label, Placement place);  // back to the wall
void addSofa(QuadModel& model, const std::string& label, Placement place);
void addArmchair(QuadModel& model, const std::string& label, Placement place);
void addCoffeeTable(QuadModel& model, const std::string& label, Placement place);
void addBookcase(QuadModel& model, const std::string& label, Placement place, double width);

// Tables and seats; a table's length runs across its front.
void addTable(QuadModel& model, const std::string& label, Placement place, double length,
              double width);
void addChair(QuadModel& model, const std::string& label, Placement place);
void addBench(QuadModel& model, const std::string& label, Placement place, double length);
void addChest(QuadModel& model, const std::string& label, Placement place, double length);

// Kitchen: a run of base cupboards under a worktop, back to the wall, with
// a sink and a hob where asked (their middles along the run, 0 for none).
struct CounterFittings {
    double sinkAt = 0;
    double hobAt = 0;
    unsigned hiddenEnds = 0;  // BoxWest and BoxEast in the counter's frame: ends against a wall
};
void addCounter(QuadModel& model, const std::string& label, Placement place, double length,
                CounterFittings fittings);
void addDresser(QuadModel& model, const std::string& label, Placement place);

// Bedroom.
void addBed(QuadModel& model, const std::string& label, Placement place);  // head to the wall
void addBedsideTable(QuadModel& model, const std::string& label, Placement place);
void addWardrobe(QuadModel& model, const std::string& label, Placement place);

// On walls and floors: a framed picture hung `width` x `height` with its
// middle at `centre`, its face towards `front`; a panel of blue and white
// tiles, `columns` x `rows` pictures of four by four 14 cm tiles; a rug.
void addWallPicture(QuadModel& model, const std::string& label, Detail picture, Vec3 centre,
                    Facing front, double width, double height);
void addTilePanel(QuadModel& model, const std::string& label, Vec3 centre, Facing front,
                  int columns, int rows);
void addRug(QuadModel& model, const std::string& label, double x0, double y0, double x1,
            double y1, double floorZ);
