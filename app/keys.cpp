// Keyboard and special keys (see keys.h). One key event is one step: there is
// no key state and no repeat timer, so the system's auto-repeat walks on.
#include "app/keys.h"

#include "app/state.h"
#include "app/views.h"

#include <GL/glut.h>
#include <cstdlib>

namespace {

constexpr unsigned char EscapeKey = 27;

// The letter keys, in upper case. The help menu offers the same steps under
// texts whose letters do not always match these keys.
struct LetterKey {
    unsigned char letter;
    CameraStep step;
};

constexpr LetterKey LetterKeyTable[] = {
    {'W', StepForward},
    {'S', StepBack},
    {'A', TurnLeft},
    {'D', TurnRight},
    {'R', LookUp},
    {'F', LookDown},
    {'Q', RollRight},
    {'E', RollLeft},
};

// ASCII only: bytes above 127 are no letters here, whatever the locale says.
unsigned char upperCase(unsigned char key)
{
    return (key >= 'a' && key <= 'z') ? static_cast<unsigned char>(key - 'a' + 'A') : key;
}

} // namespace

void applyCameraStep(const CameraStep& step)
{
    switch (step.kind) {
    case CameraStep::Slide:
        camera.slide(step.du, step.dv, step.dn);
        break;
    case CameraStep::Yaw:
        camera.yaw(step.angle);
        break;
    case CameraStep::Pitch:
        camera.pitch(step.angle);
        break;
    case CameraStep::Roll:
        camera.roll(step.angle);
        break;
    }
}

void keyboard(unsigned char key, int, int)
{
    if (key == EscapeKey)
        std::exit(0);
    const unsigned char letter = upperCase(key);
    for (const LetterKey& entry : LetterKeyTable) {
        if (entry.letter == letter) {
            applyCameraStep(entry.step);
            break;
        }
    }
    glutPostRedisplay();
}

void specialKeys(int key, int, int)
{
    switch (key) {
    case GLUT_KEY_LEFT:
        applyCameraStep(StepLeft);
        break;
    case GLUT_KEY_UP:
        applyCameraStep(StepUp);
        break;
    case GLUT_KEY_RIGHT:
        applyCameraStep(StepRight);
        break;
    case GLUT_KEY_DOWN:
        applyCameraStep(StepDown);
        break;
    default:
        // GLUT_KEY_F1 .. GLUT_KEY_F9 are the codes 1 to 9; the views
        // ignore every other number.
        if (key >= GLUT_KEY_F1 && key <= GLUT_KEY_F9)
            showFunctionKeyView(key - GLUT_KEY_F1 + 1);
        break;
    }
    glutPostRedisplay();
}
