#pragma once

#include "CString.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

// An edition of the component for this test suite and process, whose data
// folder is removed before and after: process ids come round again, and a
// log file is released only with its process.
struct TestEdition {
    TestEdition()
    {
        name.Format(L"%S%X", testing::UnitTest::GetInstance()->current_test_suite()->name(),
                    GetCurrentProcessId());
        RemoveTree(dataRoot());
    }
    ~TestEdition() { RemoveTree(dataRoot()); }

    // The edition's data folder, below the local application data.
    CString dataRoot() const
    {
        wchar_t local[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local);
        return CString(local) + L"\\Verlanis\\Sorvenne_" + name;
    }
    // The text of this process's log file in it; empty when there is none.
    std::wstring logText() const
    {
        CString pattern;
        pattern.Format(L"%s\\Log\\Melvora\\Log_*_%X.txt", dataRoot().GetString(),
                       GetCurrentProcessId());
        const std::vector<CString> names = FileNames(pattern);
        return names.empty() ? std::wstring()
                             : ReadUtf16File(dataRoot() + L"\\Log\\Melvora\\" + names[0]);
    }

    CString name;
};
