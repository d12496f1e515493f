#include "support/FacadeFixture.h"

#include "support/AudioFixtures.h"

FacadeFixture::FacadeFixture(const wchar_t* editionPrefix) : skin(BuiltSkin(L"default"), &store)
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
    store.set(L"Common", L"TempFolder", temp.path());
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

CString FacadeFixture::writeSong(const wchar_t* name, int seconds)
{
    std::string samples(static_cast<size_t>(seconds) * 1000 * 2, '\0');
    for (size_t i = 0; i < samples.size(); i += 2)
        samples[i + 1] = static_cast<char>(i % 4 == 0 ? 0x30 : 0xD0);
    const CString path = temp.file(name);
    WriteFileBytes(path, MakeWavBytes(WAVE_FORMAT_PCM, 1, 1000, 16, samples));
    return path;
}

HWND FacadeFixture::editor()
{
    return GetDlgItem(tarvisk.getMainWindow(), 1);
}

HWND FacadeFixture::streamView()
{
    return FindWindowExW(editor(), nullptr, nullptr, L"StreamViewCtrl");
}

Picture SkinPicture(const CString& skinFolder, const wchar_t* section, const wchar_t* key)
{
    CFolderSkinParser parser(skinFolder);
    CDynBitmap bitmap;
    if (!parser.selectSection(section) || !parser.getBitmap(key, bitmap))
        return Picture{};
    return ReadBitmap(static_cast<HBITMAP>(bitmap.GetSafeHandle()));
}

CString BuiltSkin(const wchar_t* name)
{
    return ExecutableFolder() + L"\\skins\\" + name;
}
