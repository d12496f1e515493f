#include "PipelineHarness.h"

#include "import/DatFileBuild.h"
#include "import/Mp3Decoder.h"
#include "import/OpProgress.h"
#include "import/OggDecoder.h"
#include "import/WavConversion.h"
#include "import/WmaDecoder.h"
#include "infra/Logger.h"
#include "res/resource.h"

#include "support/AudioFixtures.h"

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
    message.Format(resourceText(IDS_WORK_FOLDER_UNUSABLE), work.GetString(),
                   SystemErrorText(ERROR_FILE_EXISTS).GetString());
    for (const wchar_t* name : {L"mono16.wav", L"mono.mp3", L"pcm8.wav"}) {
        harness.expectRefused(FixturePath(name), message);
        EXPECT_EQ(ReadFileBytes(work), "not a folder") << Narrow(name);
    }
    DeleteFileW(work);
    harness.expectOpens(FixturePath(L"mono.mp3"));
}

// Run for real only by DiskFullFaults, which mounts a 2 MB file system around it.
TEST(DiskFull, EveryWriteStepReportsAndRemovesItsOutput)
{
    wchar_t folder[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"TARVISK_SMALL_DISK", folder, MAX_PATH) == 0)
        GTEST_SKIP() << "only in the run DiskFullFaults, which mounts a small file system";
    // The folder comes as a Unix path: Wine's drive Z: is the root.
    const CString root = CString(L"Z:") + folder;
    if (!FileExists(root + L"\\mounted"))
        GTEST_SKIP() << "no small file system was mounted at " << Narrow(root)
                     << " (mounting needs root)";
    const CString filler = root + L"\\filler";
    PipelineHarness harness(root + L"\\work");

    // Fills the file system up but for `spare` bytes.
    const auto fill = [&](LONGLONG spare) {
        ULARGE_INTEGER available{};
        GetDiskFreeSpaceExW(root, &available, nullptr, nullptr);
        WriteFileBytes(filler, std::string(std::max<LONGLONG>(0, available.QuadPart - spare), 0));
        GetDiskFreeSpaceExW(root, &available, nullptr, nullptr);
        ASSERT_LT(available.QuadPart, static_cast<ULONGLONG>(spare) + 8192)
            << "the file system did not fill up";
    };
    // Refused on the full disk with `message`; freed, the same file opens.
    const auto fullThenOpens = [&](const CString& input, const CString& message,
                                   bool decoding = false) {
        harness.expectRefused(input, message);
        EXPECT_FALSE(decoding && FileExists(harness.workFile(L"temp.in"))) << Narrow(input);
        DeleteFileW(filler);
        harness.expectOpens(input);
        harness.clearWorkFiles();
    };

    // Decoding: every file decodes to far more than the room left.
    for (const wchar_t* name : {L"tone.mp3", L"stereo.ogg", L"tone.wma"}) {
        fill(32 * 1024);
        fullThenOpens(FixturePath(name), formatted(IDS_ERROR_DECODING, FixturePath(name)), true);
    }
    // A WAV file opened in place: the DAT file is all that is written.
    fill(0);
    fullThenOpens(FixturePath(L"mono16.wav"), SystemErrorText(ERROR_DISK_FULL));
    // Room for the decoded file but not for its DAT file: the complete
    // temporary WAV file stays, as after any open.
    const CString mp3 = FixturePath(L"tone.mp3");
    harness.expectOpens(mp3);
    const LONGLONG decoded = ReadFileBytes(harness.workFile(L"temp.in")).size();
    harness.clearWorkFiles();
    fill((decoded + 4095) / 4096 * 4096);
    fullThenOpens(mp3, SystemErrorText(ERROR_DISK_FULL));
    // Converting an 8-bit file that lies off the small disk: its 16-bit
    // copy, twice its size, does not fit on it.
    TempDir source;
    const CString long8 = source.file(L"long8.wav");
    WriteFileBytes(long8, MakeWavBytes(1, 1, 8000, 8, std::string(400000, '\x90')));
    fill(64 * 1024);
    fullThenOpens(long8, SystemErrorText(ERROR_DISK_FULL));
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
    TempDir work;
    PipelineHarness harness(work.path());
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
    TempDir work;
    PipelineHarness harness(work.path());
    harness.expectRefused(FixturePath(L"tone.wma"), resourceText(IDS_WMF_MISSING));
    harness.expectOpens(FixturePath(L"mono16.wav"));
}
