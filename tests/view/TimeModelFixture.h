#pragma once

#include "infra/Settings.h"

#include "tests/support/MemoryConfigStore.h"

#include <gtest/gtest.h>

// Settings with a minimum zoom of 6 s and the default logarithmic parameters.
class TimeModelSettings : public testing::Test {
protected:
    TimeModelSettings()
    {
        m_store.preset(L"MV_Settings", L"MinZoomSec", L"6");
        CommonKeys(&m_store, &m_hostInfo);
        MVSettingsKeys(&m_store);
    }

private:
    MemoryConfigStore m_store;
    FixedHostInfo m_hostInfo;
};
