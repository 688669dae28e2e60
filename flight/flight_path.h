// The camera flight's fixed path: one step of the path parameter gives the
// next eye and look point. Plain arithmetic, no GL.
// Entry point: nextFlightPose().
#pragma once

#include "math/vector.h"

// Growth of the path parameter per flight frame.
constexpr float FlightStep = 10;

// Where the camera looks in every frame outside segments C to E, world units.
constexpr float FlightDefaultLook[3] = {40, 40, 20};

// Segment bounds of the parameter, compared as 32-bit floats; every bound is
// strict on both sides, so at exactly -100, 250, 750 and 1000, and from 1600
// on, no segment applies.
constexpr float FlightBoundAB = -100;  // A: cubic approach at height 20
constexpr float FlightBoundBC = 250;   // B: straight run at y = -10
constexpr float FlightBoundCD = 750;   // C: run along x = 250
constexpr float FlightBoundDE = 1000;  // D: climb
constexpr float FlightBoundEnd = 1600; // E: circle at height 200

// The approach's y as a cubic in the parameter (64-bit doubles).
constexpr double FlightCubic[4] = {5.944504640519e-05, 0.048333184118664,
                                   11.28766266044, 661.1661011971};  // c3, c2, c1, c0

// The circle: centre and radius in world units, height, and the factor that
// reads the parameter as an angle in degrees.
constexpr double FlightCircleX = 500;
constexpr double FlightCircleY = 300;
constexpr double FlightCircleRadius = 500;
constexpr double FlightCircleHeight = 200;
constexpr double FlightDegreesToRadians = 3.14159265 / 180;

struct FlightPose {
    float param;  // the path parameter after the step
    Point3 eye;
    Point3 look;
};

// The approach's y for a parameter value, evaluated in double as
// ((f c3) f) f + (f c2) f + f c1 + c0 and stored as a float.
float flightApproachY(float f);

// One step of the path from the parameter value param: the parameter grows by
// FlightStep, and the eye and look follow the segment that the new value lies
// in. Where no segment applies the eye stays at previousEye.
FlightPose nextFlightPose(float param, Point3 previousEye);
