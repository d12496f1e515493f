#include "ModuleState.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

thread_local AFX_MODULE_STATE* currentState = nullptr;
thread_local int switchDepth = 0;

} // namespace

AFX_MODULE_STATE* AfxGetStaticModuleState()
{
    static AFX_MODULE_STATE state{reinterpret_cast<HINSTANCE>(&__ImageBase),
                                  reinterpret_cast<HINSTANCE>(&__ImageBase), nullptr, nullptr};
    return &state;
}

// The framework is linked into each module, so without a switch the code
// runs in the module it belongs to.
AFX_MODULE_STATE* AfxGetModuleState() { return currentState ? currentState : AfxGetStaticModuleState(); }

HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }

HINSTANCE AfxGetInstanceHandle() { return AfxGetModuleState()->m_hCurrentInstanceHandle; }

LANGID AfxGetResourceLanguage() { return AfxGetModuleState()->m_resourceLanguage; }

HRSRC AfxFindResource(const wchar_t* name, const wchar_t* type)
{
    HINSTANCE module = AfxGetResourceHandle();
    const LANGID language = AfxGetResourceLanguage();
    HRSRC found = language ? ::FindResourceExW(module, type, name, language) : nullptr;
    return found ? found : ::FindResourceW(module, name, type);
}

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state) : m_previous(currentState)
{
    currentState = state;
    ++switchDepth;
}

AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2()
{
    currentState = m_previous;
    --switchDepth;
}

int AFX_MAINTAIN_STATE2::depth()
{
    return switchDepth;
}
