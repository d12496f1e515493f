#pragma once

#include "ModuleState.h"

#include <ole2.h>

class COleControlContainer;

// Site of one hosted control. Interfaces beyond IUnknown are answered by
// derived sites through ExternalQueryInterface.
class COleControlSite {
public:
    explicit COleControlSite(COleControlContainer* container);
    virtual ~COleControlSite() = default;
    COleControlSite(const COleControlSite&) = delete;
    COleControlSite& operator=(const COleControlSite&) = delete;

    virtual ULONG ExternalAddRef();
    virtual ULONG ExternalRelease();
    virtual HRESULT ExternalQueryInterface(const IID& iid, void** object);

    COleControlContainer* m_pCtrlCont;
    AFX_MODULE_STATE* m_pModuleState;

private:
    ULONG m_refs = 1;
};

// Creates the sites of hosted controls; the module's manager is the one
// given to AfxEnableControlContainer.
class COccManager {
public:
    virtual ~COccManager() = default;
    virtual COleControlSite* CreateSite(COleControlContainer* container);
};

void AfxEnableControlContainer(COccManager* manager = nullptr);
