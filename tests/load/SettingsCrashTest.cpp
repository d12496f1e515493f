// Settings the editor writes when it is closed are on disk at once: a host
// that is killed right after the close loses none of them, and a new
// process reads them back.
#include "support/AudioFixtures.h"
#include "support/ComponentLog.h"

#include <gtest/gtest.h>

namespace {

CString iniValue(const CString& path, const wchar_t* section, const wchar_t* key)
{
    wchar_t value[1024] = {};
    GetPrivateProfileStringW(section, key, L"", value, 1024, path);
    return value;
}

} // namespace

TEST(SettingsCrash, SettingsWrittenAtCloseSurviveTheHostBeingKilled)
{
    TempDir dir;
    const CString ini = dir.file(L"host.ini");
    const CString work = dir.file(L"work");
    CreateDirectoryW(work, nullptr);
    ASSERT_TRUE(WritePrivateProfileStringW(L"Common", L"TempFolder", work, ini));
    const CString song = dir.file(L"song.wav");
    // Four seconds: the default cut is 1000 to 3000 ms.
    WriteFileBytes(song, MakeWavBytes(WAVE_FORMAT_PCM, 1, 1000, 16, std::string(2 * 4000, '\x20')));

    CString eventName;
    eventName.Format(L"Local\\TarviskSettingsCrash%lu", GetCurrentProcessId());
    HANDLE closed = CreateEventW(nullptr, TRUE, FALSE, eventName);
    ASSERT_NE(closed, nullptr);
    CString commandLine;
    commandLine.Format(L"SettingsCrashHost.exe \"%s\" skins\\default \"%s\" %s", ini.GetString(),
                       song.GetString(), eventName.GetString());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    std::wstring writable = commandLine.str();
    ASSERT_TRUE(CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &child));
    const HANDLE either[] = {closed, child.hProcess};
    const DWORD woke = WaitForMultipleObjects(2, either, FALSE, 60000);
    TerminateProcess(child.hProcess, 9);
    WaitForSingleObject(child.hProcess, 30000);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    CloseHandle(closed);
    RemoveTree(EditionDataRoot(L"SettingsCrash"));
    ASSERT_EQ(woke, WAIT_OBJECT_0) << "the host ended or hung before it closed the editor";

    // This process never opened the file, so it reads what is on disk.
    EXPECT_STREQ(iniValue(ini, L"MV_Settings", L"InputFileName"), song);
    EXPECT_STREQ(iniValue(ini, L"MV_Settings", L"Cut"), L"1000,3000,0,0");
    EXPECT_STREQ(iniValue(ini, L"Common", L"TempFolder"), work) << "the preset stays";
}
