// The painters of the scene's textures, one function per picture, grouped by
// kind in texture_building_parts.cpp (doors, window, garage door, vent),
// texture_masonry.cpp (walls, stone, roof), texture_ground.cpp (grass,
// pavements, asphalt, cement, wood floor), texture_countryside.cpp (heath,
// woods, stubble)
// and texture_sky_water.cpp.
// Each returns a finished canvas; textures.cpp names and writes them.
//
// Orientation: y = 0 (texture t = 0) is the bottom of a door, window or wall,
// and the eaves side of the roof. Pictures meant for large surfaces repeat
// seamlessly in both directions.
#pragma once

#include "image_canvas.h"

// Doors, window, garage door and vent: each picture is the whole object.
Canvas paintFrontDoor();      // Porta.bmp: panelled wooden front door, brass handle
Canvas paintPlankDoor();      // Porta3.bmp: painted plank door or garden gate, iron fittings
Canvas paintGarageDoor();     // ribbed sectional steel door, 256 x 256
Canvas paintWindow();         // Janela1.bmp: granite surround, white casements, glass
Canvas paintVentGrille();     // louvred vent in a metal frame, 256 x 256
Canvas paintDetails();        // respiradouro.bmp: the details cells, vent included

// Walls, stone and roof; all tile.
Canvas paintBoundaryWall();   // muro.bmp: granite ashlar in four courses
Canvas paintPlaster();        // Parede1.bmp: painted render
Canvas paintRubbleStone();    // pedra.bmp: rubble masonry of rounded stones
Canvas paintRoofTiles();      // Telhado1.bmp: red clay tiles, eight columns by eight courses

// Ground and floors; all tile.
Canvas paintGrass(unsigned seed, int size); // Relva1.bmp and Relva1.raw; size 256 or 512
Canvas paintPortuguesePavement();          // calcada.bmp: white and black cobbles in waves
Canvas paintCement(unsigned seed);         // cimento.bmp
Canvas paintAsphalt(unsigned seed);        // alcatrao.bmp and alcatrao.raw
Canvas paintWoodFloor();                   // madeira2.bmp: oak planks
Canvas paintFlagstonePath();               // caminho.bmp: flagstones in gravel

// The countryside beyond the walls; all tile.
Canvas paintHeath();          // janela.raw: heather and gorse among dry grass
Canvas paintPineWoods();      // cimento2.raw: the crowns of a pine wood from above
Canvas paintStubble();        // Garagem.bmp: a field of dry grass and stubble

// Sky and water.
Canvas paintSky();            // ceu.bmp: sky seen as a sphere map
Canvas paintRiverWater();     // agua.bmp: rippled river water; tiles
