#include "PipelineHarness.h"
#include "load/LoadRun.h"

#include "import/DatFileBuild.h"
#include "import/Mp3Decoder.h"
#include "import/OggDecoder.h"
#include "import/OpProgress.h"
#include "import/WavConversion.h"
#include "import/WavReader.h"
#include "import/WmaDecoder.h"
#include "infra/Logger.h"
#include "infra/Paths.h"
#include "res/resource.h"

#include "support/AudioFixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Faults of the machine around the component: a work folder that goes or
// cannot be made, a disk that fills up, an input another program holds, a
// missing runtime. Each open gives its message, leaves no partial output,
// and the next open of a good file works; every open runs under a watchdog,
// so a fault must end the open, not hang it.

namespace {

class Faults {
public:
    explicit Faults(const CString& work) : harness(work) { CoInitialize(nullptr); }
    ~Faults() { CoUninitialize(); }

    OpenOutcome open(const CString& input)
    {
        watchdog.arm(Narrow(input));
        OpenOutcome outcome = harness.open(input);
        watchdog.disarm();
        return outcome;
    }
    void expectOpens(const CString& input)
    {
        const OpenOutcome outcome = open(input);
        EXPECT_TRUE(outcome.opened) << Narrow(input);
        EXPECT_TRUE(outcome.boxes.empty()) << Narrow(input);
        EXPECT_EQ(harness.checkAfterSuccess(), "") << Narrow(input);
    }
    void expectRefused(const CString& input, const CString& message)
    {
        const OpenOutcome outcome = open(input);
        EXPECT_FALSE(outcome.opened) << Narrow(input);
        EXPECT_EQ(outcome.boxes, std::vector<CString>{message}) << Narrow(input);
        EXPECT_EQ(harness.checkAfterFailure(), "") << Narrow(input);
    }

    PipelineHarness harness;
    Watchdog watchdog{60};
};

} // namespace

TEST(WorkFolderFaults, RemovedFolderIsMadeAgainAndOneThatCannotBeMadeIsReported)
{
    TempDir root;
    const CString work = root.file(L"Tarvisk");
    ASSERT_TRUE(CreateDirectoryW(work, nullptr));
    Faults faults(work);
    // Removed with the files of an open in it, then removed when empty: both
    // a decoded file and a WAV file opened in place write into the folder.
    faults.expectOpens(FixturePath(L"mono.mp3"));
    RemoveTree(work);
    faults.expectOpens(FixturePath(L"mono16.wav"));
    RemoveTree(work);
    faults.expectOpens(FixturePath(L"mono.mp3"));
    // The parent went too.
    RemoveTree(root.path());
    faults.expectOpens(FixturePath(L"pcm8.wav"));
    EXPECT_EQ(faults.harness.document.getWavPath(), faults.harness.workFile(L"temp.in"));

    // A file where the folder should be: reported, and left as it was.
    faults.harness.document.reset(true);
    RemoveTree(work);
    WriteFileBytes(work, "not a folder");
    CString message;
    message.Format(resourceText(IDS_WORK_FOLDER_UNUSABLE), work.GetString(),
                   SystemErrorText(ERROR_FILE_EXISTS).GetString());
    for (const wchar_t* name : {L"mono16.wav", L"mono.mp3", L"pcm8.wav"}) {
        faults.expectRefused(FixturePath(name), message);
        EXPECT_EQ(ReadFileBytes(work), "not a folder") << Narrow(name);
    }
    DeleteFileW(work);
    faults.expectOpens(FixturePath(L"mono.mp3"));
}

// Run for real only by DiskFullFaults, which mounts a 2 MB file system
// around it: each write step of an open meets a full disk, gives its
// message, removes what it wrote, and the same file opens once there is room.
TEST(DiskFull, EveryWriteStepReportsAndRemovesItsOutput)
{
    wchar_t folder[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"TARVISK_SMALL_DISK", folder, MAX_PATH) == 0)
        GTEST_SKIP() << "only in the run DiskFullFaults, which mounts a small file system";
    // The folder comes as a Unix path: Wine's drive Z: is the root.
    for (wchar_t* c = folder; *c; ++c)
        *c = *c == L'/' ? L'\\' : *c;
    const CString root = CString(L"Z:") + folder;
    if (!FileExists(root + L"\\mounted"))
        GTEST_SKIP() << "no small file system was mounted at " << Narrow(root)
                     << " (mounting needs root)";
    const CString work = root + L"\\work";
    const CString filler = root + L"\\filler";
    ASSERT_TRUE(EnsureFolder(work));
    auto faults = std::make_unique<Faults>(work);
    PipelineHarness& harness = faults->harness;

    // Fills the file system up, then gives back `spare` bytes of it.
    const auto fill = [&](LONGLONG spare) {
        HANDLE file = CreateFileW(filler, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        const std::vector<char> zeros(1 << 16);
        LARGE_INTEGER size{};
        for (DWORD written = 1; written != 0; size.QuadPart += written) {
            if (!WriteFile(file, zeros.data(), static_cast<DWORD>(zeros.size()), &written, nullptr))
                written = 0;
        }
        size.QuadPart = std::max<LONGLONG>(0, size.QuadPart - spare);
        SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        CloseHandle(file);
        ULARGE_INTEGER available{};
        GetDiskFreeSpaceExW(root, &available, nullptr, nullptr);
        ASSERT_LT(available.QuadPart, static_cast<ULONGLONG>(spare) + 8192)
            << "the file system did not fill up";
    };
    // An open on the full disk fails with `message` and removes what it
    // wrote; freed, the same file opens.
    const auto fullThenOpens = [&](const CString& input, const CString& message,
                                   bool decoding = false) {
        faults->expectRefused(input, message);
        if (decoding) {
            EXPECT_FALSE(FileExists(harness.workFile(L"temp.in"))) << Narrow(input);
        }
        DeleteFileW(filler);
        faults->expectOpens(input);
        harness.clearWorkFiles();
    };

    // Decoding: every file decodes to far more than the room left.
    for (const wchar_t* name : {L"tone.mp3", L"stereo.ogg", L"tone.wma"}) {
        fill(32 * 1024);
        fullThenOpens(FixturePath(name), formatted(IDS_ERROR_DECODING, FixturePath(name)), true);
    }
    // Building the DAT file of a WAV file opened in place: the DAT file is
    // all that is written.
    fill(0);
    fullThenOpens(FixturePath(L"mono16.wav"), SystemErrorText(ERROR_DISK_FULL));
    // Room for the decoded file but not for its DAT file: the complete
    // temporary WAV file stays, as after any open, and the next open
    // overwrites it.
    const CString mp3 = FixturePath(L"tone.mp3");
    faults->expectOpens(mp3);
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

    faults.reset();
    RemoveTree(work);
}

namespace {

// At the first question, with the input open, another program tries to
// delete it.
class DeletingProgress : public IOpProgress {
public:
    explicit DeletingProgress(const CString& input) : m_input(input) {}
    bool isCancelled() override
    {
        if (!tried) {
            tried = true;
            deleted = DeleteFileW(m_input) != FALSE;
        }
        return false;
    }
    bool tried = false;
    bool deleted = false;

private:
    CString m_input;
};

using Step = std::function<int(const CString& input, const CString& output, IOpProgress*)>;

template <class Decoder> Step decoding()
{
    return [](const CString& input, const CString& output, IOpProgress* progress) {
        Decoder decoder;
        return static_cast<int>(decoder.decodeFile(input, output, progress));
    };
}

// A WAV file is read in place, by the DAT building.
int datBuilding(const CString& input, const CString& output, IOpProgress* progress)
{
    CWavReader reader(input);
    int peak = 0;
    CString errorText;
    return createDatFile(&reader, output, progress, peak, errorText);
}

} // namespace

TEST(InputInUse, HeldInputIsReportedAndDeletingItWhileItIsReadIsRefused)
{
    const struct {
        const wchar_t* name;
        Step step;
        bool decoded;    // else read in place
        bool repeatable; // Wine's Windows Media runtime dithers, so only its length repeats
    } inputs[] = {
        {L"mono.mp3", decoding<CMp3Decoder>(), true, true},
        {L"stereo.ogg", decoding<COggDecoder>(), true, true},
        {L"tone.wma", decoding<CWmaDecoder>(), true, false},
        {L"mono16.wav", datBuilding, false, true},
    };
    TempDir work;
    Faults faults(work.path());
    for (const auto& input : inputs) {
        SCOPED_TRACE(Narrow(input.name));
        TempDir dir;
        const CString path = dir.file(input.name);
        WriteFileBytes(path, ReadFileBytes(FixturePath(input.name)));

        // Another program tries to delete the input while the step reads it:
        // the system refuses, and what was written is the whole file.
        const int done = input.decoded ? static_cast<int>(DecodeDone) : StepDone;
        DeletingProgress intruder(path);
        EXPECT_EQ(input.step(path, dir.file(L"out.in"), &intruder), done);
        ASSERT_TRUE(intruder.tried);
        EXPECT_FALSE(intruder.deleted);
        IOpProgress quiet;
        ASSERT_EQ(input.step(path, dir.file(L"plain.in"), &quiet), done);
        const std::string written = ReadFileBytes(dir.file(input.decoded ? L"out.in" : L"out.dat"));
        const std::string expected =
            ReadFileBytes(dir.file(input.decoded ? L"plain.in" : L"plain.dat"));
        EXPECT_EQ(written.size(), expected.size());
        if (input.repeatable) {
            EXPECT_TRUE(written == expected);
        }

        // Held by a program that shares it with nobody: reported, and it
        // opens once released.
        HANDLE holder =
            CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        faults.expectRefused(
            path, input.decoded
                      ? formatted(IDS_ERROR_DECODING, path)
                      : formatted(IDS_COULD_NOT_OPEN,
                                  L"error opening file " + path +
                                      L": the file is being used by another application and is "
                                      L"unavailable."));
        CloseHandle(holder);
        faults.expectOpens(path);
        faults.harness.document.reset(true);
        faults.harness.clearWorkFiles();
    }
}

// Runs for real only in the ctest case WindowsMediaRuntimeMissing, whose Wine
// has wmvcore disabled.
TEST(RuntimeFaults, MissingWindowsMediaRuntimeIsReportedAndWavStillOpens)
{
    if (GetEnvironmentVariableW(L"TARVISK_WITHOUT_WMVCORE", nullptr, 0) == 0)
        GTEST_SKIP() << "only in the run without the Windows Media runtime";
    TempDir work;
    Faults faults(work.path());
    faults.expectRefused(FixturePath(L"tone.wma"), resourceText(IDS_WMF_MISSING));
    faults.expectOpens(FixturePath(L"mono16.wav"));
}
