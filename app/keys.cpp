// Keyboard and special keys.
#include "app/keys.h"

#include <GL/glut.h>
#include <cstdlib>

void keyboard(unsigned char key, int, int)
{
    if (key == 27)
        std::exit(0);
    glutPostRedisplay();
}

void specialKeys(int, int, int) { glutPostRedisplay(); }
