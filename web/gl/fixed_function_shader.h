// The one shader program that plays GL 1.1's fixed-function pipeline
// (fixed_function_shader.cpp), and the layout of the state it reads: an
// array of vec4 slots that the draw path fills from glState.
// Entry point: fixedFunctionProgram().
#pragma once

#include <GL/gl.h>

namespace webgl11 {

// Vertex attribute locations (the layout of draw.h's Vertex).
enum AttributeLocation : GLuint {
    PositionAttribute = 0,
    NormalAttribute = 1,
    TexCoordAttribute = 2,
    ColourAttribute = 3,
    InheritAttribute = 4,
};

// Slots of the state array, each a vec4.
enum StateSlot : int {
    ModelviewSlot = 0,       // 4 slots: the columns
    ProjectionSlot = 4,      // 4 slots
    NormalMatrixSlot = 8,    // 3 slots: columns of the inverse transpose, xyz
    SwitchesSlot = 11,       // lighting, normalize, texturing (a complete texture), 0
    TexGenSlot = 12,         // generate s, generate t, s by sphere map, t by sphere map
    EmissionSlot = 13,       // the front material
    AmbientSlot = 14,
    DiffuseSlot = 15,
    SpecularSlot = 16,
    ShininessSlot = 17,      // x
    LightModelAmbientSlot = 18,
    CurrentColourSlot = 19,  // the current attributes, for inherited ones
    CurrentNormalSlot = 20,
    CurrentTexCoordSlot = 21,
    FirstLightSlot = 22,     // per light: position (eye), ambient, diffuse,
    LightSlots = 5,          // specular, (enabled, 0, 0, 0)
    StateSlotCount = 32,
};

// Compiles and links the program on first use; its "state" array location
// goes to stateLocation. Returns 0, with the reason on standard error, if
// WebGL refuses it.
GLuint fixedFunctionProgram(GLint& stateLocation);

} // namespace webgl11
