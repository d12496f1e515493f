#pragma once

#include "TarviskLoader.h"
#include "refhost/SkinSwitcher.h"

// Pumps the host's messages while the editor is open: each goes to the
// host's own keys first, then to the editor's pre-translation, then to its
// window. Returns once the user has closed the editor, which only hides
// itself, or at WM_QUIT.
void RunHostMessageLoop(CTarviskLibrary& tarvisk, CSkinSwitcher& skins);
