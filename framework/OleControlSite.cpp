#include "OleControlSite.h"

COleControlSite::COleControlSite(COleControlContainer* container)
    : m_pCtrlCont(container), m_pModuleState(AfxGetModuleState())
{
}

ULONG COleControlSite::ExternalAddRef() { return ++m_refs; }

ULONG COleControlSite::ExternalRelease()
{
    ULONG refs = --m_refs;
    if (refs == 0)
        delete this;
    return refs;
}

HRESULT COleControlSite::ExternalQueryInterface(const IID& iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    (void)iid;
    return E_NOINTERFACE;
}

COleControlSite* COccManager::CreateSite(COleControlContainer* container)
{
    return new COleControlSite(container);
}

void AfxEnableControlContainer(COccManager* manager)
{
    static COccManager defaultManager;
    AfxGetModuleState()->m_pOccManager = manager ? manager : &defaultManager;
}
