#include "axis/Axis.h"

namespace {
int currentMode = AXIS_MODE_CLOCK;
}

void Axis_SetMode(int mode)
{
    if (mode == AXIS_MODE_CLOCK || mode == AXIS_MODE_ELAPSED)
        currentMode = mode;
}

int Axis_GetMode()
{
    return currentMode;
}
