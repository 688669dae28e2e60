// The default scene: a one-storey house with a garage under it, furnished,
// its walled garden, the road that leads to the gate through farmland, and a
// river beyond, described in world space (z up, about 10 cm to the unit),
// one file per area (see scene_layout.h). Entry point: makeSceneFiles().
//
// Where things are, as the program's fixed camera placements expect them:
// - the house stands over x 0..150, y 0..200, its front (with the front door)
//   facing -x; the side facing -y is its right side;
// - the entrance hall is the front-right room, with the living room beside it
//   and the kitchen and bedroom behind; the floor is at height 2;
// - the garage lies under the back-right of the house, floor at -28, its door
//   in the right wall; a ramp goes down to it from the courtyard inside the
//   gate, along the right side of the house;
// - the boundary wall encloses x -80..380, y -160..360, with the gate in its
//   west side at y = -10, where the road from the south ends;
// - a river runs along x at y 880..990, north of the grounds;
// - the ground is flat near the house, along the road and by the river, and
//   rises in low hills beyond the farmland, towards the sky sphere (radius
//   2500), which it meets everywhere.
#include "scene_files.h"

#include "scene_layout.h"

void makeSceneFiles(const std::string& outputDir)
{
    QuadModel model;
    addHouse(model);
    addRooms(model);
    addGarageYard(model);
    addBoundary(model);
    addGrounds(model);
    addRoad(model);
    addRiver(model);
    addLand(model);
    addBeyond(model);
    writeText(outputDir + "/data_textura.geo", model.text());

    TerrainModel terrain;
    addTerrain(terrain);
    writeText(outputDir + "/data_terreno.geo", terrain.text());
}
