#pragma once

#include "CString.h"

#include <string>

// The component's data folder of an edition, below the local application data.
CString EditionDataRoot(const CString& edition);
// The text of this process's log file under the component's data folder of
// an edition; empty when there is none.
std::wstring ComponentLogText(const CString& dataRoot);
