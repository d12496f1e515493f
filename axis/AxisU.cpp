#include "Axis.h"

namespace {
int currentMode = 0;
}

void Axis_SetMode(int mode) { currentMode = mode; }
