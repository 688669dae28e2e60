// Sky, sun and frame drawing. Entry points: buildSkyList(), drawSceneLists(),
// stepSun(), drawSunAndLights().
#include "scene/sky.h"

#include "app/state.h"
#include "image/pixmap.h"
#include "scene/narrow_float.h"

#include <GL/glut.h>

#include <cmath>

namespace {

constexpr TextureId SkyTextureId = 2016;  // "ceu.bmp"
constexpr GLdouble SkyRadius = 2500;      // model units, round the scene's origin
constexpr GLint SkySlices = 32;
constexpr GLint SkyStacks = 32;

// The sun's path in the y-up model frame: a half circle of this radius in the
// y-z plane, 15 degrees per unit of sunParam, 0.05 units per idle call, so one
// pass takes 240 calls.
constexpr float SunStep = 1.0f / 20;
constexpr float SunParamEnd = 12;
constexpr double SunDegreesPerUnit = 15;
constexpr double SunPathRadius = 1380;
constexpr double SunRadius = 20;
constexpr GLint SunSlices = 15;
constexpr GLint SunStacks = 15;

constexpr GLfloat sceneEmission[4] = {0.5f, 0.5f, 0.5f, 0.0f};
constexpr GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr GLfloat sceneShininess = 100.0f;
// Light 0 relative to the sun's centre, in the rotated model frame.
constexpr GLfloat lightZeroOffset[4] = {10.0f, 10.0f, 10.0f, 1.0f};

constexpr double Pi = 3.14159265358979323846;

} // namespace

void buildSkyList()
{
    skyList = terrainList + 1;
    glNewList(skyList, GL_COMPILE);
    // The generation mode of S and T is the sphere map chosen by initScene.
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(SkyTextureId));
    if (quadric)
        gluSphere(quadric, SkyRadius, SkySlices, SkyStacks);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glEndList();
}

void drawSceneLists()
{
    glEnable(GL_TEXTURE_2D);
    glCallList(quadListBase);
    glCallList(terrainList);
    glCallList(skyList);
    glDisable(GL_TEXTURE_2D);
}

void stepSun()
{
    // In float, as the parameter is stored: the 240th sum lies just above 12
    // and starts the next pass at 0 (a value of exactly 12 would stay).
    sunParam = sunParam + SunStep;
    if (sunParam > SunParamEnd)
        sunParam = 0;
    const double theta = double(sunParam) * SunDegreesPerUnit * Pi / 180;
    sunPos.y = narrowToFloat(SunPathRadius * std::sin(theta));
    sunPos.z = narrowToFloat(SunPathRadius * std::cos(theta));
    glutPostRedisplay();
}

void drawSunAndLights()
{
    glPushMatrix();
    // The same turn as the scene lists get: the sun's path is in the model frame.
    glRotatef(90, 1, 0, 0);
    glTranslatef(0, sunPos.y, sunPos.z);

    // A first placement that lights only the sun itself.
    glPushMatrix();
    glTranslatef(0, 0, 2);
    glLightfv(GL_LIGHT0, GL_POSITION, lightZeroOffset);
    glPopMatrix();

    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, lightColour);
    glMaterialfv(GL_FRONT, GL_EMISSION, lightColour);
    glutSolidSphere(SunRadius, SunSlices, SunStacks);
    glMaterialfv(GL_FRONT, GL_EMISSION, sceneEmission);

    // Light 0 stays at the sun's centre plus the offset for the rest of the frame.
    glLightfv(GL_LIGHT0, GL_POSITION, lightZeroOffset);
    glPopMatrix();

    // The material of everything drawn after the sun.
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, white);
    glMaterialfv(GL_FRONT, GL_SPECULAR, white);
    glMaterialf(GL_FRONT, GL_SHININESS, sceneShininess);

    // Under the identity, eyePoint's numbers are eye coordinates: light 1
    // stays fixed relative to the viewer whatever the camera does. It is a
    // positional light (w = 1), like light 0.
    const GLfloat lightOnePosition[4] = {eyePoint.x, eyePoint.y, eyePoint.z, 1.0f};
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightfv(GL_LIGHT1, GL_POSITION, lightOnePosition);
    glPopMatrix();
}
