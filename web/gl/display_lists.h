// Display lists (GL 1.1 section 5.4) as the other command files see them:
// while a list is being compiled, a command is recorded instead of executed.
// Entry points: compilingList(), recordCommand(), recordInert(),
// listAttributes(), recordGeometry(), listEvaluators().
//
// A list is kept as the commands it runs, in order, and its vertex data in
// WebGL buffers made once, when the list ends. Consecutive geometry under
// unchanged state is one draw call, in list order, so that equal depths
// resolve as in GL. What makes "unchanged" is in display_lists.cpp.
#pragma once

#include "web/gl/draw.h"
#include "web/gl/gl_state.h"

#include <functional>

namespace webgl11 {

// True between glNewList and glEndList.
bool compilingList();

// What a recorded command changes, so that a repeat of a value the list
// itself set just before is left out (and the geometry around it stays one
// draw call). Commands with the key None are always recorded.
enum class StateKey : std::uint8_t {
    None,
    Enable,       // one key per capability: `which` is the capability
    BindTexture,
    FrontFace,
    CullFace,
    TexGenMode,   // `which` is GL_S or GL_T
};

// Records a command that changes state a later draw reads. `value` is the
// new value for `key` (an enum, a name, a flag).
void recordCommand(std::function<void()> run, StateKey key = StateKey::None, GLenum which = 0,
                   std::uint32_t value = 0);

// Records a command that changes only state that no draw reads: the
// evaluator maps and their switches (a list's meshes are evaluated as it is
// compiled), hints, the current attributes after the list. Such commands run
// after the list's last draw, in the order they were given.
void recordInert(std::function<void()> run);

// The current attributes as the list being compiled sees them, and which of
// them the list has set itself (the others are taken, when the list runs,
// from the current attributes of that moment).
struct ListAttributes {
    CurrentAttributes values;
    bool colourKnown = false;
    bool normalKnown = false;
    bool texCoordKnown = false;
};
ListAttributes& listAttributes();

// The evaluator state as the list being compiled sees it: the state at
// glNewList, changed by the list's own evaluator commands.
EvaluatorState& listEvaluators();

// Appends one primitive's triangles, lines or points to the list.
void recordGeometry(const Primitive& primitive);

// How a command that is not a vertex attribute runs: refused between glBegin
// and glEnd (2.6.3), recorded while a list is compiled (5.4), else at once.
template <typename Run>
void runOrRecord(Run run, StateKey key = StateKey::None, GLenum which = 0,
                 std::uint32_t value = 0)
{
    if (insideBeginEnd())
        setError(InvalidOperation);
    else if (compilingList())
        recordCommand(run, key, which, value);
    else
        run();
}

} // namespace webgl11
