// What each fixed camera placement sees of the default scene, measured on the
// real GL: the scene files are drawn from the placement, through the
// program's own camera and reshape projection, with every surface in a flat
// colour that names what it is (house, furniture, garage door, gate, water,
// grass, other ground, other quads, sky), and the colours of the read-back
// picture are counted.
//
// The measure is the share of the 640 x 480 picture that a part covers. A
// view that looks at the house must show a real share of it; the views from
// inside must be nearly all house and its furniture, and show furniture, not
// bare floor; the flight's circle must see more than grass; and no ray that
// meets the ground inside the sky sphere may see sky or nothing, so that no
// view sees the ground end.
#include "app/menus.h"
#include "app/startup.h"
#include "app/state.h"
#include "app/views.h"
#include "default_scene.h"
#include "flight/flight.h"
#include "gl_support.h"
#include "scene/terrain_file.h"

#include <GL/glu.h>
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>

namespace {

enum class Part { Nothing, Sky, Grass, Ground, House, Furniture, GarageDoor, Gate, Water, OtherQuad };

// Parts measured together: the house with its furniture; whatever is not
// grass (nor sky): buildings, walls, trees, roads, paths, fields, water.
enum class Parts { One, Interior, NotGrass };

struct PartColour {
    Part part;
    std::uint8_t r, g, b;
};

constexpr PartColour PartColours[] = {
    {Part::Nothing, 0, 0, 0},        {Part::Sky, 255, 255, 255},   {Part::Grass, 0, 255, 0},
    {Part::Ground, 0, 128, 0},
    {Part::House, 255, 0, 0},        {Part::Furniture, 0, 255, 255},
    {Part::GarageDoor, 255, 0, 255},
    {Part::Gate, 255, 255, 0},       {Part::Water, 0, 0, 255},     {Part::OtherQuad, 128, 128, 128},
};

void setColour(Part part)
{
    for (const PartColour& c : PartColours)
        if (c.part == part)
            glColor3ub(c.r, c.g, c.b);
}

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

Part partOfQuad(const std::string& label, int texture)
{
    constexpr int GrassBitmap = 2008;
    // The garage door is the third opening of the house's right wall.
    if (label == "house_right_wall_opening3_pane")
        return Part::GarageDoor;
    for (const char* prefix : {"house_", "roof_", "chimney", "front_step", "back_step"})
        if (startsWith(label, prefix))
            return Part::House;
    if (startsWith(label, "room_"))
        return Part::Furniture;
    if (startsWith(label, "gate_"))
        return Part::Gate;
    // The ground that is drawn as quads: the land's cells, the garden's
    // cells with their paths, the road's verges and the river's banks.
    for (const char* prefix : {"land_", "garden_ground_", "river_south_bank_", "river_north_bank_"})
        if (startsWith(label, prefix))
            return texture == GrassBitmap ? Part::Grass : Part::Ground;
    if (label.find("_verge_") != std::string::npos)
        return texture == GrassBitmap ? Part::Grass : Part::Ground;
    if (startsWith(label, "river_water"))
        return Part::Water;
    return Part::OtherQuad;
}

// The scene as flat colours in one display list, in model space (y up).
GLuint compilePartsList()
{
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    for (const LabelledQuad& q : defaultSceneQuads()) {
        setColour(partOfQuad(q.label, q.quad.texture));
        glBegin(GL_QUADS);
        for (const auto& v : q.quad.vertices)
            glVertex3fv(v);
        glEnd();
    }
    // The terrain's patches as the program evaluates them; kind 2 shows
    // grass.
    glEnable(GL_MAP2_VERTEX_3);
    for (const TerrainPatch& patch :
         parseTerrainPatches(defaultSceneText("data_terreno.geo"), "data_terreno.geo")) {
        setColour(patch.kind == 2 ? Part::Grass : Part::Ground);
        glMap2f(GL_MAP2_VERTEX_3, 0, 30, 3, 3, 0, 30, 9, 3, patch.controlPoints);
        glMapGrid2f(15, 0, 30, 15, 0, 30);
        glEvalMesh2(GL_FILL, 0, 15, 0, 15);
    }
    glDisable(GL_MAP2_VERTEX_3);
    setColour(Part::Sky);
    GLUquadric* sphere = gluNewQuadric();
    gluSphere(sphere, 2500, 32, 32);
    gluDeleteQuadric(sphere);
    glEndList();
    return list;
}

struct Shares {
    std::map<Part, double> of;
    double groundMissing = 0;  // share of rays that meet the ground yet see sky or nothing
};

// Draws the parts list from the camera as it stands and measures the picture.
Shares look(GLuint parts)
{
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    GLdouble worldView[16], projectionMatrix[16];
    GLint vp[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, worldView);
    glGetDoublev(GL_PROJECTION_MATRIX, projectionMatrix);
    glGetIntegerv(GL_VIEWPORT, vp);
    glPushMatrix();
    glRotatef(90, 1, 0, 0);
    glCallList(parts);
    glPopMatrix();
    glFinish();
    const gl::Picture picture = gl::readBackBuffer();

    Shares shares;
    std::map<Part, int> counts;
    int missing = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const auto p = picture.at(x, y);
            Part part = Part::OtherQuad;
            for (const PartColour& c : PartColours)
                if (p.r == c.r && p.g == c.g && p.b == c.b)
                    part = c.part;
            ++counts[part];
            if (part != Part::Sky && part != Part::Nothing)
                continue;
            // The pixel's ray in world space (z up): where does it meet z = 0?
            GLdouble near[3], far[3];
            gluUnProject(x + 0.5, y + 0.5, 0, worldView, projectionMatrix, vp, &near[0], &near[1], &near[2]);
            gluUnProject(x + 0.5, y + 0.5, 1, worldView, projectionMatrix, vp, &far[0], &far[1], &far[2]);
            const double dz = far[2] - near[2];
            if (dz >= 0)
                continue;
            const double t = -near[2] / dz;
            const double gx = near[0] + t * (far[0] - near[0]), gy = near[1] + t * (far[1] - near[1]);
            if (t > 0 && std::hypot(gx, gy) < 2400)
                ++missing;
        }
    }
    const double total = double(picture.width) * picture.height;
    for (const auto& [part, count] : counts)
        shares.of[part] = count / total;
    shares.groundMissing = missing / total;
    return shares;
}

struct ViewCase {
    const char* name;
    std::function<void()> place;
    Part part;         // what the view is for
    double leastShare; // of the picture
    Parts parts = Parts::One;  // `part` alone, or a group of parts
};

double shareOf(const Shares& shares, Part part)
{
    return shares.of.count(part) ? shares.of.at(part) : 0.0;
}

double shareOf(const Shares& shares, const ViewCase& view)
{
    switch (view.parts) {
    case Parts::One:
        return shareOf(shares, view.part);
    case Parts::Interior:
        return shareOf(shares, Part::House) + shareOf(shares, Part::Furniture);
    case Parts::NotGrass:
        return 1 - shareOf(shares, Part::Sky) - shareOf(shares, Part::Grass) -
               shareOf(shares, Part::Nothing);
    }
    return 0;
}

void flyTo(float f)
{
    flightParam = f - 10;
    stepFlightPath();
    camera.set(eyePoint, lookPoint, Vector3(0, 0, 1));
}

const ViewCase ViewCases[] = {
    {"start view", [] { camera.set(0, -200, 60, 40, 0, 60, 0, 0, 1); }, Part::House, 0.04},
    {"Normaliza", [] { mainMenu(MainNormalValue); }, Part::House, 0.30},
    {"F1 Cima Entrada", [] { showFunctionKeyView(1); }, Part::House, 0.25},
    {"F2 Vista de tras", [] { showFunctionKeyView(2); }, Part::House, 0.02},
    {"F3 Vista de frente", [] { showFunctionKeyView(3); }, Part::House, 0.06},
    {"F4 Vista de tras", [] { showFunctionKeyView(4); }, Part::House, 0.04},
    {"F5 Vista de esquerda", [] { showFunctionKeyView(5); }, Part::House, 0.05},
    {"F6 Vista de direita", [] { showFunctionKeyView(6); }, Part::House, 0.06},
    {"F7 Vista de cima", [] { showFunctionKeyView(7); }, Part::House, 0.06},
    {"F8 Entrada", [] { showFunctionKeyView(8); }, Part::House, 0.95, Parts::Interior},
    {"F8 Entrada sees furniture", [] { showFunctionKeyView(8); }, Part::Furniture, 0.10},
    {"F9 Dentro de Casa", [] { showFunctionKeyView(9); }, Part::House, 0.95, Parts::Interior},
    {"F9 Dentro de Casa sees furniture", [] { showFunctionKeyView(9); }, Part::Furniture, 0.06},
    {"Frente", [] { showMenuView(1); }, Part::House, 0.06},
    {"Tras", [] { showMenuView(2); }, Part::House, 0.04},
    {"Lat. Direito", [] { showMenuView(3); }, Part::House, 0.30},
    {"Lat. Direito sees the garage door", [] { showMenuView(3); }, Part::GarageDoor, 0.02},
    {"Lat. Esquerdo", [] { showMenuView(4); }, Part::House, 0.08},
    {"Garagem", [] { showMenuView(5); }, Part::GarageDoor, 0.01},
    {"Alcado", [] { showMenuView(6); }, Part::House, 0.95, Parts::Interior},
    {"Alcado sees furniture", [] { showMenuView(6); }, Part::Furniture, 0.12},
    {"Portao", [] { showMenuView(7); }, Part::Gate, 0.001},
    {"Rio", [] { showMenuView(8); }, Part::Water, 0.06},
    {"Geral 1", [] { showMenuView(10); }, Part::House, 0.06},
    {"Geral 2", [] { showMenuView(11); }, Part::House, 0.003},
    {"Geral 3", [] { showMenuView(12); }, Part::House, 0.002},
    {"flight on the road", [] { flyTo(-300); }, Part::House, 0.01},
    {"flight past the front", [] { flyTo(100); }, Part::House, 0.30},
    {"flight behind the house", [] { flyTo(400); }, Part::House, 0.05},
    {"flight circling", [] { flyTo(1200); }, Part::House, 0.005},
    // All round the circle, more than grass: the house and its grounds,
    // fields, walls, buildings, trees, roads, the river.
    {"flight entering the circle", [] { flyTo(1010); }, Part::House, 0.18, Parts::NotGrass},
    {"flight circling, east", [] { flyTo(1100); }, Part::House, 0.18, Parts::NotGrass},
    {"flight circling, north", [] { flyTo(1200); }, Part::House, 0.18, Parts::NotGrass},
    {"flight circling, west", [] { flyTo(1350); }, Part::House, 0.18, Parts::NotGrass},
    {"flight leaving the circle", [] { flyTo(1590); }, Part::House, 0.18, Parts::NotGrass},
};

TEST(DefaultSceneViews, EachPlacementSeesWhatItNamesAndNeverTheGroundsEnd)
{
    reshape(640, 480);
    const GLuint parts = compilePartsList();
    for (const ViewCase& view : ViewCases) {
        SCOPED_TRACE(view.name);
        view.place();
        const Shares shares = look(parts);
        std::printf("%-36s house %5.3f  furniture %5.3f  garage door %5.3f  gate %6.4f  water %5.3f  "
                    "grass %5.3f  ground %5.3f  sky %5.3f  other %5.3f  ground missing %6.4f\n",
                    view.name, shareOf(shares, Part::House), shareOf(shares, Part::Furniture),
                    shareOf(shares, Part::GarageDoor), shareOf(shares, Part::Gate),
                    shareOf(shares, Part::Water), shareOf(shares, Part::Grass), shareOf(shares, Part::Ground),
                    shareOf(shares, Part::Sky), shareOf(shares, Part::OtherQuad),
                    shares.groundMissing);
        EXPECT_GE(shareOf(shares, view), view.leastShare);
        EXPECT_EQ(shareOf(shares, Part::Nothing), 0.0) << "a ray leaves the sky sphere";
        EXPECT_LT(shares.groundMissing, 0.001) << "the ground ends in view";
    }
    glDeleteLists(parts, 1);
}

} // namespace
