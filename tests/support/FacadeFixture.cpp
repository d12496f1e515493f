#include "support/FacadeFixture.h"

#include "support/AudioFixtures.h"

void FacadeFixture::SetUp()
{
    ASSERT_TRUE(tarvisk.load()) << "Tarvisk.dll beside the test";
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
}

CString FacadeFixture::writeSong(const wchar_t* name, int seconds)
{
    std::vector<int16_t> samples(seconds * 1000);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = i % 2 ? -0x3000 : 0x3000;
    return WriteFileBytes(temp.file(name),
                          MakeWavBytes(WAVE_FORMAT_PCM, 1, 1000, 16, Pcm16(samples)));
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
