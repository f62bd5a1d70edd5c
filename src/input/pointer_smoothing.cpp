// The filter is the 1-euro filter of G. Casiez, N. Roussel and D. Vogel,
// "1 Euro Filter: A Simple Speed-based Low-pass Filter for Noisy Input in
// Interactive Systems", CHI 2012: an exponential low-pass filter whose
// cut-off frequency rises with the filtered speed, so that a slow pen is
// smoothed hard and a fast one followed closely.  The speed only counts
// above the speed of a resting pen's noise (a speed threshold), and the
// pixel shown follows the filtered position through a dead zone with
// hysteresis: the zone's centre is pulled along by the position and the
// shown pixel changes only once the centre is more than a quarter of a
// pixel past the rounding boundary, so that the last fraction of noise
// does not flip the pointer between two pixels.
#include "input/pointer_smoothing.h"
#include <math.h>
#include "os/os.h"
#include "shared/stored_values.h"

PointerSmoothing Smoothing;

namespace {

const double PI = 3.14159265358979323846;

// The strength of SMOOTHING_MAX / 2 meets the figures the pointer is
// measured against: with a noise of +-3 pixels at rest the pointer holds
// within 1 pixel, a stroke of 10 pixels per packet trails the pen by less
// than one packet's travel, and a pen that starts moving at 1 pixel per
// packet moves the pointer within 4 packets.
const double SPEED_CUTOFF_HZ = 10.0;    // of the speed's own filter
const double CUTOFF_PER_SPEED = 0.1;    // Hz of cut-off per pixel per second
const double ROUNDING_HYSTERESIS = 0.25;  // pixels past the half pixel

struct SmoothingParameters {
    double MinCutoffHz;     // the cut-off of a resting pen
    double NoiseSpeed;      // pixels per second that do not count as motion
    double DeadZone;        // pixels
};

SmoothingParameters ParametersOf(int strength)
{
    if (strength < 1)
        strength = 1;
    if (strength > SMOOTHING_MAX)
        strength = SMOOTHING_MAX;
    // Every two steps of strength halve the resting cut-off; the dead zone
    // and the speed taken for noise grow in proportion: 8 Hz, 40 px/s and
    // 0.15 px at 1; 2 Hz, 200 px/s and 0.75 px at 5; 0.35 Hz, 400 px/s and
    // 1.5 px at 10.
    SmoothingParameters p;
    p.MinCutoffHz = 8.0 * pow(0.5, (strength - 1) / 2.0);
    p.NoiseSpeed = 40.0 * strength;
    p.DeadZone = 0.15 * strength;
    return p;
}

// The weight of a new sample in an exponential filter of this cut-off.
double SmoothingFactor(double cutoffHz, double seconds)
{
    double tau = 1.0 / (2.0 * PI * cutoffHz);
    return 1.0 / (1.0 + tau / seconds);
}

void StartAxis(AxisSmoothing *axis, double position)
{
    axis->Position = position;
    axis->Speed = 0.0;
    axis->Pulled = position;
    axis->Shown = (LONG)floor(position + 0.5);
}

void FilterAxis(AxisSmoothing *axis, const SmoothingParameters &p, double seconds,
                double position)
{
    double speed = (position - axis->Position) / seconds;
    axis->Speed += SmoothingFactor(SPEED_CUTOFF_HZ, seconds) * (speed - axis->Speed);
    double moving = fabs(axis->Speed) - p.NoiseSpeed;
    double cutoff = p.MinCutoffHz + CUTOFF_PER_SPEED * (moving > 0.0 ? moving : 0.0);
    axis->Position += SmoothingFactor(cutoff, seconds) * (position - axis->Position);

    if (axis->Position - axis->Pulled > p.DeadZone)
        axis->Pulled = axis->Position - p.DeadZone;
    else if (axis->Pulled - axis->Position > p.DeadZone)
        axis->Pulled = axis->Position + p.DeadZone;
    if (fabs(axis->Pulled - axis->Shown) > 0.5 + ROUNDING_HYSTERESIS)
        axis->Shown = (LONG)floor(axis->Pulled + 0.5);
}

}  // namespace

void RestartPointerSmoothing(PointerSmoothing *filter)
{
    filter->Started = false;
}

double ReadSmoothingStep(PointerSmoothing *filter)
{
    LONGLONG now = OsReadPerformanceCounter();
    if (!filter->CountsPerSecond)
        filter->CountsPerSecond = OsReadPerformanceFrequency();
    LONGLONG counts = now - filter->LastCount;
    filter->LastCount = now;
    if (!filter->Started)
        return NOMINAL_PACKET_SECONDS;
    // Packets that arrive closer together than the tablet sends them queued
    // up on the way (a busy system hands them over in bursts): the tablet
    // took each one a whole interval after the last.  Counted at their
    // arrival, the newest of a burst would barely move the pointer.
    double seconds = (double)counts / (double)filter->CountsPerSecond;
    return seconds > NOMINAL_PACKET_SECONDS ? seconds : NOMINAL_PACKET_SECONDS;
}

void SmoothPosition(PointerSmoothing *filter, int strength, double seconds, double x,
                    double y, LONG *shownX, LONG *shownY)
{
    if (!filter->Started) {
        filter->Started = true;
        StartAxis(&filter->X, x);
        StartAxis(&filter->Y, y);
    } else {
        if (!(seconds > 0.0))
            seconds = NOMINAL_PACKET_SECONDS;
        SmoothingParameters p = ParametersOf(strength);
        FilterAxis(&filter->X, p, seconds, x);
        FilterAxis(&filter->Y, p, seconds, y);
    }
    *shownX = filter->X.Shown;
    *shownY = filter->Y.Shown;
}
