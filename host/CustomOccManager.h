#pragma once

#include "Afx.h"

// Gives every hosted control of the component a CCustomControlSite.
class CCustomOccManager : public COccManager {
public:
    COleControlSite* CreateSite(COleControlContainer* container) override;
};
