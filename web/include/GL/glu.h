/* GLU for the web build: the part of GLU that the walk-through calls. The
 * code is Debian's libglu (its quadric and projection files), compiled for
 * the browser by tools/build_web.sh, the same code as the native program's
 * libGLU, so that the sky sphere has the same vertices. This header names
 * only what the program may call; any other GLU function fails to compile.
 *
 * Provided: gluNewQuadric gluQuadricNormals gluQuadricTexture gluSphere
 *           gluPerspective.
 */
#ifndef MIRTAL_WEB_GLU_H
#define MIRTAL_WEB_GLU_H

#include <GL/gl.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Values as in GLU 1.3. */
#define GLU_SMOOTH 100000
#define GLU_FLAT 100001
#define GLU_NONE 100002

typedef struct GLUquadric GLUquadric;
typedef GLUquadric GLUquadricObj;

GLAPI GLUquadric* GLAPIENTRY gluNewQuadric(void);
GLAPI void GLAPIENTRY gluQuadricNormals(GLUquadric* quad, GLenum normal);
GLAPI void GLAPIENTRY gluQuadricTexture(GLUquadric* quad, GLboolean texture);
GLAPI void GLAPIENTRY gluSphere(GLUquadric* quad, GLdouble radius, GLint slices, GLint stacks);
GLAPI void GLAPIENTRY gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear,
                                     GLdouble zFar);

#ifdef __cplusplus
}
#endif

#endif
