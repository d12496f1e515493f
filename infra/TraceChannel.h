#pragma once

#include "CString.h"

// The auxiliary diagnostic channel of the decoders, writers and folder
// functions: its own file, lock and level. Its level starts at 0 (off).
void TraceFormat(int level, const wchar_t* format, ...);
void SetTraceChannelLevel(int level);
// Full path of the file without date suffix; null restores "Trace".
void SetTraceChannelPrefix(const wchar_t* prefix);
