#include "refhost/RingtoneWriter.h"

#include "support/AudioFixtures.h"

#include <gtest/gtest.h>

TEST(HostileTrackNames, EveryNameGivesARealFileInsideTheOutputFolder)
{
    TempDir root;
    const CString output = root.file(L"out");
    CreateDirectoryW(output, nullptr);
    const CString decoded = WriteFileBytes(
        root.file(L"temp.in"), MakeWavBytes(WAVE_FORMAT_PCM, 1, 1000, 16, std::string(6000, 16)));

    // Device names, names that climb out or point elsewhere, odd characters.
    std::vector<std::wstring> names = {L"CON",     L"nul",    L"COM1",    L"lpt9",
                                       L"AUX",     L"PRN",    L"CON.txt", L"Com1 ",
                                       L"NUL.wav", L"CONIN$", L"conout$"};
    names.insert(names.end(),
                 {L"..", L"..\\..\\escaped", L"../../escaped", L"C:escaped",
                  L"C:\\Windows\\escaped", L"\\\\server\\share\\escaped", L"\\\\?\\C:\\escaped"});
    names.insert(names.end(), {L"name. . .", L"   ", L"", L"tab\there\r\nnewline", L"stream:name"});
    names.insert(names.end(), {std::wstring(300, L'x'), std::wstring(250, L'y') + L"\\..\\..",
                               std::wstring(199, L'z') + L"\U0001F3B5tail"});
    for (const std::wstring& name : names) {
        SCOPED_TRACE(Narrow(name.c_str()));
        RingtoneRequest request{decoded.str(), output.str(), name, 500, 1500, 0, 0};
        std::wstring path, error;
        ASSERT_TRUE(WriteRingtone(request, path, error)) << Narrow(error.c_str());
        const std::wstring file = path.substr(path.rfind(L'\\') + 1);
        EXPECT_EQ(path.substr(0, path.rfind(L'\\')), output.str()) << Narrow(path.c_str());
        EXPECT_EQ(FileNames(output + L"\\*"), std::vector<CString>{file.c_str()})
            << "not a file of the folder: " << Narrow(path.c_str());
        const WavFileContents wav = ReadWavFile(path.c_str());
        EXPECT_TRUE(wav.valid) << "the cut went to a device, not a file";
        EXPECT_EQ(wav.samples.size(), 2000u);
        EXPECT_LE(file.size(), 255u);
        DeleteFileW(path.c_str());
    }
    EXPECT_TRUE(FileNames(output + L"\\*").empty()) << "no partial files left behind";
    EXPECT_EQ(FileNames(root.file(L"*")), (std::vector<CString>{L"out", L"temp.in"}))
        << "nothing written beside the output folder";
}
