// Mirtal: a walk through a house and its grounds. The entry point opens the
// window, sets up the scene and the menus, installs the normal mode's
// callbacks and hands over to the GLUT event loop, which never returns.
#include "app/keys.h"
#include "app/menus.h"
#include "app/startup.h"
#include "app/swap_interval.h"
#include "scene/sky.h"

#include <GL/glut.h>

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    createMainWindow();
    // One frame per refresh of the screen where the window system offers it:
    // the sun steps once an idle call and the flight once a frame, so an
    // unpaced fast card would race through both. Asked for as soon as the
    // window's context is current, before anything else is set up.
    requestSwapInterval();
    initScene();
    buildMenus();

    glutDisplayFunc(displayScene);
    glutIdleFunc(stepSun);
    glutReshapeFunc(reshape);
    glutKeyboardFunc(keyboard);
    glutSpecialFunc(specialKeys);

    glutMainLoop();
    return 0;
}
