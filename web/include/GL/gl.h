/* OpenGL 1.1 for the web build: the subset of GL 1.1 that the walk-through
 * (app/, math/, image/, scene/, flight/), GLU's quadric and projection code
 * and this layer's glutSolidSphere call, implemented over WebGL 2 in web/gl/.
 *
 * What is here is all there is: a GL 1.1 command or token that this header
 * does not name fails to compile, so nothing the layer does not implement can
 * be silently wrong. Values of the tokens are those of GL 1.1.
 *
 * Provided (the file that implements each group, and the GL 1.1 section
 * whose rules it follows):
 *   matrix.cpp (2.10)            glMatrixMode glLoadIdentity glLoadMatrixf
 *                                glMultMatrixd glPushMatrix glPopMatrix
 *                                glRotatef glRotated glTranslatef glViewport
 *   lighting.cpp (2.13)          glLightfv glMaterialfv glMaterialf
 *   texture_objects.cpp (3.8)    glBindTexture glTexImage2D glTexParameteri
 *                                glTexParameterf glPixelStorei
 *   texgen.cpp (2.10.4)          glTexGeni
 *   display_lists.cpp (5.4)      glGenLists glNewList glEndList glCallList
 *   evaluators.cpp (5.1)         glMap2f glMapGrid2f glEvalMesh2
 *   enable.cpp (2.x, 4, 5.6, 6)  glEnable glDisable glGetIntegerv glHint
 *                                glFrontFace glCullFace glClearColor glClear
 *   draw.cpp (2.6, 2.7)          glBegin glEnd glVertex3f glNormal3f
 *                                glNormal3fv glTexCoord2f glColor3f
 * GLU's projection file also holds gluLookAt, gluOrtho2D and gluPickMatrix,
 * which would need glMultMatrixf, glTranslated, glOrtho and glScalef: the web
 * GLU header does not offer them, so the linker drops them unused.
 * Not provided, among others: vertex arrays, glGetError (errors are recorded
 * and never reported, as the program never asks), glGenTextures (callers
 * choose texture names), lights beyond GL_LIGHT1, the light model, spot
 * lights and attenuation (they keep their initial values), colour material,
 * fog, blending, stencil, pixel reads, GL_COMPILE_AND_EXECUTE, and
 * glMaterial between glBegin and glEnd (refused, as every command but the
 * vertex attributes is). Points and lines are one pixel wide.
 */
#ifndef MIRTAL_WEB_GL_H
#define MIRTAL_WEB_GL_H

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned int GLenum;
typedef unsigned char GLboolean;
typedef unsigned int GLbitfield;
typedef void GLvoid;
typedef signed char GLbyte;
typedef short GLshort;
typedef int GLint;
typedef unsigned char GLubyte;
typedef unsigned short GLushort;
typedef unsigned int GLuint;
typedef int GLsizei;
typedef float GLfloat;
typedef float GLclampf;
typedef double GLdouble;
typedef double GLclampd;

#ifndef GLAPIENTRY
#define GLAPIENTRY
#endif
#ifndef APIENTRY
#define APIENTRY GLAPIENTRY
#endif
#ifndef GLAPI
#define GLAPI extern
#endif

/* Boolean */
#define GL_FALSE 0
#define GL_TRUE 1

/* Primitives (glBegin) */
#define GL_POINTS 0x0000
#define GL_LINES 0x0001
#define GL_LINE_LOOP 0x0002
#define GL_LINE_STRIP 0x0003
#define GL_TRIANGLES 0x0004
#define GL_TRIANGLE_STRIP 0x0005
#define GL_TRIANGLE_FAN 0x0006
#define GL_QUADS 0x0007
#define GL_QUAD_STRIP 0x0008
#define GL_POLYGON 0x0009

/* glClear */
#define GL_DEPTH_BUFFER_BIT 0x00000100
#define GL_COLOR_BUFFER_BIT 0x00004000

/* Faces */
#define GL_FRONT 0x0404
#define GL_BACK 0x0405
#define GL_CW 0x0900
#define GL_CCW 0x0901

/* glEnable / glDisable */
#define GL_CULL_FACE 0x0B44
#define GL_LIGHTING 0x0B50
#define GL_DEPTH_TEST 0x0B71
#define GL_NORMALIZE 0x0BA1
#define GL_AUTO_NORMAL 0x0D80
#define GL_MAP2_TEXTURE_COORD_2 0x0DB4
#define GL_MAP2_VERTEX_3 0x0DB7
#define GL_TEXTURE_2D 0x0DE1
#define GL_TEXTURE_GEN_S 0x0C60
#define GL_TEXTURE_GEN_T 0x0C61
#define GL_LIGHT0 0x4000
#define GL_LIGHT1 0x4001

/* glHint */
#define GL_PERSPECTIVE_CORRECTION_HINT 0x0C50
#define GL_DONT_CARE 0x1100
#define GL_FASTEST 0x1101
#define GL_NICEST 0x1102

/* glGetIntegerv */
#define GL_UNPACK_ALIGNMENT 0x0CF5
#define GL_TEXTURE_BINDING_2D 0x8069

/* Lights and materials */
#define GL_AMBIENT 0x1200
#define GL_DIFFUSE 0x1201
#define GL_SPECULAR 0x1202
#define GL_POSITION 0x1203
#define GL_EMISSION 0x1600
#define GL_SHININESS 0x1601
#define GL_AMBIENT_AND_DIFFUSE 0x1602

/* Display lists */
#define GL_COMPILE 0x1300

/* Pixel data */
#define GL_UNSIGNED_BYTE 0x1401
#define GL_RGB 0x1907

/* Matrices */
#define GL_MODELVIEW 0x1700
#define GL_PROJECTION 0x1701

/* Texture-coordinate generation */
#define GL_S 0x2000
#define GL_T 0x2001
#define GL_TEXTURE_GEN_MODE 0x2500
#define GL_SPHERE_MAP 0x2402

/* Texture parameters */
#define GL_NEAREST 0x2600
#define GL_LINEAR 0x2601
#define GL_NEAREST_MIPMAP_NEAREST 0x2700
#define GL_LINEAR_MIPMAP_NEAREST 0x2701
#define GL_NEAREST_MIPMAP_LINEAR 0x2702
#define GL_LINEAR_MIPMAP_LINEAR 0x2703
#define GL_TEXTURE_MAG_FILTER 0x2800
#define GL_TEXTURE_MIN_FILTER 0x2801
#define GL_TEXTURE_WRAP_S 0x2802
#define GL_TEXTURE_WRAP_T 0x2803
#define GL_REPEAT 0x2901

/* glEvalMesh2 */
#define GL_FILL 0x1B02

/* matrix.cpp */
GLAPI void GLAPIENTRY glMatrixMode(GLenum mode);
GLAPI void GLAPIENTRY glLoadIdentity(void);
GLAPI void GLAPIENTRY glLoadMatrixf(const GLfloat* m);
GLAPI void GLAPIENTRY glMultMatrixd(const GLdouble* m);
GLAPI void GLAPIENTRY glPushMatrix(void);
GLAPI void GLAPIENTRY glPopMatrix(void);
GLAPI void GLAPIENTRY glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
GLAPI void GLAPIENTRY glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z);
GLAPI void GLAPIENTRY glTranslatef(GLfloat x, GLfloat y, GLfloat z);
GLAPI void GLAPIENTRY glViewport(GLint x, GLint y, GLsizei width, GLsizei height);

/* lighting.cpp */
GLAPI void GLAPIENTRY glLightfv(GLenum light, GLenum pname, const GLfloat* params);
GLAPI void GLAPIENTRY glMaterialfv(GLenum face, GLenum pname, const GLfloat* params);
GLAPI void GLAPIENTRY glMaterialf(GLenum face, GLenum pname, GLfloat param);

/* texture_objects.cpp */
GLAPI void GLAPIENTRY glBindTexture(GLenum target, GLuint texture);
GLAPI void GLAPIENTRY glTexImage2D(GLenum target, GLint level, GLint internalFormat,
                                   GLsizei width, GLsizei height, GLint border, GLenum format,
                                   GLenum type, const GLvoid* pixels);
GLAPI void GLAPIENTRY glTexParameteri(GLenum target, GLenum pname, GLint param);
GLAPI void GLAPIENTRY glTexParameterf(GLenum target, GLenum pname, GLfloat param);
GLAPI void GLAPIENTRY glPixelStorei(GLenum pname, GLint param);

/* texgen.cpp */
GLAPI void GLAPIENTRY glTexGeni(GLenum coord, GLenum pname, GLint param);

/* display_lists.cpp */
GLAPI GLuint GLAPIENTRY glGenLists(GLsizei range);
GLAPI void GLAPIENTRY glNewList(GLuint list, GLenum mode);
GLAPI void GLAPIENTRY glEndList(void);
GLAPI void GLAPIENTRY glCallList(GLuint list);

/* evaluators.cpp */
GLAPI void GLAPIENTRY glMap2f(GLenum target, GLfloat u1, GLfloat u2, GLint ustride, GLint uorder,
                              GLfloat v1, GLfloat v2, GLint vstride, GLint vorder,
                              const GLfloat* points);
GLAPI void GLAPIENTRY glMapGrid2f(GLint un, GLfloat u1, GLfloat u2, GLint vn, GLfloat v1,
                                  GLfloat v2);
GLAPI void GLAPIENTRY glEvalMesh2(GLenum mode, GLint i1, GLint i2, GLint j1, GLint j2);

/* enable.cpp */
GLAPI void GLAPIENTRY glEnable(GLenum cap);
GLAPI void GLAPIENTRY glDisable(GLenum cap);
GLAPI void GLAPIENTRY glGetIntegerv(GLenum pname, GLint* params);
GLAPI void GLAPIENTRY glHint(GLenum target, GLenum mode);
GLAPI void GLAPIENTRY glFrontFace(GLenum mode);
GLAPI void GLAPIENTRY glCullFace(GLenum mode);
GLAPI void GLAPIENTRY glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
GLAPI void GLAPIENTRY glClear(GLbitfield mask);

/* draw.cpp */
GLAPI void GLAPIENTRY glBegin(GLenum mode);
GLAPI void GLAPIENTRY glEnd(void);
GLAPI void GLAPIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z);
GLAPI void GLAPIENTRY glNormal3f(GLfloat nx, GLfloat ny, GLfloat nz);
GLAPI void GLAPIENTRY glNormal3fv(const GLfloat* v);
GLAPI void GLAPIENTRY glTexCoord2f(GLfloat s, GLfloat t);
GLAPI void GLAPIENTRY glColor3f(GLfloat red, GLfloat green, GLfloat blue);

#ifdef __cplusplus
}
#endif

#endif
