// Umbrella header of the application-framework layer: the subset of the
// platform's framework classes that the component uses, over plain Win32.
#pragma once

#include "CString.h"
#include "ModuleState.h"
#include "Sync.h"
#include "WinApp.h"
#include "WinThread.h"
#include "Wnd.h"
#include "Dialog.h"
#include "Rect.h"
#include "Gdi.h"
#include "DC.h"
#include "Controls.h"
#include "DataExchange.h"
#include "ToolTipCtrl.h"
#include "OleControlSite.h"
