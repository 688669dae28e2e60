// Start-up, the normal-mode frame and reshape.
#include "app/startup.h"

#include "app/state.h"
#include "image/textures.h"
#include "scene/quad_model.h"
#include "scene/sky.h"
#include "scene/terrain.h"

#include <GL/glut.h>

void createMainWindow()
{
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(100, 150);
    glutInitWindowSize(640, 480);
    glutCreateWindow("Mirtal");
}

void initScene()
{
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);

    // Sphere-map generation is selected here and switched on only while the
    // sky is drawn.
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);

    quadric = gluNewQuadric();
    gluQuadricNormals(quadric, GLU_SMOOTH);
    gluQuadricTexture(quadric, GL_TRUE);

    // These reach only the default texture object: each bitmap texture sets
    // its own filters when it is uploaded.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);

    glEnable(GL_NORMALIZE);
    glEnable(GL_LIGHTING);

    // Light positions are set in every frame, by drawSunAndLights.
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, lightColour);
    glLightfv(GL_LIGHT0, GL_SPECULAR, lightColour);
    glEnable(GL_LIGHT1);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, lightColour);
    glLightfv(GL_LIGHT1, GL_SPECULAR, lightColour);

    // Culling is never enabled: both sides of every polygon are drawn.
    glCullFace(GL_BACK);

    loadBitmapTextures();
    loadQuadModel("data_textura.geo");
    loadTerrainPatches("data_terreno.geo");
    buildSkyList();

    // World space is z up. This shape's projection is replaced by reshape's,
    // which GLUT delivers before the first frame.
    camera.set(0, -200, 60, 40, 0, 60, 0, 0, 1);
    camera.setShape(120, 1.3333334f, 0.1f, 15000);
}

void displayScene()
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // The model-view matrix is the camera's viewing matrix, as loaded by its
    // last operation.
    glMatrixMode(GL_MODELVIEW);
    drawSunAndLights();

    // The scene files are modelled y up; world space is z up.
    glPushMatrix();
    glRotatef(90, 1, 0, 0);
    drawSceneLists();
    glPopMatrix();

    glutSwapBuffers();
}

void reshape(int width, int height)
{
    // A minimised window keeps the previous viewport and projection, and the
    // aspect never divides by zero.
    if (width <= 0 || height <= 0)
        return;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(70, double(width) / double(height), 0.1, 100000);
    glMatrixMode(GL_MODELVIEW);
}
