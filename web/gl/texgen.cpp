// Texture-coordinate generation: GL 1.1 section 2.10.4. Only the sphere map
// can be chosen; the initial mode, eye-linear with the initial eye planes
// (s = x and t = y in eye coordinates), stays in force until then. The
// coordinates themselves are generated per vertex in the fixed-function
// shader; GL_TEXTURE_GEN_S and GL_TEXTURE_GEN_T are switched in enable.cpp.
// Entry point: glTexGeni().
#include "web/gl/display_lists.h"
#include "web/gl/gl_state.h"

using namespace webgl11;

void glTexGeni(GLenum coord, GLenum pname, GLint param)
{
    if ((coord != GL_S && coord != GL_T) || pname != GL_TEXTURE_GEN_MODE ||
        param != GL_SPHERE_MAP) {
        setError(InvalidEnum);
        return;
    }
    runOrRecord(
        [=] {
            (coord == GL_S ? glState.texGenModeS : glState.texGenModeT) = GLenum(param);
            glState.uniformsDirty = true;
        },
        StateKey::TexGenMode, coord, GLenum(param));
}
