// The small pictures gathered in one bitmap, "respiradouro.bmp" (texture
// 2015): the vent grille the walls show, and what the rooms, the garden and
// the fields need that the other bitmaps do not hold (foliage, fabrics,
// paintings, tiles, books, flowers...). The bitmap is a grid of square
// cells, each holding one picture or two pictures of half its height; the
// painters fill them (texture_details*.cpp) and the scene maps a quad onto
// a picture with detailRect().
//
// A picture is shown whole on one quad (or stretched over a box face):
// unlike the other bitmaps it cannot repeat across a surface.
#pragma once

constexpr int DetailColumns = 4, DetailRows = 4;
constexpr int DetailCellPixels = 128;

enum class Detail {
    Vent,        // louvred vent in a metal frame
    Needles,     // a conifer's foliage, darker towards the bottom
    Leaves,      // broad leaves of an oak
    Oranges,     // an orange tree's glossy leaves and fruit
    Olive,       // an olive tree's silvery leaves
    Vine,        // vine leaves and bunches of black grapes
    Hedge,       // clipped box
    Flowers,     // a bed of geraniums and daisies
    Quilt,       // a white bedspread with a blue border
    Rug,         // a red rug with a border and a lozenge
    Azulejos,    // four by four blue and white tiles
    // Half-height pictures, twice as wide as they are tall.
    Upholstery,  // woven ochre cloth
    Fire,        // logs burning in a hearth
    Landscape,   // a painting of hills and a river in a gilt frame
    StillLife,   // a painting of a bowl of fruit in a dark frame
    Books,       // a shelf of book spines
    Hob,         // a cooker's black top with four burners
    Washing,     // sheets and towels hung side by side
    LogEnds,     // the cut ends of stacked firewood
    Vegetables,  // two rows of cabbages on dark soil, along the picture's width
    GarageDoor,  // the garage's ribbed sectional steel door
    Count
};

// Where a picture lies: its cell, and which part of it.
enum class CellPart { Whole, LowerHalf, UpperHalf };
struct DetailPlace {
    int column, row;
    CellPart part;
};

constexpr DetailPlace detailPlace(Detail d)
{
    // The whole-cell pictures fill the first cells in order; the half
    // pictures pair up in the cells after them.
    const int i = int(d);
    constexpr int Whole = int(Detail::Upholstery);
    if (i < Whole)
        return {i % DetailColumns, i / DetailColumns, CellPart::Whole};
    const int cell = Whole + (i - Whole) / 2;
    return {cell % DetailColumns, cell / DetailColumns,
            (i - Whole) % 2 == 0 ? CellPart::LowerHalf : CellPart::UpperHalf};
}

static_assert(int(Detail::Upholstery) + (int(Detail::Count) - int(Detail::Upholstery) + 1) / 2 <=
              DetailColumns * DetailRows);
