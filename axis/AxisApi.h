#pragma once

#ifdef AXIS_BUILDING_DLL
#define AXIS_API __declspec(dllexport)
#else
#define AXIS_API __declspec(dllimport)
#endif
