/* GLUT for the web build: the calls the walk-through makes. The window, the
 * callbacks, the keys and glutInit come from emscripten's GLUT (-lglut);
 * the rest is this layer's own, in web/glut/:
 *   main_loop.js     glutMainLoop glutIdleFunc glutPostRedisplay
 *                    glutSwapBuffers: one pass of the loop (redisplay if
 *                    asked, then the idle callback) per animation frame of
 *                    the browser, as a swap interval of 1 paces it natively
 *   menus.js         glutCreateMenu glutAddMenuEntry glutAddSubMenu
 *                    glutAttachMenu: pop-up menus as HTML at the pointer
 *   solid_sphere.cpp glutSolidSphere, tessellated as freeglut does it
 * Any other GLUT call fails to compile.
 */
#ifndef MIRTAL_WEB_GLUT_H
#define MIRTAL_WEB_GLUT_H

#include <GL/gl.h>
#include <GL/glu.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Display mode bits */
#define GLUT_RGB 0x0000
#define GLUT_DOUBLE 0x0002
#define GLUT_DEPTH 0x0010

/* Mouse buttons */
#define GLUT_LEFT_BUTTON 0
#define GLUT_MIDDLE_BUTTON 1
#define GLUT_RIGHT_BUTTON 2

/* Special keys */
#define GLUT_KEY_F1 1
#define GLUT_KEY_F2 2
#define GLUT_KEY_F3 3
#define GLUT_KEY_F4 4
#define GLUT_KEY_F5 5
#define GLUT_KEY_F6 6
#define GLUT_KEY_F7 7
#define GLUT_KEY_F8 8
#define GLUT_KEY_F9 9
#define GLUT_KEY_F10 10
#define GLUT_KEY_F11 11
#define GLUT_KEY_F12 12
#define GLUT_KEY_LEFT 100
#define GLUT_KEY_UP 101
#define GLUT_KEY_RIGHT 102
#define GLUT_KEY_DOWN 103

/* emscripten's GLUT */
void glutInit(int* argcp, char** argv);
void glutInitDisplayMode(unsigned int mode);
void glutInitWindowPosition(int x, int y);
void glutInitWindowSize(int width, int height);
int glutCreateWindow(const char* title);
void glutDisplayFunc(void (*func)(void));
void glutReshapeFunc(void (*func)(int width, int height));
void glutKeyboardFunc(void (*func)(unsigned char key, int x, int y));
void glutSpecialFunc(void (*func)(int key, int x, int y));

/* main_loop.js */
void glutMainLoop(void);
void glutIdleFunc(void (*func)(void));
void glutPostRedisplay(void);
void glutSwapBuffers(void);

/* menus.js */
int glutCreateMenu(void (*func)(int value));
void glutAddMenuEntry(const char* label, int value);
void glutAddSubMenu(const char* label, int submenu);
void glutAttachMenu(int button);

/* solid_sphere.cpp */
void glutSolidSphere(GLdouble radius, GLint slices, GLint stacks);

#ifdef __cplusplus
}
#endif

#endif
