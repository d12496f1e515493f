#pragma once

#include "CString.h"

#include <string>

// The text of this process's log file under the component's data folder of
// an edition; empty when there is none.
std::wstring ComponentLogText(const CString& dataRoot);
