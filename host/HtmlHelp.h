#pragma once

// Opens a help link with the system's HTML Help viewer. The viewer's library
// is looked up once per process; when it is missing, help stays unavailable.
// False when nothing was opened (the reason is in the thread's last error).
bool OpenHtmlHelp(const wchar_t* link);
// Closes the help windows OpenHtmlHelp opened, if any.
void CloseHtmlHelp();
