#include "support/FacadeFixture.h"

#include <shlobj.h>

FacadeFixture::FacadeFixture(const wchar_t* editionPrefix) : skin(ExecutableFolder() + L"\\skin")
{
    edition.Format(L"%s%X", editionPrefix, GetCurrentProcessId());
    host = FixedHostInfo(edition);
}

void FacadeFixture::SetUp()
{
    ASSERT_TRUE(tarvisk.load()) << "Tarvisk.dll beside the test";
    // Process ids come round again; the log of an earlier run stays behind
    // because a log file is released only with its process.
    RemoveTree(dataRoot());
    store.preset(L"Common", L"TempFolder", temp.path());
    info.skinParser = &skin;
    info.configStore = &store;
    info.hostInfo = &host;
    info.helpLink = L"help.chm";
}

void FacadeFixture::TearDown()
{
    tarvisk.destroy();
    tarvisk.unload();
    RemoveTree(dataRoot());
}

CString FacadeFixture::dataRoot() const
{
    wchar_t local[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local);
    return CString(local) + L"\\Verlanis\\Sorvenne_" + edition;
}
