// The painters of the details bitmap's pictures (see detail_cells.h), one
// function per picture, DetailCellPixels wide and as tall or half as tall,
// grouped in texture_details_plants.cpp (foliage, flowers, vegetables, firewood)
// and texture_details_house.cpp (fabrics, paintings, tiles, books, cooker,
// washing, fire); paintDetails() there gathers them with the vent grille.
#pragma once

#include "detail_cells.h"
#include "image_canvas.h"

Canvas paintNeedles();
Canvas paintLeaves();
Canvas paintOranges();
Canvas paintOliveLeaves();
Canvas paintVine();
Canvas paintHedge();
Canvas paintFlowers();
Canvas paintVegetables();
Canvas paintLogEnds();

Canvas paintUpholstery();
Canvas paintQuilt();
Canvas paintRug();
Canvas paintLandscapePainting();
Canvas paintStillLife();
Canvas paintAzulejos();
Canvas paintBooks();
Canvas paintWashing();
Canvas paintHob();
Canvas paintFire();
