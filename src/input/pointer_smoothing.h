// Absolute mode's pointer smoothing: a speed-adaptive low-pass filter on
// each axis of the pen's position in screen pixels, then a small dead zone
// that the pointer is pulled along by, so that a resting pen leaves the
// pointer still and a moving one is followed without a lag to feel.
#ifndef POINTER_SMOOTHING_H
#define POINTER_SMOOTHING_H

#include <windows.h>

// The time a packet takes at the tablet's rate (133 per second): the step
// taken when the clock shows none.
#define NOMINAL_PACKET_SECONDS 0.0075

struct AxisSmoothing {
    double Position;  // the filtered position, in pixels
    double Speed;     // the filtered speed, in pixels per second
    double Pulled;    // the dead zone's centre, pulled along by Position
    LONG Shown;       // the pixel given out
};

struct PointerSmoothing {
    bool Started;         // false: the next position starts the filter afresh
    LONGLONG LastCount;   // the high-resolution counter at the last position
    LONGLONG CountsPerSecond;
    AxisSmoothing X, Y;
};

// The filter of the pen's positions (UI thread).
extern PointerSmoothing Smoothing;

// The next position starts the filter afresh (the pen came back into range,
// the settings changed).
void RestartPointerSmoothing(PointerSmoothing *filter);

// The seconds since the filter's last position, by the high-resolution
// clock, and at least one nominal packet (also when the clock shows none).
double ReadSmoothingStep(PointerSmoothing *filter);

// Filters one position (pixels, fractions allowed) taken `seconds` after
// the last one, at a strength of 1 (lightest) to SMOOTHING_MAX (strongest;
// larger counts as that): the pixel the pointer goes to.
void SmoothPosition(PointerSmoothing *filter, int strength, double seconds, double x,
                    double y, LONG *shownX, LONG *shownY);

#endif
