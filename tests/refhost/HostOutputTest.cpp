// The reference host as a process of its own, its standard output in a file.
#include "support/AudioFixtures.h"
#include "support/ProcessWindows.h"

#include <gtest/gtest.h>

TEST(HostOutput, SavePrintsTheWholePathsAndName)
{
    TempDir temp;
    CreateDirectoryW(temp.file(L"out"), nullptr);
    const CString song =
        WriteFileBytes(temp.file(L"Lied für Ö.wav"),
                       MakeWavBytes(WAVE_FORMAT_PCM, 1, 1000, 16, std::string(12000, 0)));
    const CString ini = temp.file(L"host.ini");
    WritePrivateProfileStringW(L"Common", L"TempFolder", temp.path(), ini);
    WritePrivateProfileStringW(L"Common", L"OutputFolder", temp.file(L"out"), ini);

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const CString outputPath = temp.file(L"stdout.txt");
    HANDLE output = CreateFileW(outputPath, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                0, nullptr);
    ASSERT_NE(output, INVALID_HANDLE_VALUE);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    CString commandLine;
    commandLine.Format(L"\"%s\\TarviskHost.exe\" --config \"%s\" --format ogg \"%s\"",
                       ExecutableFolder().GetString(), ini.GetString(), song.GetString());
    PROCESS_INFORMATION host{};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.GetBuffer(0), nullptr, nullptr, TRUE, 0,
                               nullptr, nullptr, &startup, &host));
    CloseHandle(output);

    // Once the song is open: save under a name with more than one byte a
    // letter, then the host's own message that the ringtone was saved.
    const std::string opened = "opened \"" + Narrow(song) + "\"\r\n";
    EXPECT_TRUE(WaitFor([&] {
        return ReadFileBytes(outputPath).find(opened) != std::string::npos;
    })) << ReadFileBytes(outputPath);
    const HWND editor = WaitForProcessWindow(
        host.dwProcessId, [](HWND w) { return GetDlgItem(GetDlgItem(w, 1), 101) != nullptr; });
    ASSERT_NE(editor, nullptr) << "the host shows the editor";
    PostMessageW(GetDlgItem(editor, 1), WM_COMMAND, MAKEWPARAM(102, 0), 0);
    const HWND trackName = WaitForProcessWindow(
        host.dwProcessId, [](HWND w) { return GetDlgItem(w, 1044) != nullptr; });
    ASSERT_NE(trackName, nullptr) << "the track name dialog";
    SendMessageW(GetDlgItem(trackName, 1044), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Mein Tön"));
    PostMessageW(trackName, WM_COMMAND, IDOK, 0);
    const HWND saved = WaitForProcessWindow(host.dwProcessId, [editor](HWND w) {
        wchar_t text[64] = {};
        GetWindowTextW(w, text, 64);
        return w != editor && std::wstring(text) == L"Tarvisk reference host";
    });
    ASSERT_NE(saved, nullptr) << "the host's message box";
    wchar_t message[512] = {};
    GetDlgItemTextW(saved, 0xFFFF, message, 512);
    PostMessageW(saved, WM_COMMAND, IDOK, 0);
    const bool ended = WaitForSingleObject(host.hProcess, 60000) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(host.hProcess, 9);
    CloseHandle(host.hThread);
    CloseHandle(host.hProcess);
    ASSERT_TRUE(ended) << "the host ends when the editor closes";

    const std::string printed = ReadFileBytes(outputPath);
    const std::string expectedSave =
        "saveCut \"" + Narrow(song) + "\" \"Mein T\xC3\xB6n\" 1500 4500 0 0\r\n";
    const std::string expectedSaved =
        "saved \"" + Narrow(temp.file(L"out\\Mein Tön.ogg")) + "\"\r\n";
    EXPECT_NE(printed.find(expectedSave), std::string::npos) << printed;
    EXPECT_NE(printed.find(expectedSaved), std::string::npos) << printed << Narrow(message);
    wchar_t format[8] = {};
    GetPrivateProfileStringW(L"TarviskHost", L"RingtoneFormat", L"", format, 8, ini);
    EXPECT_STREQ(format, L"ogg") << "the INI file keeps the format for the next run";
}
