// The fixed-function pipeline of GL 1.1 as one WebGL 2 shader program (see
// fixed_function_shader.h for the state it reads). The vertex stage does
// what GL 1.1 does per vertex:
//   2.10    eye coordinates and clip coordinates from the model-view and
//           projection matrices;
//   2.10.3  the normal in eye coordinates, n' = n M^-1, made unit length
//           when GL_NORMALIZE is on;
//   2.10.4  generated texture coordinates: the sphere map
//             u = unit eye position, r = u - 2 n' (n' . u),
//             m = 2 sqrt(rx^2 + ry^2 + (rz + 1)^2),
//             s = rx / m + 1/2, t = ry / m + 1/2,
//           or the initial eye-linear planes (s = xe, t = ye);
//   2.13.1  the lighting equation, for the front material, a viewer at
//           infinity (the initial light model) and undimmed, unspotted
//           lights:
//             c = e + a * a_s + sum over enabled lights i of
//                 a * a_i + (n . L_i)+ d * d_i + f_i ((n . h_i)+)^s sp * sp_i
//           with L_i the unit vector from the vertex to light i (its
//           direction for w = 0), h_i the unit vector of L_i + (0, 0, 1),
//           (x)+ = max(x, 0), f_i = 1 where (n . L_i)+ is not 0, else 0;
//           alpha that of the diffuse material;
//   2.13.6  colours clamped to [0, 1]; without lighting the current colour.
// The fragment stage applies 3.8.9's GL_MODULATE for an RGB texture: the
// colour times the texel, alpha unchanged (the texel's alpha is 1).
#include "web/gl/fixed_function_shader.h"

#include "web/gl/webgl.h"

#include <cstdio>

namespace webgl11 {

namespace {

const char* const VertexShader = R"(#version 300 es
precision highp float;
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texCoord;
layout(location = 3) in vec4 colour;
layout(location = 4) in vec3 inherit;
uniform vec4 state[32];
out vec4 shadedColour;
out vec2 shadedTexCoord;

const int NormalMatrix = 8, Switches = 11, TexGen = 12, Emission = 13, Ambient = 14,
          Diffuse = 15, Specular = 16, Shininess = 17, LightModelAmbient = 18,
          CurrentColour = 19, CurrentNormal = 20, CurrentTexCoord = 21, FirstLight = 22,
          LightSlots = 5;

vec3 lightingEquation(vec3 vertex, vec3 n)
{
    vec3 c = state[Emission].rgb + state[Ambient].rgb * state[LightModelAmbient].rgb;
    for (int i = 0; i < 2; ++i) {
        int light = FirstLight + LightSlots * i;
        if (state[light + 4].x == 0.0)
            continue;
        vec4 p = state[light];
        vec3 toLight = p.w != 0.0 ? normalize(p.xyz / p.w - vertex) : normalize(p.xyz);
        float diffuse = max(dot(n, toLight), 0.0);
        c += state[Ambient].rgb * state[light + 1].rgb +
             diffuse * state[Diffuse].rgb * state[light + 2].rgb;
        if (diffuse != 0.0) {
            vec3 h = normalize(toLight + vec3(0.0, 0.0, 1.0));
            float shininess = state[Shininess].x;
            float highlight = shininess == 0.0 ? 1.0 : pow(max(dot(n, h), 0.0), shininess);
            c += highlight * state[Specular].rgb * state[light + 3].rgb;
        }
    }
    return c;
}

void main()
{
    mat4 modelview = mat4(state[0], state[1], state[2], state[3]);
    mat4 projection = mat4(state[4], state[5], state[6], state[7]);
    mat3 normalMatrix = mat3(state[NormalMatrix].xyz, state[NormalMatrix + 1].xyz,
                             state[NormalMatrix + 2].xyz);
    vec4 eye = modelview * vec4(position, 1.0);
    gl_Position = projection * eye;
    gl_PointSize = 1.0;

    vec3 n = normalMatrix * mix(normal, state[CurrentNormal].xyz, inherit.y);
    if (state[Switches].y != 0.0 && dot(n, n) > 0.0)
        n = normalize(n);

    vec4 c = mix(colour, state[CurrentColour], inherit.x);
    if (state[Switches].x != 0.0)
        c = vec4(lightingEquation(eye.xyz / eye.w, n), state[Diffuse].a);
    shadedColour = clamp(c, 0.0, 1.0);

    vec2 st = mix(texCoord, state[CurrentTexCoord].xy, inherit.z);
    vec4 gen = state[TexGen];
    if (gen.x != 0.0 || gen.y != 0.0) {
        vec3 u = normalize(eye.xyz);
        vec3 r = u - 2.0 * n * dot(n, u);
        float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));
        vec2 sphere = r.xy / m + 0.5;
        if (gen.x != 0.0)
            st.x = gen.z != 0.0 ? sphere.x : eye.x;
        if (gen.y != 0.0)
            st.y = gen.w != 0.0 ? sphere.y : eye.y;
    }
    shadedTexCoord = st;
}
)";

const char* const FragmentShader = R"(#version 300 es
precision highp float;
in vec4 shadedColour;
in vec2 shadedTexCoord;
uniform vec4 state[32];
uniform sampler2D image;
out vec4 fragmentColour;

const int Switches = 11;

void main()
{
    vec4 c = shadedColour;
    if (state[Switches].z != 0.0)
        c *= texture(image, shadedTexCoord);
    fragmentColour = c;
}
)";

// True if WebGL took a shader or the program; else false, with WebGL's
// reason on standard error.
template <typename GetStatus, typename GetLog>
bool accepted(const char* what, GLuint object, GLenum status, GetStatus getStatus, GetLog getLog)
{
    GLint succeeded = 0;
    getStatus(object, status, &succeeded);
    if (succeeded)
        return true;
    char log[1024] = "";
    getLog(object, sizeof log, nullptr, log);
    std::fprintf(stderr, "fixed-function %s: %s\n", what, log);
    return false;
}

GLuint compile(GLenum type, const char* source)
{
    const GLuint shader = emscripten_glCreateShader(type);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    accepted("shader", shader, webgl::CompileStatus, emscripten_glGetShaderiv,
             emscripten_glGetShaderInfoLog);
    return shader;
}

} // namespace

GLuint fixedFunctionProgram(GLint& stateLocation)
{
    static GLuint program = 0;
    static GLint location = -1;
    static bool linked = false;
    if (!program) {
        program = emscripten_glCreateProgram();
        emscripten_glAttachShader(program, compile(webgl::VertexShader, VertexShader));
        emscripten_glAttachShader(program, compile(webgl::FragmentShader, FragmentShader));
        emscripten_glLinkProgram(program);
        linked = accepted("program", program, webgl::LinkStatus, emscripten_glGetProgramiv,
                          emscripten_glGetProgramInfoLog);
        emscripten_glUseProgram(program);
        location = emscripten_glGetUniformLocation(program, "state");
        emscripten_glUniform1i(emscripten_glGetUniformLocation(program, "image"), 0);
    }
    stateLocation = location;
    return linked ? program : 0;
}

} // namespace webgl11
