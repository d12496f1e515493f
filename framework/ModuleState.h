#pragma once

#include <windows.h>

class CWinApp;
class COccManager;

// What the framework needs to know about the module whose code is running:
// where its resources are and which application object it belongs to.
struct AFX_MODULE_STATE {
    HINSTANCE m_hCurrentInstanceHandle = nullptr;
    HINSTANCE m_hCurrentResourceHandle = nullptr;
    CWinApp* m_pCurrentWinApp = nullptr;
    COccManager* m_pOccManager = nullptr;
    // Strings and dialogs are taken in this language where the module has
    // them; 0 leaves the choice to the system.
    LANGID m_resourceLanguage = 0;
};

// The state of the module this code is linked into (the DLL when built into it).
AFX_MODULE_STATE* AfxGetStaticModuleState();
// The state current on this thread: this module's own unless a guard switched it.
AFX_MODULE_STATE* AfxGetModuleState();
HINSTANCE AfxGetResourceHandle();
HINSTANCE AfxGetInstanceHandle();
LANGID AfxGetResourceLanguage();
// The resource of the current module in its resource language, else in any.
HRSRC AfxFindResource(const wchar_t* name, const wchar_t* type);

// Makes a module state current for its lifetime and restores the previous one
// on every way out, exceptions included.
class AFX_MAINTAIN_STATE2 {
public:
    explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state);
    ~AFX_MAINTAIN_STATE2();
    AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
    // How many switches are in force on this thread: every exported call and
    // every message of the module's windows holds one, so more than one means
    // that the module's code is further down the stack.
    static int depth();
    AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

private:
    AFX_MODULE_STATE* m_previous;
};

#define AFX_MANAGE_STATE(state) AFX_MAINTAIN_STATE2 afxModuleStateGuard_(state)
