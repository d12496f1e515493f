#include "PipelineHarness.h"

#include "infra/Logger.h"
#include "infra/Paths.h"
#include "res/resource.h"

#include "support/AudioFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <vector>

// Work folders that go or cannot be made, and a disk that fills up while an
// open writes to it: each open gives its message, leaves no partial output,
// and the next open of a good file works.

namespace {

constexpr DWORD kCaseBound = 60;

// Opens under the watchdog: a fault must end the open, not hang it.
OpenOutcome boundedOpen(PipelineHarness& harness, Watchdog& watchdog, const CString& input)
{
    watchdog.arm(Narrow(input));
    OpenOutcome outcome = harness.open(input);
    watchdog.disarm();
    return outcome;
}

void expectOpens(PipelineHarness& harness, Watchdog& watchdog, const CString& input)
{
    const OpenOutcome outcome = boundedOpen(harness, watchdog, input);
    EXPECT_TRUE(outcome.opened) << Narrow(input);
    EXPECT_TRUE(outcome.boxes.empty()) << Narrow(input);
    EXPECT_EQ(harness.checkAfterSuccess(), "") << Narrow(input);
}

CString workFolderMessage(const CString& folder, DWORD error)
{
    CString text;
    text.Format(resourceText(IDS_WORK_FOLDER_UNUSABLE), folder.GetString(),
                SystemErrorText(error).GetString());
    return text;
}

} // namespace

TEST(WorkFolderFaults, RemovedWorkFolderIsMadeAgainByTheNextOpen)
{
    TempDir root;
    const CString work = root.file(L"Tarvisk");
    ASSERT_TRUE(CreateDirectoryW(work, nullptr));
    PipelineHarness harness(work);
    Watchdog watchdog(kCaseBound);
    // Removed with the files of an open in it, then removed when empty: both
    // a decoded file and a WAV file opened in place write into the folder.
    expectOpens(harness, watchdog, FixturePath(L"mono.mp3"));
    RemoveTree(work);
    expectOpens(harness, watchdog, FixturePath(L"mono16.wav"));
    RemoveTree(work);
    expectOpens(harness, watchdog, FixturePath(L"mono.mp3"));
    // The parent went too.
    RemoveTree(root.path());
    expectOpens(harness, watchdog, FixturePath(L"pcm8.wav"));
    EXPECT_EQ(harness.document.getWavPath(), harness.workFile(L"temp.in"));
}

TEST(WorkFolderFaults, WorkFolderThatCannotBeMadeIsReportedAndNothingIsWritten)
{
    TempDir root;
    const CString work = root.file(L"Tarvisk");
    // A file where the folder should be.
    WriteFileBytes(work, "not a folder");
    PipelineHarness harness(work);
    Watchdog watchdog(kCaseBound);
    for (const wchar_t* name : {L"mono16.wav", L"mono.mp3", L"pcm8.wav"}) {
        const OpenOutcome outcome = boundedOpen(harness, watchdog, FixturePath(name));
        EXPECT_FALSE(outcome.opened) << Narrow(name);
        EXPECT_EQ(outcome.boxes,
                  std::vector<CString>{workFolderMessage(work, ERROR_FILE_EXISTS)})
            << Narrow(name);
        EXPECT_EQ(harness.checkAfterFailure(), "") << Narrow(name);
        EXPECT_EQ(ReadFileBytes(work), "not a folder") << Narrow(name);
    }
    DeleteFileW(work);
    expectOpens(harness, watchdog, FixturePath(L"mono.mp3"));
}

namespace {

// The small file system that the DiskFullFaults run mounts around its cases.
class DiskFull : public testing::Test {
protected:
    void SetUp() override
    {
        wchar_t root[MAX_PATH] = {};
        if (GetEnvironmentVariableW(L"TARVISK_SMALL_DISK", root, MAX_PATH) == 0)
            GTEST_SKIP() << "only in the run DiskFullFaults, which mounts a small file system";
        // The folder comes as a Unix path: Wine's drive Z: is the root.
        for (wchar_t* c = root; *c; ++c)
            *c = *c == L'/' ? L'\\' : *c;
        m_root = CString(L"Z:") + root;
        if (!FileExists(file(L"mounted")))
            GTEST_SKIP() << "no small file system was mounted at " << Narrow(m_root)
                         << " (mounting needs root)";
        m_work = file(L"work");
        ASSERT_TRUE(EnsureFolder(m_work));
        m_harness = std::make_unique<PipelineHarness>(m_work);
        CoInitialize(nullptr);
    }

    void TearDown() override
    {
        if (!m_harness)
            return;
        m_harness.reset();
        release();
        RemoveTree(m_work);
        CoUninitialize();
    }

    CString file(const wchar_t* name) const
    {
        CString path = m_root;
        AppendPathPart(path, name);
        return path;
    }

    // Fills the file system up, then gives back `spare` bytes of it.
    void fill(LONGLONG spare)
    {
        HANDLE filler = CreateFileW(file(L"filler"), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(filler, INVALID_HANDLE_VALUE);
        const std::vector<char> zeros(1 << 16);
        LONGLONG size = 0;
        for (DWORD written = 1; written != 0;) {
            written = 0;
            if (!WriteFile(filler, zeros.data(), static_cast<DWORD>(zeros.size()), &written,
                           nullptr))
                written = 0;
            size += written;
        }
        LARGE_INTEGER end;
        end.QuadPart = size > spare ? size - spare : 0;
        SetFilePointerEx(filler, end, nullptr, FILE_BEGIN);
        SetEndOfFile(filler);
        CloseHandle(filler);
        ULARGE_INTEGER available{};
        GetDiskFreeSpaceExW(m_root, &available, nullptr, nullptr);
        ASSERT_LT(available.QuadPart, static_cast<ULONGLONG>(spare) + 8192)
            << "the file system did not fill up";
    }

    void release() { DeleteFileW(file(L"filler")); }

    // An open on the full disk fails with `message`; freed, the same file opens.
    void expectDiskFullThenOpens(const CString& input, const CString& message)
    {
        const OpenOutcome full = boundedOpen(*m_harness, m_watchdog, input);
        EXPECT_FALSE(full.opened) << Narrow(input);
        EXPECT_EQ(full.boxes, std::vector<CString>{message}) << Narrow(input);
        EXPECT_EQ(m_harness->checkAfterFailure(), "") << Narrow(input);
        release();
        expectOpens(*m_harness, m_watchdog, input);
        m_harness->clearWorkFiles();
    }

    CString m_root;
    CString m_work;
    std::unique_ptr<PipelineHarness> m_harness;
    Watchdog m_watchdog{kCaseBound};
};

} // namespace

TEST_F(DiskFull, WhileDecodingTheDecoderReportsAndRemovesItsOutput)
{
    // Every file decodes to far more than the room left.
    for (const wchar_t* name : {L"tone.mp3", L"stereo.ogg", L"tone.wma"}) {
        fill(32 * 1024);
        const CString input = FixturePath(name);
        expectDiskFullThenOpens(input, formatted(IDS_ERROR_DECODING, input));
        EXPECT_FALSE(FileExists(m_harness->workFile(L"temp.in"))) << Narrow(name);
    }
}

TEST_F(DiskFull, WhileBuildingTheDatFileItIsRemoved)
{
    // A WAV file opened in place: the DAT file is all that is written.
    fill(0);
    expectDiskFullThenOpens(FixturePath(L"mono16.wav"), SystemErrorText(ERROR_DISK_FULL));

    // Room for the decoded file but not for its DAT file: the complete
    // temporary WAV file stays, as after any open, and the next open
    // overwrites it.
    const CString input = FixturePath(L"tone.mp3");
    expectOpens(*m_harness, m_watchdog, input);
    const LONGLONG decoded = static_cast<LONGLONG>(
        ReadFileBytes(m_harness->workFile(L"temp.in")).size());
    m_harness->clearWorkFiles();
    fill((decoded + 4095) / 4096 * 4096);
    expectDiskFullThenOpens(input, SystemErrorText(ERROR_DISK_FULL));
}

TEST_F(DiskFull, WhileConvertingAnEightBitFileTheConvertedFileIsRemoved)
{
    // The 8-bit source lies off the small disk; its 16-bit copy, twice its
    // size, does not fit on it.
    TempDir source;
    const CString input = source.file(L"long8.wav");
    WriteFileBytes(input, MakeWavBytes(1, 1, 8000, 8, std::string(400000, '\x90')));
    fill(64 * 1024);
    expectDiskFullThenOpens(input, SystemErrorText(ERROR_DISK_FULL));
}
