// The flight path (see flight_path.h). Coordinates are formed in double
// precision from float inputs and stored as floats once.
#include "flight/flight_path.h"

#include <cmath>

namespace {

float toFloat(double value) { return static_cast<float>(value); }

// The moving target of segments C, D and E: it runs diagonally over the
// grounds as the parameter grows.
Point3 movingTarget(float f)
{
    return Point3(toFloat(double(f) / 10 + 10), toFloat(double(f) / 10 + 100), 20);
}

} // namespace

float flightApproachY(float f)
{
    const double x = f;
    return toFloat(((x * FlightCubic[0]) * x) * x + (x * FlightCubic[1]) * x
                   + x * FlightCubic[2] + FlightCubic[3]);
}

FlightPose nextFlightPose(float param, Point3 previousEye)
{
    FlightPose pose;
    pose.look = Point3(FlightDefaultLook[0], FlightDefaultLook[1], FlightDefaultLook[2]);
    pose.param = toFloat(double(param) + FlightStep);
    pose.eye = previousEye;
    const float f = pose.param;

    if (f < FlightBoundAB)
        pose.eye = Point3(f, flightApproachY(f), 20);
    if (FlightBoundAB < f && f < FlightBoundBC)
        pose.eye = Point3(f, -10, 20);
    if (FlightBoundBC < f && f < FlightBoundCD) {
        pose.eye = Point3(250, toFloat(double(f) - 250), 20);
        pose.look = movingTarget(f);
    }
    if (FlightBoundCD < f && f < FlightBoundDE) {
        pose.eye = Point3(250, toFloat(double(f) - 250), toFloat(double(f) - 750));
        pose.look = movingTarget(f);
    }
    if (FlightBoundDE < f && f < FlightBoundEnd) {
        // The parameter itself is the angle on the circle, in degrees.
        const double alpha = double(f) * FlightDegreesToRadians;
        pose.eye = Point3(toFloat(FlightCircleX + FlightCircleRadius * std::cos(alpha)),
                          toFloat(FlightCircleY + FlightCircleRadius * std::sin(alpha)),
                          toFloat(FlightCircleHeight));
        pose.look = movingTarget(f);
    }
    return pose;
}
