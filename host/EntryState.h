#pragma once

#include "ModuleState.h"

// Every exported operation runs in the component's module state, restored on
// every way out, so its resources and windows are found whoever calls.
#define TARVISK_ENTRY AFX_MANAGE_STATE(AfxGetStaticModuleState())
