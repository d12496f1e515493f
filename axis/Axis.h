#pragma once

#ifdef AXIS_BUILDING_DLL
#define AXIS_API __declspec(dllexport)
#else
#define AXIS_API __declspec(dllimport)
#endif

// Selects how the axis library works; mode 0 is the standard time axis.
extern "C" AXIS_API void Axis_SetMode(int mode);
