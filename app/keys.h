// Keyboard: letter keys walk and turn the camera, F1 to F9 jump to the
// function-key views, the arrows slide, ESC ends the program. Every other key
// only asks for a redisplay.
// Entry points: keyboard(), specialKeys(); the camera steps they share with
// the help menu: CameraStep, applyCameraStep().
#pragma once

// One fixed move or turn of the camera. Slides are in world units along the
// camera's axes (u right, v up, n backwards, so a negative dn goes forward);
// turns are in degrees.
struct CameraStep {
    enum Kind { Slide, Yaw, Pitch, Roll };
    Kind kind;
    double du, dv, dn;  // Slide only
    float angle;        // Yaw, Pitch and Roll only
};

constexpr double SlideStep = 20;  // world units
constexpr float TurnStep = 20;    // degrees, yaw and pitch
constexpr float RollStep = 10;    // degrees

constexpr CameraStep StepForward = {CameraStep::Slide, 0, 0, -SlideStep, 0};
constexpr CameraStep StepBack = {CameraStep::Slide, 0, 0, SlideStep, 0};
constexpr CameraStep StepLeft = {CameraStep::Slide, -SlideStep, 0, 0, 0};
constexpr CameraStep StepRight = {CameraStep::Slide, SlideStep, 0, 0, 0};
constexpr CameraStep StepUp = {CameraStep::Slide, 0, SlideStep, 0, 0};
constexpr CameraStep StepDown = {CameraStep::Slide, 0, -SlideStep, 0, 0};
constexpr CameraStep TurnLeft = {CameraStep::Yaw, 0, 0, 0, -TurnStep};
constexpr CameraStep TurnRight = {CameraStep::Yaw, 0, 0, 0, TurnStep};
constexpr CameraStep LookUp = {CameraStep::Pitch, 0, 0, 0, -TurnStep};
constexpr CameraStep LookDown = {CameraStep::Pitch, 0, 0, 0, TurnStep};
// A roll to the right tips the camera's up vector towards its right.
constexpr CameraStep RollRight = {CameraStep::Roll, 0, 0, 0, RollStep};
constexpr CameraStep RollLeft = {CameraStep::Roll, 0, 0, 0, -RollStep};

// Applies one step to the global camera, which reloads its viewing matrix.
void applyCameraStep(const CameraStep& step);

// GLUT keyboard callback, in both modes. Upper and lower case act alike.
void keyboard(unsigned char key, int x, int y);

// GLUT special-key callback in the normal mode.
void specialKeys(int key, int x, int y);
