// Switches and the remaining state commands: glEnable/glDisable (GL 1.1
// sections 2.10.3 GL_NORMALIZE, 2.10.4 the generation of S and T, 2.13.1
// lighting and lights, 3.5.1 culling, 3.8 2-D texturing, 4.1.5 the depth
// test, 5.1 the evaluator maps and GL_AUTO_NORMAL), glFrontFace and
// glCullFace (3.5.1), glClearColor and glClear (4.2.3), glHint (5.6) and the
// two state queries the program makes (6.1). The depth test, culling, the
// front face and clearing go straight to WebGL, whose rules for them are
// GL's; the rest is read by the draw path.
// Entry points: glEnable(), glDisable(), glFrontFace(), glCullFace(),
// glClearColor(), glClear(), glHint(), glGetIntegerv().
#include "web/gl/display_lists.h"
#include "web/gl/gl_state.h"
#include "web/gl/webgl.h"

using namespace webgl11;

namespace {

// The flag of a capability that the draw path reads, or null.
bool* drawFlag(GLenum cap)
{
    switch (cap) {
    case GL_LIGHTING:
        return &glState.lighting;
    case GL_NORMALIZE:
        return &glState.normalize;
    case GL_TEXTURE_GEN_S:
        return &glState.texGenS;
    case GL_TEXTURE_GEN_T:
        return &glState.texGenT;
    case GL_LIGHT0:
    case GL_LIGHT1:
        return &glState.lights[cap - GL_LIGHT0].enabled;
    case GL_TEXTURE_2D:
        return &glState.texture2D;
    }
    return nullptr;
}

// The flag of an evaluator switch, in `evaluators`, or null.
bool* evaluatorFlag(EvaluatorState& evaluators, GLenum cap)
{
    switch (cap) {
    case GL_MAP2_VERTEX_3:
        return &evaluators.vertex3Enabled;
    case GL_MAP2_TEXTURE_COORD_2:
        return &evaluators.texCoord2Enabled;
    case GL_AUTO_NORMAL:
        return &evaluators.autoNormal;
    }
    return nullptr;
}

void setCapability(GLenum cap, bool on)
{
    if (cap == GL_DEPTH_TEST || cap == GL_CULL_FACE) {
        (cap == GL_DEPTH_TEST ? glState.depthTest : glState.cullFace) = on;
        if (on)
            emscripten_glEnable(cap);
        else
            emscripten_glDisable(cap);
        return;
    }
    *drawFlag(cap) = on;
    glState.uniformsDirty = true;
    if (cap == GL_TEXTURE_2D)
        glState.textureDirty = true;
}

void enable(GLenum cap, bool on)
{
    if (bool* flag = evaluatorFlag(glState.evaluators, cap)) {
        // The maps are read when a mesh is evaluated: a list evaluates its
        // own as it is compiled, with its own view of the switches.
        if (insideBeginEnd()) {
            setError(InvalidOperation);
        } else if (compilingList()) {
            *evaluatorFlag(listEvaluators(), cap) = on;
            recordInert([=] { *evaluatorFlag(glState.evaluators, cap) = on; });
        } else {
            *flag = on;
        }
        return;
    }
    if (cap != GL_DEPTH_TEST && cap != GL_CULL_FACE && !drawFlag(cap)) {
        setError(InvalidEnum);
        return;
    }
    runOrRecord([=] { setCapability(cap, on); }, StateKey::Enable, cap, on);
}

} // namespace

void glEnable(GLenum cap)
{
    enable(cap, true);
}

void glDisable(GLenum cap)
{
    enable(cap, false);
}

void glFrontFace(GLenum mode)
{
    if (mode != GL_CW && mode != GL_CCW) {
        setError(InvalidEnum);
        return;
    }
    runOrRecord(
        [=] {
            glState.frontFace = mode;
            emscripten_glFrontFace(mode);
        },
        StateKey::FrontFace, 0, mode);
}

void glCullFace(GLenum mode)
{
    if (mode != GL_FRONT && mode != GL_BACK) {
        setError(InvalidEnum);
        return;
    }
    runOrRecord(
        [=] {
            glState.cullFaceMode = mode;
            emscripten_glCullFace(mode);
        },
        StateKey::CullFace, 0, mode);
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha)
{
    runOrRecord([=] {
        // 4.2.3: the values are clamped to [0, 1] as they are given.
        const GLfloat values[4] = {red, green, blue, alpha};
        for (int i = 0; i < 4; ++i)
            glState.clearColour[i] = values[i] < 0 ? 0 : values[i] > 1 ? 1 : values[i];
        emscripten_glClearColor(glState.clearColour[0], glState.clearColour[1],
                                glState.clearColour[2], glState.clearColour[3]);
    });
}

void glClear(GLbitfield mask)
{
    if (mask & ~GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT)) {
        setError(InvalidValue);
        return;
    }
    runOrRecord([=] { emscripten_glClear(mask); });
}

void glHint(GLenum target, GLenum mode)
{
    if (target != GL_PERSPECTIVE_CORRECTION_HINT ||
        (mode != GL_DONT_CARE && mode != GL_FASTEST && mode != GL_NICEST)) {
        setError(InvalidEnum);
        return;
    }
    // WebGL interpolates with perspective correction whatever the hint says,
    // as GL 1.1 allows; the value is kept.
    if (insideBeginEnd())
        setError(InvalidOperation);
    else if (compilingList())
        recordInert([=] { glState.perspectiveHint = mode; });
    else
        glState.perspectiveHint = mode;
}

void glGetIntegerv(GLenum pname, GLint* params)
{
    // Never compiled: inside glNewList it answers with the state before the list.
    switch (pname) {
    case GL_TEXTURE_BINDING_2D:
        *params = GLint(glState.boundTexture);
        break;
    case GL_UNPACK_ALIGNMENT:
        *params = glState.unpackAlignment;
        break;
    default:
        setError(InvalidEnum);
        break;
    }
}
