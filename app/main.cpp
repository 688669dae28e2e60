// Mirtal: a walk through a house and its grounds. The entry point opens the
// window, sets up the scene and the menus, installs the normal mode's
// callbacks and hands over to the GLUT event loop, which never returns.
#include "app/keys.h"
#include "app/menus.h"
#include "app/startup.h"
#include "scene/sky.h"

#include <GL/glut.h>

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    createMainWindow();
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
