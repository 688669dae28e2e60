// Checks of the web GL layer in a real browser (headless Chromium, WebGL 2 on
// SwiftShader), where a fault of the layer would otherwise show only as a
// slightly wrong picture: the lighting equation, sphere-map coordinates,
// evaluated meshes, texture completeness, front faces and culling, what
// display lists keep, and the main loop's pace.
// Every expected value is worked out by hand from the GL 1.1 formulas and
// written here; pixels are read back from the canvas. Each lit or textured
// value is drawn as a point (one pixel, the vertex's own colour) at a pixel
// centre, with the identity projection, so that eye coordinates are the
// normalised device coordinates: pixel (px, py) of the 64 x 64 canvas is
// x = (px + 0.5) / 32 - 1, y = (py + 0.5) / 32 - 1.
// Prints one line per failed check and, once the main loop has run,
// "gl_layer: N checks, M failed".
#include "web/gl/draw.h"

#include <GL/glut.h>

#include <emscripten.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

extern "C" void emscripten_glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height,
                                        GLenum format, GLenum type, void* pixels);

namespace {

constexpr GLenum Rgba = 0x1908;
constexpr int Side = 64;
int checks = 0, failures = 0;

float centre(int pixel)
{
    return (pixel + 0.5f) / 32 - 1;
}

void expectPixel(const char* what, int px, int py, int r, int g, int b, int tolerance)
{
    unsigned char pixel[4];
    emscripten_glReadPixels(px, py, 1, 1, Rgba, GL_UNSIGNED_BYTE, pixel);
    ++checks;
    if (std::abs(pixel[0] - r) > tolerance || std::abs(pixel[1] - g) > tolerance ||
        std::abs(pixel[2] - b) > tolerance) {
        ++failures;
        std::printf("FAIL %s: pixel (%d, %d) is (%d, %d, %d), expected (%d, %d, %d) +- %d\n", what,
                    px, py, pixel[0], pixel[1], pixel[2], r, g, b, tolerance);
    }
}

void expectEqual(const char* what, long value, long expected)
{
    ++checks;
    if (value != expected) {
        ++failures;
        std::printf("FAIL %s: %ld, expected %ld\n", what, value, expected);
    }
}

// A colour in [0, 1] as the byte the canvas holds.
int byte(double value)
{
    return int(std::lround(value * 255));
}

void point(int px, int py, float z, float nx, float ny, float nz)
{
    glBegin(GL_POINTS);
    glNormal3f(nx, ny, nz);
    glVertex3f(centre(px), centre(py), z);
    glEnd();
}

void setFour(void (*set)(GLenum, GLenum, const GLfloat*), GLenum which, GLenum pname, float a,
             float b, float c, float d = 1)
{
    const GLfloat values[4] = {a, b, c, d};
    set(which, pname, values);
}

void material(GLenum pname, float r, float g, float b)
{
    setFour(glMaterialfv, GL_FRONT, pname, r, g, b);
}

void light(GLenum which, GLenum pname, float a, float b, float c, float d = 1)
{
    setFour(glLightfv, which, pname, a, b, c, d);
}

// Light 0 alone, directional from +z, of this diffuse grey and no specular.
void onlyLightZeroFromAbove(float diffuse)
{
    glEnable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
    light(GL_LIGHT0, GL_POSITION, 0, 0, 1, 0);
    light(GL_LIGHT0, GL_DIFFUSE, diffuse, diffuse, diffuse);
    light(GL_LIGHT0, GL_SPECULAR, 0, 0, 0);
}

void freshFrame()
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// GL 1.1 section 2.13.1, with the light model's ambient at its initial
// (0.2, 0.2, 0.2):
//   c = e + a * 0.2 + sum of a * a_i + (n . L)+ d * d_i + f_i ((n . h)+)^s sp * sp_i
void checkLighting()
{
    freshFrame();
    glEnable(GL_LIGHTING);

    // Light 0 alone, directional from +z, diffuse 0.5; n . L = 0.8.
    //   c = (0.1, 0, 0.05) + (0.5, 0.25, 1) * 0.2 + 0.8 * (0.8, 0.6, 0.4) * 0.5
    //     = (0.52, 0.29, 0.41)
    onlyLightZeroFromAbove(0.5f);
    material(GL_AMBIENT, 0.5f, 0.25f, 1);
    material(GL_DIFFUSE, 0.8f, 0.6f, 0.4f);
    material(GL_SPECULAR, 0, 0, 0);
    material(GL_EMISSION, 0.1f, 0, 0.05f);
    point(10, 10, 0, 0, 0.6f, 0.8f);
    expectPixel("directional light, ambient, emission", 10, 10, byte(0.52), byte(0.29), byte(0.41), 2);

    // Light 1 alone, positional at the vertex + (0, 3, 4): L = (0, 0.6, 0.8),
    // n = (0, 0, 1), n . L = 0.8; h = unit (0, 0.6, 1.8), n . h = 3 / sqrt(10),
    // (n . h)^10 = 0.9^5 = 0.59049.
    //   c = (0.1, 0.2, 0.3) * 0.2 + 0.8 * (0.5, 0.25, 0.125)
    //     + 0.59049 * (0.5, 0.5, 0.5) * (0.4, 0.8, 1) = (0.538098, 0.476196, 0.455245)
    glDisable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    light(GL_LIGHT1, GL_POSITION, centre(20), centre(10) + 3, 4, 1);
    light(GL_LIGHT1, GL_DIFFUSE, 1, 1, 1);
    light(GL_LIGHT1, GL_SPECULAR, 0.4f, 0.8f, 1);
    material(GL_AMBIENT, 0.1f, 0.2f, 0.3f);
    material(GL_DIFFUSE, 0.5f, 0.25f, 0.125f);
    material(GL_SPECULAR, 0.5f, 0.5f, 0.5f);
    material(GL_EMISSION, 0, 0, 0);
    glMaterialf(GL_FRONT, GL_SHININESS, 10);
    point(20, 10, 0, 0, 0, 1);
    expectPixel("positional light, specular with shininess", 20, 10, byte(0.538098),
                byte(0.476196), byte(0.455245), 2);

    // The same light behind the surface: L = (0, 0.8, -0.6), n . L < 0, so
    // neither diffuse nor (f = 0) specular, though n . h > 0.
    //   c = (0.1, 0.2, 0.3) * 0.2 = (0.02, 0.04, 0.06)
    glMaterialf(GL_FRONT, GL_SHININESS, 1);
    light(GL_LIGHT1, GL_POSITION, centre(30), centre(10) + 4, -3, 1);
    point(30, 10, 0, 0, 0, 1);
    expectPixel("no highlight on a face turned away", 30, 10, byte(0.02), byte(0.04), byte(0.06), 2);

    // Both lights, directional, with GL_AMBIENT_AND_DIFFUSE (0.4, 0.5, 0.6)
    // and emission 0.1: n = (0.6, 0, 0.8), n . L0 = 0.8, n . L1 = 0.6.
    //   c = 0.1 + (0.4, 0.5, 0.6) * 0.2 + (0.8 * 0.5 + 0.6 * 0.25) * (0.4, 0.5, 0.6)
    //     = (0.40, 0.475, 0.55)
    glEnable(GL_LIGHT0);
    light(GL_LIGHT1, GL_POSITION, 1, 0, 0, 0);
    light(GL_LIGHT1, GL_DIFFUSE, 0.25f, 0.25f, 0.25f);
    material(GL_SPECULAR, 0, 0, 0);
    material(GL_AMBIENT_AND_DIFFUSE, 0.4f, 0.5f, 0.6f);
    material(GL_EMISSION, 0.1f, 0.1f, 0.1f);
    point(40, 10, 0, 0.6f, 0, 0.8f);
    expectPixel("two lights, ambient and diffuse together", 40, 10, byte(0.40), byte(0.475),
                byte(0.55), 2);

    // Normals under a model-view that scales by 2 (2.10.3, n' = n M^-1):
    // (0, 0, 1) becomes (0, 0, 0.5), and GL_NORMALIZE makes it unit again.
    // Light 0 from +z, diffuse 1, material (0.6, 0.4, 0.2), nothing else:
    //   without: 0.5 * (0.6, 0.4, 0.2); with: (0.6, 0.4, 0.2)
    onlyLightZeroFromAbove(1);
    material(GL_AMBIENT_AND_DIFFUSE, 0.6f, 0.4f, 0.2f);
    material(GL_EMISSION, 0, 0, 0);
    material(GL_AMBIENT, 0, 0, 0);
    const GLfloat twice[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1};
    glLoadMatrixf(twice);
    glBegin(GL_POINTS);
    glNormal3f(0, 0, 1);
    glVertex3f(centre(50) / 2, centre(10) / 2, 0);
    glEnd();
    glEnable(GL_NORMALIZE);
    glBegin(GL_POINTS);
    glVertex3f(centre(56) / 2, centre(10) / 2, 0);
    glEnd();
    glDisable(GL_NORMALIZE);
    expectPixel("normal through a scaling model-view", 50, 10, byte(0.3), byte(0.2), byte(0.1), 2);
    expectPixel("GL_NORMALIZE", 56, 10, byte(0.6), byte(0.4), byte(0.2), 2);
    glDisable(GL_LIGHTING);
}

// A 256 x 256 texture whose texel in column i and row j is (i, j, 128): a
// texel's colour tells its coordinates, s = (i + 1/2) / 256 and so on.
void makeCoordinateTexture(GLuint name)
{
    static unsigned char image[256 * 256 * 3];
    for (int j = 0; j < 256; ++j)
        for (int i = 0; i < 256; ++i) {
            unsigned char* texel = image + 3 * (256 * j + i);
            texel[0] = static_cast<unsigned char>(i);
            texel[1] = static_cast<unsigned char>(j);
            texel[2] = 128;
        }
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 256, 256, 0, GL_RGB, GL_UNSIGNED_BYTE, image);
}

// GL 1.1 section 2.10.4, the sphere map: u the unit eye position, n the eye
// normal, r = u - 2 n (n . u), m = 2 sqrt(rx^2 + ry^2 + (rz + 1)^2),
// s = rx / m + 1/2, t = ry / m + 1/2; read as the texel floor(256 s),
// floor(256 t) of the coordinate texture (white unlit colour, GL_MODULATE).
void checkSphereMap()
{
    freshFrame();
    makeCoordinateTexture(7);
    glEnable(GL_TEXTURE_2D);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glColor3f(1, 1, 1);
    // Eye (0.265625, -0.234375, -0.5), |e| = 0.612771: u = (0.433482,
    // -0.382484, -0.815966); n = (0, 0, 1): r = (0.433482, -0.382484,
    // 0.815966), m = 3.811525, s = 0.613729, t = 0.399651: texel (157, 102).
    point(40, 24, -0.5f, 0, 0, 1);
    // Eye (-0.359375, 0.390625, -0.25): u = (-0.612517, 0.665780, -0.426099);
    // n = (0.6, 0, 0.8), n . u = -0.708390: r = (0.237550, 0.665780,
    // 0.707324), m = 3.695753, s = 0.564277, t = 0.680147: texel (144, 174).
    point(20, 44, -0.25f, 0.6f, 0, 0.8f);
    expectPixel("sphere map, normal towards the viewer", 40, 24, 157, 102, 128, 1);
    expectPixel("sphere map, tilted normal", 20, 44, 144, 174, 128, 1);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_2D);
}

// GL 1.1 section 5.1. A 4 x 4 grid over [0, 1]^2 whose vertices, from a
// linear vertex map, fall on the centres of pixels 8 + 4i, 8 + 4j; at a
// vertex the mesh shows the vertex's own values.
void checkEvaluators()
{
    const float x0 = centre(8), x1 = centre(24);
    freshFrame();
    glMapGrid2f(4, 0, 1, 4, 0, 1);

    // Mesh 1, compiled into a list: texture coordinates from a map of order
    // 3 in u and 2 in v, s from (0.1, 0.9, 0.3) along u and t from (0.2, 0.6)
    // along v: s(u) = 0.1 (1 - u)^2 + 1.8 u (1 - u) + 0.3 u^2 and
    // t(v) = 0.2 + 0.4 v. At u = 1/4, 1/2, 3/4: s = 0.4125, 0.55, 0.5125
    // (texels 105, 140, 131); at v = 1/4, 1/2, 3/4: t = 0.3, 0.4, 0.5
    // (texels 76, 102, 128).
    const GLfloat corners[2][2][3] = {{{x0, x0, 0}, {x1, x0, 0}}, {{x0, x1, 0}, {x1, x1, 0}}};
    const GLfloat texCoords[2][3][2] = {{{0.1f, 0.2f}, {0.9f, 0.2f}, {0.3f, 0.2f}},
                                        {{0.1f, 0.6f}, {0.9f, 0.6f}, {0.3f, 0.6f}}};
    makeCoordinateTexture(8);
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glMap2f(GL_MAP2_VERTEX_3, 0, 1, 3, 2, 0, 1, 6, 2, &corners[0][0][0]);
    glMap2f(GL_MAP2_TEXTURE_COORD_2, 0, 1, 2, 3, 0, 1, 6, 2, &texCoords[0][0][0]);
    glEnable(GL_MAP2_VERTEX_3);
    glEnable(GL_MAP2_TEXTURE_COORD_2);
    glColor3f(1, 1, 1);
    glEvalMesh2(GL_FILL, 0, 4, 0, 4);
    glEndList();
    glEnable(GL_TEXTURE_2D);
    glCallList(list);
    glDisable(GL_TEXTURE_2D);
    const int sTexel[3] = {105, 140, 131}, tTexel[3] = {76, 102, 128};
    for (int j = 1; j <= 3; ++j)
        for (int i = 1; i <= 3; ++i)
            expectPixel("evaluated texture coordinates", 8 + 4 * i, 8 + 4 * j, sTexel[i - 1],
                        tTexel[j - 1], 128, 1);

    // Mesh 2: a vertex map of order 3 in u, x linear and z = 2h u (1 - u)
    // with h = 1/4; GL_AUTO_NORMAL gives n = dp/du x dp/dv, whose z is
    // dx / sqrt(dz^2 + dx^2) with dx = 0.5, dz = 0.5 (1 - 2u): 0.894427 at
    // u = 1/4 and 3/4, 1 at 1/2. Lit from +z with diffuse 1 and material
    // (1, 0.5, 0.25), the colour is n_z (1, 0.5, 0.25).
    freshFrame();
    const float xm = (x0 + x1) / 2;
    const GLfloat bump[2][3][3] = {{{x0, x0, 0}, {xm, x0, 0.25f}, {x1, x0, 0}},
                                   {{x0, x1, 0}, {xm, x1, 0.25f}, {x1, x1, 0}}};
    glMap2f(GL_MAP2_VERTEX_3, 0, 1, 3, 3, 0, 1, 9, 2, &bump[0][0][0]);
    glDisable(GL_MAP2_TEXTURE_COORD_2);
    glEnable(GL_AUTO_NORMAL);
    glEnable(GL_NORMALIZE);
    glEnable(GL_LIGHTING);
    onlyLightZeroFromAbove(1);
    material(GL_AMBIENT, 0, 0, 0);
    material(GL_DIFFUSE, 1, 0.5f, 0.25f);
    material(GL_EMISSION, 0, 0, 0);
    glEvalMesh2(GL_FILL, 0, 4, 0, 4);
    const double nz[3] = {0.894427, 1, 0.894427};
    for (int i = 1; i <= 3; ++i)
        expectPixel("automatic normals", 8 + 4 * i, 16, byte(nz[i - 1]), byte(nz[i - 1] * 0.5),
                    byte(nz[i - 1] * 0.25), 2);
    glDisable(GL_LIGHTING);
    glDisable(GL_AUTO_NORMAL);
    glDisable(GL_NORMALIZE);
    glDisable(GL_MAP2_VERTEX_3);
}

void quad(float x0, float y0, float x1, float y1)
{
    glBegin(GL_QUADS);
    glVertex3f(x0, y0, 0);
    glVertex3f(x1, y0, 0);
    glVertex3f(x1, y1, 0);
    glVertex3f(x0, y1, 0);
    glEnd();
}

// A 4 x 4 texture of one colour (rows of 12 bytes, as the initial unpack
// alignment of 4 reads them).
void solidTexture(GLuint name, unsigned char r, unsigned char g, unsigned char b)
{
    unsigned char texels[16 * 3];
    for (int i = 0; i < 16; ++i) {
        texels[3 * i] = r;
        texels[3 * i + 1] = g;
        texels[3 * i + 2] = b;
    }
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
}

// 3.8.5: a minifying filter that needs mipmaps leaves a texture without them
// unapplied; with GL_NEAREST the same texture modulates the colour. 5.4: a
// glTexImage2D compiled into a list is uploaded again each time the list
// runs; geometry under unchanged state is one draw call, and equal depths
// keep the first of two quads drawn, as the list orders them.
void checkTexturesAndLists()
{
    freshFrame();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glColor3f(0.5f, 0.5f, 0.5f);
    solidTexture(20, 255, 0, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
    quad(centre(0), centre(0), centre(8), centre(8));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    quad(centre(10), centre(0), centre(18), centre(8));
    expectPixel("incomplete texture is not applied", 4, 4, 128, 128, 128, 1);
    expectPixel("complete texture modulates", 14, 4, 128, 0, 0, 1);

    unsigned char green[16 * 3] = {};
    for (int i = 0; i < 16; ++i)
        green[3 * i + 1] = 255;
    const GLuint base = glGenLists(2);
    glNewList(base, GL_COMPILE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, green);
    glEndList();
    solidTexture(20, 0, 0, 255);  // blue now; the list makes it green again
    glCallList(base);
    quad(centre(20), centre(0), centre(28), centre(8));
    expectPixel("glTexImage2D in a list is uploaded at the call", 24, 4, 0, 128, 0, 1);

    // Three quads, the texture bound again before each, then a fourth with
    // another texture: two draw calls. The second quad lies at the first's
    // depth over its right half: the first keeps it (depth test GL_LESS).
    solidTexture(21, 255, 255, 255);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glNewList(base + 1, GL_COMPILE);
    glBindTexture(GL_TEXTURE_2D, 21);
    glColor3f(1, 0, 0);
    quad(centre(30), centre(0), centre(38), centre(8));
    glBindTexture(GL_TEXTURE_2D, 21);
    glColor3f(0, 1, 0);
    quad(centre(34), centre(0), centre(42), centre(8));
    glBindTexture(GL_TEXTURE_2D, 21);
    quad(centre(44), centre(0), centre(48), centre(8));
    glBindTexture(GL_TEXTURE_2D, 20);
    quad(centre(50), centre(0), centre(54), centre(8));
    glEndList();
    webgl11::takeDrawCounts();
    glCallList(base + 1);
    expectEqual("draw calls of the list", long(webgl11::takeDrawCounts().draws), 2);
    expectPixel("equal depth: the first quad stays", 36, 4, 255, 0, 0, 1);
    expectPixel("the second quad beside it", 40, 4, 0, 255, 0, 1);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
}

// 3.5.1: with GL_CULL_FACE and GL_BACK, a polygon whose window-coordinate
// area has the sign opposite to glFrontFace's is not drawn. Quads split into
// triangles keep their winding: the quad strip (x0,y0) (x0,y1) (x1,y0)
// (x1,y1) is the one clockwise quad (x0,y0) (x0,y1) (x1,y1) (x1,y0), whose
// every part a clockwise front face keeps.
void checkCulling()
{
    freshFrame();
    glColor3f(1, 1, 1);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    quad(centre(0), centre(20), centre(8), centre(28));  // counter-clockwise: front
    glBegin(GL_QUADS);                                  // clockwise: back
    glVertex3f(centre(10), centre(20), 0);
    glVertex3f(centre(10), centre(28), 0);
    glVertex3f(centre(18), centre(28), 0);
    glVertex3f(centre(18), centre(20), 0);
    glEnd();
    glFrontFace(GL_CW);
    quad(centre(20), centre(20), centre(28), centre(28));  // counter-clockwise: back now
    glBegin(GL_QUAD_STRIP);
    glVertex3f(centre(30), centre(20), 0);
    glVertex3f(centre(30), centre(28), 0);
    glVertex3f(centre(38), centre(20), 0);
    glVertex3f(centre(38), centre(28), 0);
    glEnd();
    glFrontFace(GL_CCW);
    glDisable(GL_CULL_FACE);
    expectPixel("front face drawn", 4, 24, 255, 255, 255, 0);
    expectPixel("back face culled", 14, 24, 0, 0, 0, 0);
    expectPixel("back face culled after glFrontFace(GL_CW)", 24, 24, 0, 0, 0, 0);
    expectPixel("quad strip, first corner", 31, 21, 255, 255, 255, 0);
    expectPixel("quad strip, opposite corner", 37, 27, 255, 255, 255, 0);
}

// 5.4: a vertex of a list that the list gave no colour takes the current
// colour of the moment the list runs; one after the list's glColor3f takes
// that, and the list leaves it current.
void checkListAttributes()
{
    freshFrame();
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(GL_POINTS);
    glVertex3f(centre(2), centre(40), 0);
    glEnd();
    glColor3f(0, 0, 1);
    glBegin(GL_POINTS);
    glVertex3f(centre(4), centre(40), 0);
    glEnd();
    glEndList();
    glColor3f(1, 0, 0);
    glCallList(list);
    glBegin(GL_POINTS);
    glVertex3f(centre(6), centre(40), 0);  // blue: the list's colour is current
    glEnd();
    glColor3f(0, 1, 0);
    glTranslatef(0, 2.0f / 32, 0);  // two pixels up
    glCallList(list);
    expectPixel("inherited colour, first call", 2, 40, 255, 0, 0, 0);
    expectPixel("the list's own colour", 4, 40, 0, 0, 255, 0);
    expectPixel("colour left by the list", 6, 40, 0, 0, 255, 0);
    expectPixel("inherited colour, second call", 2, 42, 0, 255, 0, 0);
}

// The main loop: the display callback if a redisplay was asked for, then
// the idle callback, as freeglut runs them, and at most one swap in each
// animation frame of the browser, as a swap interval of 1 shows one frame
// per refresh. An idle callback that asks for a redisplay is called once a
// frame, so after n frames it has run n - 1 or n times; a callback that is
// both and asks for a redisplay each time (the flight, with a key pressed
// at every frame) swaps once an animation frame, not twice.
int loopFrames = 0, loopIdles = 0, flightSwaps = 0, flightStartTicks = 0;
constexpr int LoopFramesChecked = 30;

int animationTicks()
{
    return EM_ASM_INT({ return Module.animationTicks; });
}

void flightFrame()
{
    ++flightSwaps;
    glutSwapBuffers();
    glutPostRedisplay();
    if (flightSwaps == LoopFramesChecked) {
        glutIdleFunc(nullptr);
        glutDisplayFunc(nullptr);
        const int ticks = animationTicks() - flightStartTicks;
        ++checks;
        if (flightSwaps > ticks + 1) {
            ++failures;
            std::printf("FAIL swaps an animation frame: %d swaps in %d animation frames\n",
                        flightSwaps, ticks);
        }
        std::printf("gl_layer: %d checks, %d failed\n", checks, failures);
    }
}

void loopDisplay()
{
    ++loopFrames;
    glutSwapBuffers();
    if (loopFrames == LoopFramesChecked) {
        ++checks;
        if (loopIdles < loopFrames - 1 || loopIdles > loopFrames) {
            ++failures;
            std::printf("FAIL idle calls a frame: %d idle calls in %d frames\n", loopIdles,
                        loopFrames);
        }
        flightStartTicks = animationTicks();
        glutDisplayFunc(flightFrame);
        glutIdleFunc(flightFrame);
    }
}

void loopIdle()
{
    ++loopIdles;
    glutPostRedisplay();
}

} // namespace

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(Side, Side);
    glutCreateWindow("GL layer tests");
    glViewport(0, 0, Side, Side);

    checkLighting();
    checkSphereMap();
    checkEvaluators();
    checkTexturesAndLists();
    checkCulling();
    checkListAttributes();

    // A count of the browser's animation frames, beside the loop's.
    EM_ASM({
        Module.animationTicks = 0;
        (function tick() {
            Module.animationTicks += 1;
            requestAnimationFrame(tick);
        })();
    });
    glutDisplayFunc(loopDisplay);
    glutIdleFunc(loopIdle);
    glutMainLoop();
    return 0;
}
