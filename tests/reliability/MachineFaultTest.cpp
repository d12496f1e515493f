#include "PipelineHarness.h"

#include "import/DatFileBuild.h"
#include "import/Mp3Decoder.h"
#include "import/OpProgress.h"
#include "import/OggDecoder.h"
#include "import/WavConversion.h"
#include "import/WmaDecoder.h"
#include "res/resource.h"

#include "support/AudioFixtures.h"
#include "support/ImportHook.h"

#include <gtest/gtest.h>

#include <optional>

TEST(WorkFolderFaults, RemovedFolderIsMadeAgainAndOneThatCannotBeMadeIsReported)
{
    TempDir root;
    const CString work = root.file(L"Tarvisk");
    PipelineHarness harness(work);
    // Removed with the files of an open in it; a WAV file opened in place
    // and a converted one both write into the folder.
    harness.expectOpens(FixturePath(L"mono.mp3"));
    RemoveTree(work);
    harness.expectOpens(FixturePath(L"mono16.wav"));
    // The parent went too.
    RemoveTree(root.path());
    harness.expectOpens(FixturePath(L"pcm8.wav"));
    EXPECT_EQ(harness.document.getWavPath(), harness.workFile(L"temp.in"));

    // A file where the folder should be: reported, and left as it was.
    harness.document.reset(true);
    RemoveTree(work);
    WriteFileBytes(work, "not a folder");
    CString message;
    message.Format(resourceText(IDS_WORK_FOLDER_UNUSABLE), work.GetString(), L"File exists. (80)");
    for (const wchar_t* name : {L"mono16.wav", L"mono.mp3", L"pcm8.wav"}) {
        harness.expectRefused(FixturePath(name), message);
        EXPECT_EQ(ReadFileBytes(work), "not a folder") << Narrow(name);
    }
    DeleteFileW(work);
    harness.expectOpens(FixturePath(L"mono.mp3"));
}

namespace {

// A disk with so many bytes left: the steps' writes fail as the file
// system's do once they are used up.
LONGLONG g_room = LLONG_MAX;
decltype(&WriteFile) g_writeFile;
decltype(&mmioWrite) g_mmioWrite;
bool takeRoom(LONGLONG bytes)
{
    if (bytes > g_room) {
        SetLastError(ERROR_DISK_FULL);
        return false;
    }
    g_room -= bytes;
    return true;
}
BOOL WINAPI writeFileToDisk(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED at)
{
    if (written)
        *written = 0;
    return takeRoom(size) && g_writeFile(file, data, size, written, at);
}
LONG WINAPI mmioWriteToDisk(HMMIO file, const char* data, LONG size)
{
    return takeRoom(size) ? g_mmioWrite(file, data, size) : -1;
}

} // namespace

TEST(DiskFull, EveryWriteStepReportsAndRemovesItsOutput)
{
    g_writeFile = hookImport("kernel32.dll", "WriteFile", &writeFileToDisk);
    g_mmioWrite = hookImport("winmm.dll", "mmioWrite", &mmioWriteToDisk);
    ASSERT_TRUE(g_writeFile && g_mmioWrite);
    PipelineHarness harness;
    // Refused on a disk with `room` bytes left, with `message`; with room, the same file opens.
    const auto fullThenOpens = [&](const CString& input, LONGLONG room, const CString& message,
                                   bool decoding = false) {
        g_room = room;
        harness.expectRefused(input, message);
        EXPECT_FALSE(decoding && FileExists(harness.workFile(L"temp.in"))) << Narrow(input);
        g_room = LLONG_MAX;
        harness.expectOpens(input);
        harness.clearWorkFiles();
    };

    // Decoding: every file decodes to far more than the room left.
    for (const wchar_t* name : {L"tone.mp3", L"stereo.ogg", L"tone.wma"})
        fullThenOpens(FixturePath(name), 32 * 1024,
                      formatted(IDS_ERROR_DECODING, FixturePath(name)), true);
    // A WAV file opened in place: the DAT file is all that is written.
    const CString diskFull = L"Disk full. (112)"; // the system's text and code
    fullThenOpens(FixturePath(L"mono16.wav"), 0, diskFull);
    // Room for the decoded file but not for its DAT file: the complete
    // temporary WAV file stays, as after any open.
    const CString mp3 = FixturePath(L"tone.mp3");
    harness.expectOpens(mp3);
    const LONGLONG decoded = ReadFileBytes(harness.workFile(L"temp.in")).size();
    harness.clearWorkFiles();
    fullThenOpens(mp3, decoded, diskFull);
    // Converting an 8-bit file: its 16-bit copy, twice its size, does not fit.
    TempDir source;
    const CString long8 = WriteFileBytes(source.file(L"long8.wav"),
                                         MakeWavBytes(1, 1, 8000, 8, std::string(400000, '\x90')));
    fullThenOpens(long8, 64 * 1024, diskFull);
    hookImport("kernel32.dll", "WriteFile", g_writeFile);
    hookImport("winmm.dll", "mmioWrite", g_mmioWrite);
}

TEST(InputInUse, HeldInputIsReportedAndDeletingItWhileItIsReadIsRefused)
{
    // Without a decoder, the input is read in place.
    const std::pair<const wchar_t*, MakeDecoder> inputs[] = {
        {L"mono.mp3", make<CMp3Decoder>},
        {L"stereo.ogg", make<COggDecoder>},
        {L"tone.wma", make<CWmaDecoder>},
        {L"mono16.wav", nullptr},
    };
    struct DeletingProgress : IOpProgress {
        bool isCancelled() override
        {
            if (!deleted)
                deleted = DeleteFileW(input) != FALSE;
            return false;
        }
        CString input;
        std::optional<bool> deleted;
    };
    PipelineHarness harness;
    for (const auto& [name, decoder] : inputs) {
        SCOPED_TRACE(Narrow(name));
        TempDir dir;
        const CString path = dir.file(name);
        WriteFileBytes(path, ReadFileBytes(FixturePath(name)));

        // Another program tries to delete the input while the step that reads it
        // runs: the system refuses, and the step completes.
        DeletingProgress intruder;
        intruder.input = path;
        if (decoder) {
            EXPECT_EQ(decoder()->decodeFile(path, dir.file(L"out"), &intruder), DecodeDone);
        } else {
            CWavReader reader(path);
            int peak = 0;
            CString errorText;
            EXPECT_EQ(createDatFile(&reader, dir.file(L"out"), &intruder, peak, errorText),
                      StepDone);
        }
        EXPECT_EQ(intruder.deleted, std::optional<bool>(false)) << "asked, and refused";

        // Held by a program that shares it with nobody: reported, and it
        // opens once released.
        HANDLE holder =
            CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        harness.expectRefused(
            path, decoder ? formatted(IDS_ERROR_DECODING, path)
                          : formatted(IDS_COULD_NOT_OPEN,
                                      L"error opening file " + path +
                                          L": the file is being used by another application and is "
                                          L"unavailable."));
        CloseHandle(holder);
        harness.expectOpens(path);
        harness.document.reset(true);
        harness.clearWorkFiles();
    }
}

// Runs for real only in WindowsMediaRuntimeMissing, whose Wine has no wmvcore.
TEST(RuntimeFaults, MissingWindowsMediaRuntimeIsReportedAndWavStillOpens)
{
    if (GetEnvironmentVariableW(L"TARVISK_WITHOUT_WMVCORE", nullptr, 0) == 0)
        GTEST_SKIP() << "only in the run without the Windows Media runtime";
    PipelineHarness harness;
    harness.expectRefused(FixturePath(L"tone.wma"), resourceText(IDS_WMF_MISSING));
    EXPECT_FALSE(FileExists(harness.workFile(L"temp.in"))) << "the decoder leaves no output";
    harness.expectOpens(FixturePath(L"mono16.wav"));
}
