#pragma once

#include "CString.h"

// Modal message box with the host product name as caption, owned by owner or
// else by the application's main window. The text is traced first.
int ErrorBox(const CString& text, HWND owner = nullptr);
// The same with the text of string resource id, formatted with the arguments.
int ErrorBoxRes(HWND owner, UINT id, ...);
// Without the error icon (an information box).
int MessageBoxPlain(const CString& text, HWND owner = nullptr);
