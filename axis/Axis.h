#pragma once

// The time-axis library (AxisU.dll): a time scale painted with plain GDI.

#include "axis/AxisApi.h"
#include "axis/BaseAxis.h"
#include "axis/QTime.h"
#include "axis/TimeAxis.h"

// How the time axis labels its marks.
enum AxisMode : int {
    // The clock time of each mark, hours wrapping at 24.
    AXIS_MODE_CLOCK = 0,
    // The time elapsed since the left border.
    AXIS_MODE_ELAPSED = 1,
};

// Selects the labelling of every time axis of the process; unknown modes are
// ignored.
extern "C" AXIS_API void Axis_SetMode(int mode);
extern "C" AXIS_API int Axis_GetMode();
