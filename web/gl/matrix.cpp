// Matrices and the viewport: GL 1.1 section 2.10 (2.10.1 the viewport,
// 2.10.2 the matrix commands and stacks). Matrices are stored and combined
// in single precision, column by column, as GL lays them out; a command
// multiplies the current matrix on the right (C = C M).
// Entry points: the matrix commands of GL/gl.h.
#include "web/gl/display_lists.h"
#include "web/gl/gl_state.h"
#include "web/gl/webgl.h"

#include <cmath>

using namespace webgl11;

namespace {

void replaceCurrent(const Matrix& matrix)
{
    currentMatrix() = matrix;
    glState.uniformsDirty = true;
}

void multiplyCurrent(const Matrix& matrix)
{
    replaceCurrent(multiply(currentMatrix(), matrix));
}

// 2.10.2: the rotation by `degrees` about the unit vector u of (x, y, z) is
// u u^T + cos(a) (I - u u^T) + sin(a) S, S the cross-product matrix of u.
// A zero axis rotates about nothing: the identity.
Matrix rotation(double degrees, double x, double y, double z)
{
    Matrix matrix = identityMatrix();
    const double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0)
        return matrix;
    x /= length;
    y /= length;
    z /= length;
    const double radians = degrees * 3.14159265358979323846 / 180;
    const double c = std::cos(radians), s = std::sin(radians);
    const double u[3] = {x, y, z};
    const double cross[3][3] = {{0, -z, y}, {z, 0, -x}, {-y, x, 0}};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            const double outer = u[row] * u[column];
            const double identity = row == column ? 1 : 0;
            matrix.m[4 * column + row] =
                GLfloat(outer + c * (identity - outer) + s * cross[row][column]);
        }
    return matrix;
}

Matrix translation(GLfloat x, GLfloat y, GLfloat z)
{
    Matrix matrix = identityMatrix();
    matrix.m[12] = x;
    matrix.m[13] = y;
    matrix.m[14] = z;
    return matrix;
}

} // namespace

void glMatrixMode(GLenum mode)
{
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION) {
        setError(InvalidEnum);
        return;
    }
    runOrRecord([=] { glState.matrixMode = mode; });
}

void glLoadIdentity()
{
    runOrRecord([] { replaceCurrent(identityMatrix()); });
}

void glLoadMatrixf(const GLfloat* m)
{
    Matrix matrix;
    for (int i = 0; i < 16; ++i)
        matrix.m[i] = m[i];
    runOrRecord([=] { replaceCurrent(matrix); });
}

void glMultMatrixd(const GLdouble* m)
{
    Matrix matrix;
    for (int i = 0; i < 16; ++i)
        matrix.m[i] = GLfloat(m[i]);
    runOrRecord([=] { multiplyCurrent(matrix); });
}

void glPushMatrix()
{
    runOrRecord([] {
        MatrixStack& stack = currentStack();
        if (stack.top + 1 >= MatrixStackDepth) {
            setError(StackOverflow);
            return;
        }
        stack.levels[stack.top + 1] = stack.levels[stack.top];
        ++stack.top;
    });
}

void glPopMatrix()
{
    runOrRecord([] {
        MatrixStack& stack = currentStack();
        if (stack.top == 0) {
            setError(StackUnderflow);
            return;
        }
        --stack.top;
        glState.uniformsDirty = true;
    });
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    const Matrix matrix = rotation(angle, x, y, z);
    runOrRecord([=] { multiplyCurrent(matrix); });
}

void glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z)
{
    const Matrix matrix = rotation(angle, x, y, z);
    runOrRecord([=] { multiplyCurrent(matrix); });
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    const Matrix matrix = translation(x, y, z);
    runOrRecord([=] { multiplyCurrent(matrix); });
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    if (width < 0 || height < 0) {
        setError(InvalidValue);
        return;
    }
    runOrRecord([=] {
        glState.viewport[0] = x;
        glState.viewport[1] = y;
        glState.viewport[2] = width;
        glState.viewport[3] = height;
        emscripten_glViewport(x, y, width, height);
    });
}
