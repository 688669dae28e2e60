// The rooms of the house furnished: the entrance hall (front right), the
// living room with its fireplace (front left), the kitchen (back right) and
// the bedroom (back left). Every label starts with "room_". Entry point:
// addRooms().
//
// The rooms' inner faces: the hall x 3..100, y 3..60; the living room
// x 3..100, y 62..197; the kitchen x 102..147, y 3..100; the bedroom
// x 102..147, y 102..197. Floor at 2, ceiling at 32.
#include "scene_layout.h"

#include "furniture.h"

namespace {

constexpr double Inner = OuterWall;              // the outer walls' inner faces: 3 and 147, 197
constexpr double Back = HouseX - OuterWall, Left = HouseY - OuterWall;
constexpr double KitchenX = MiddleWallX + InnerWall;   // the middle wall's back face
constexpr double BedroomY = KitchenWallY + InnerWall;  // the kitchen wall's bedroom face
constexpr double Hung = 0.3;  // pictures stand off their wall

Placement at(double x, double y, Facing front) { return {x, y, front, FloorZ}; }

// The hall, seen from the front door and from above it ("Alcado", F8): a
// chest with a tile panel over it, a bench by the door, a rug.
void addHall(QuadModel& model)
{
    addChest(model, "room_hall_chest", at(20, HallWallY - 3, Facing::South), 18);
    addTilePanel(model, "room_hall_azulejos", {20, HallWallY - Hung, FloorZ + 18}, Facing::South, 3, 3);
    addBench(model, "room_hall_bench", at(Inner + 2.5, 15, Facing::East), 14);
    addRug(model, "room_hall_rug", 22, 14, 52, 40, FloorZ);
}

// The living room: the fireplace under the chimney in the left wall, the
// sofa and an armchair round it, a dining table in the front half, seen
// from F9 across the room, a bookcase, two paintings.
void addLivingRoom(QuadModel& model)
{
    addFireplace(model, "room_living_fireplace", at(50, Left - 4, Facing::South));
    addWallPicture(model, "room_living_painting_fruit", Detail::StillLife,
                   {50, Left - 5 - Hung, FloorZ + 23}, Facing::South, 14, 7);
    addSofa(model, "room_living_sofa", at(50, 146, Facing::North));
    addArmchair(model, "room_living_armchair", at(82, 170, Facing::West));
    addCoffeeTable(model, "room_living_coffee_table", at(50, 165, Facing::North));
    addRug(model, "room_living_rug", 32, 155, 68, 180, FloorZ);

    addTable(model, "room_living_table", at(62, 84, Facing::North), 18, 10);
    int chair = 0;
    for (const double x : {57.0, 67.0}) {
        addChair(model, "room_living_chair_" + std::to_string(++chair), at(x, 76.5, Facing::North));
        addChair(model, "room_living_chair_" + std::to_string(++chair), at(x, 91.5, Facing::South));
    }
    addChair(model, "room_living_chair_5", at(49.5, 84, Facing::East));
    addChair(model, "room_living_chair_6", at(74.5, 84, Facing::West));

    addBookcase(model, "room_living_bookcase", at(MiddleWallX - 2.5, 112, Facing::West), 18);
    addWallPicture(model, "room_living_painting_landscape", Detail::Landscape,
                   {Inner + Hung, 130, FloorZ + 18}, Facing::East, 18, 9);
}

// The kitchen: worktops with the sink and the hob along the back wall under
// the vent, a corner run under the side window, tiles over them, a dresser
// and a table in the middle.
void addKitchen(QuadModel& model)
{
    addCounter(model, "room_kitchen_counter_back", at(Back - 3, 62, Facing::West), 24,
               {7, 17});
    addCounter(model, "room_kitchen_counter_side", at(139.5, Inner + 3, Facing::North), 15,
               {0, 0, BoxEast});
    addTilePanel(model, "room_kitchen_azulejos", {Back - Hung, 62, FloorZ + 9.5 + 2.8}, Facing::West,
                 4, 1);
    addDresser(model, "room_kitchen_dresser", at(KitchenX + 2.5, 72, Facing::East));
    addTable(model, "room_kitchen_table", at(122, 60, Facing::East), 12, 8);
    addChair(model, "room_kitchen_chair_1", at(114.5, 60, Facing::East));
    addChair(model, "room_kitchen_chair_2", at(129.5, 60, Facing::West));
    addChair(model, "room_kitchen_chair_3", at(122, 48.5, Facing::North));
}

// The bedroom: the bed with its head to the middle wall, a bedside table
// either side, a wardrobe against the kitchen wall, a painting over the bed.
void addBedroom(QuadModel& model)
{
    addBed(model, "room_bedroom_bed", at(KitchenX + 10.5, 167, Facing::East));
    addBedsideTable(model, "room_bedroom_bedside_left", at(KitchenX + 2.5, 179.5, Facing::East));
    addBedsideTable(model, "room_bedroom_bedside_right", at(KitchenX + 2.5, 154, Facing::East));
    addWallPicture(model, "room_bedroom_painting", Detail::Landscape,
                   {KitchenX + Hung, 167, FloorZ + 20}, Facing::East, 14, 7);
    addWardrobe(model, "room_bedroom_wardrobe", at(137, BedroomY + 3, Facing::North));
    addRug(model, "room_bedroom_rug", 124, 158, 136, 176, FloorZ);
}

} // namespace

void addRooms(QuadModel& model)
{
    addHall(model);
    addLivingRoom(model);
    addKitchen(model);
    addBedroom(model);
}
