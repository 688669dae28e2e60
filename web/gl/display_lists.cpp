// Display lists: GL 1.1 section 5.4. glGenLists reserves names, glNewList
// (GL_COMPILE) and glEndList compile, glCallList runs (nesting up to 64
// deep, as GL 1.1 asks at least). Client-side commands (glPixelStorei) and
// queries are not compiled; everything else is.
//
// A compiled list is a sequence of steps, commands and draws, and the
// vertex data of all its draws in one vertex and one index buffer, made
// when the list ends and never uploaded again. Geometry that follows other
// geometry with no command between becomes part of the same draw, so a run
// of quads under unchanged state is one draw call, drawn in list order. A
// command that sets what the list itself set just before (the texture bound
// again, a switch switched on again) changes nothing and is left out, which
// keeps the geometry around it in one draw. Commands that change only what
// no draw of the list reads (see recordInert) run after the list's last
// draw; among them, the current colour, normal and texture coordinates that
// the list leaves behind.
// Entry points: glGenLists(), glNewList(), glEndList(), glCallList(), and
// the recording interface of display_lists.h.
#include "web/gl/display_lists.h"

#include "web/gl/webgl.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

using namespace webgl11;

namespace {

constexpr int MaxListNesting = 64;

struct Step {
    enum Kind { Command, Draw, Call } kind;
    std::function<void()> run;   // Command
    PrimitiveClass primitives;   // Draw: what, and which indices
    std::uint32_t firstIndex = 0;
    std::uint32_t indexCount = 0;
    GLuint list = 0;             // Call
};

struct DisplayList {
    std::vector<Step> steps;
    std::vector<std::function<void()>> inert;
    GeometryBuffers buffers;
};

std::unordered_map<GLuint, DisplayList> lists;

// The list being compiled.
struct Compilation {
    GLuint name = 0;
    DisplayList list;
    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> indices;
    ListAttributes attributes;
    EvaluatorState evaluators;
    // The values the list itself has set, by key and capability.
    std::unordered_map<std::uint64_t, std::uint32_t> known;
};
std::unique_ptr<Compilation> compiling;

void releaseBuffers(GeometryBuffers& buffers)
{
    if (buffers.vertexArray) {
        emscripten_glDeleteVertexArrays(1, &buffers.vertexArray);
        const GLuint names[2] = {buffers.vertexBuffer, buffers.indexBuffer};
        emscripten_glDeleteBuffers(2, names);
    }
    buffers = {};
}

void runList(GLuint name, int depth)
{
    const auto found = lists.find(name);
    if (found == lists.end() || depth > MaxListNesting)
        return;
    const DisplayList& list = found->second;
    for (const Step& step : list.steps) {
        switch (step.kind) {
        case Step::Command:
            step.run();
            break;
        case Step::Draw:
            drawGeometry(list.buffers, step.primitives, step.firstIndex, step.indexCount);
            break;
        case Step::Call:
            runList(step.list, depth + 1);
            break;
        }
    }
    for (const std::function<void()>& run : list.inert)
        run();
}

// A command that sets the current attributes the list has set so far.
std::function<void()> setCurrentAttributes(const ListAttributes& attributes)
{
    return [attributes] {
        CurrentAttributes& current = glState.current;
        const CurrentAttributes& values = attributes.values;
        if (attributes.colourKnown)
            std::copy(values.colour, values.colour + 4, current.colour);
        if (attributes.normalKnown)
            std::copy(values.normal, values.normal + 3, current.normal);
        if (attributes.texCoordKnown)
            std::copy(values.texCoord, values.texCoord + 2, current.texCoord);
        glState.uniformsDirty = true;
    };
}

bool anyKnown(const ListAttributes& attributes)
{
    return attributes.colourKnown || attributes.normalKnown || attributes.texCoordKnown;
}

} // namespace

namespace webgl11 {

bool compilingList()
{
    return compiling != nullptr;
}

void recordCommand(std::function<void()> run, StateKey key, GLenum which, std::uint32_t value)
{
    if (key != StateKey::None) {
        const std::uint64_t slot = (std::uint64_t(key) << 32) | which;
        const auto known = compiling->known.find(slot);
        if (known != compiling->known.end() && known->second == value)
            return;
        compiling->known[slot] = value;
    }
    Step step{Step::Command, std::move(run), PrimitiveClass::Triangles};
    compiling->list.steps.push_back(std::move(step));
}

void recordInert(std::function<void()> run)
{
    compiling->list.inert.push_back(std::move(run));
}

ListAttributes& listAttributes()
{
    return compiling->attributes;
}

EvaluatorState& listEvaluators()
{
    return compiling->evaluators;
}

void recordGeometry(const Primitive& primitive)
{
    if (primitive.indices.empty())
        return;
    Compilation& c = *compiling;
    const std::uint32_t base = std::uint32_t(c.vertices.size());
    const std::uint32_t firstIndex = std::uint32_t(c.indices.size());
    c.vertices.insert(c.vertices.end(), primitive.vertices.begin(), primitive.vertices.end());
    for (std::uint32_t index : primitive.indices)
        c.indices.push_back(base + index);
    const std::uint32_t count = std::uint32_t(primitive.indices.size());

    std::vector<Step>& steps = c.list.steps;
    if (!steps.empty() && steps.back().kind == Step::Draw &&
        steps.back().primitives == primitive.kind) {
        steps.back().indexCount += count;
        return;
    }
    Step step{Step::Draw, nullptr, primitive.kind, firstIndex, count};
    steps.push_back(std::move(step));
}

} // namespace webgl11

GLuint glGenLists(GLsizei range)
{
    if (range < 0) {
        setError(InvalidValue);
        return 0;
    }
    if (range == 0 || insideBeginEnd())
        return 0;
    // The first run of `range` names, from 1, that no list holds.
    GLuint first = 1;
    for (GLuint name = first; name < first + GLuint(range); ++name)
        if (lists.count(name))
            first = name + 1;
    for (GLuint name = first; name < first + GLuint(range); ++name)
        lists[name];
    return first;
}

void glNewList(GLuint list, GLenum mode)
{
    if (list == 0) {
        setError(InvalidValue);
        return;
    }
    if (mode != GL_COMPILE) {
        setError(InvalidEnum);
        return;
    }
    if (compiling || insideBeginEnd()) {
        setError(InvalidOperation);
        return;
    }
    compiling = std::make_unique<Compilation>();
    compiling->name = list;
    compiling->attributes.values = glState.current;
    compiling->evaluators = glState.evaluators;
}

void glEndList()
{
    if (!compiling || insideBeginEnd()) {
        setError(InvalidOperation);
        return;
    }
    std::unique_ptr<Compilation> done = std::move(compiling);
    DisplayList& list = done->list;
    if (anyKnown(done->attributes))
        list.inert.push_back(setCurrentAttributes(done->attributes));
    if (!done->indices.empty())
        list.buffers = makeGeometryBuffers(done->vertices, done->indices);
    DisplayList& slot = lists[done->name];
    releaseBuffers(slot.buffers);
    slot = std::move(list);
}

void glCallList(GLuint list)
{
    if (insideBeginEnd()) {
        setError(InvalidOperation);
        return;
    }
    if (!compiling) {
        runList(list, 1);
        return;
    }
    // The called list may change anything: the state the list has set is
    // known no longer, and the current attributes it has set must be in
    // force when the other list runs.
    Compilation& c = *compiling;
    if (anyKnown(c.attributes)) {
        Step set{Step::Command, setCurrentAttributes(c.attributes), PrimitiveClass::Triangles};
        c.list.steps.push_back(std::move(set));
    }
    c.attributes.colourKnown = c.attributes.normalKnown = c.attributes.texCoordKnown = false;
    c.known.clear();
    Step call{Step::Call, nullptr, PrimitiveClass::Triangles};
    call.list = list;
    c.list.steps.push_back(std::move(call));
}
