#include "host/CustomOccManager.h"

#include "host/CustomControlSite.h"

COleControlSite* CCustomOccManager::CreateSite(COleControlContainer* container)
{
    return new CCustomControlSite(container);
}
