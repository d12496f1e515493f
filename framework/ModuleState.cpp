#include "ModuleState.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

AFX_MODULE_STATE& processState()
{
    static AFX_MODULE_STATE state{::GetModuleHandleW(nullptr), ::GetModuleHandleW(nullptr), nullptr,
                                  nullptr};
    return state;
}

thread_local AFX_MODULE_STATE* currentState = nullptr;

} // namespace

AFX_MODULE_STATE* AfxGetStaticModuleState()
{
    static AFX_MODULE_STATE state{reinterpret_cast<HINSTANCE>(&__ImageBase),
                                  reinterpret_cast<HINSTANCE>(&__ImageBase), nullptr, nullptr};
    return &state;
}

AFX_MODULE_STATE* AfxGetModuleState() { return currentState ? currentState : &processState(); }

HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }

HINSTANCE AfxGetInstanceHandle() { return AfxGetModuleState()->m_hCurrentInstanceHandle; }

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state) : m_previous(currentState)
{
    currentState = state;
}

AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2() { currentState = m_previous; }
