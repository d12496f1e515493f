#include "import/DocumentView.h"
#include "import/StreamDocument.h"
#include "infra/Settings.h"
#include "res/resource.h"

#include "tests/support/AudioFixtures.h"
#include "tests/support/MemoryConfigStore.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

CString resourceText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

// Keeps the busy flag at every refresh of the buttons.
class RecordingView : public IDocumentView {
public:
    void documentChanged(bool) override { ++changes; }
    void commandStateChanged() override { busySeen.push_back(document->isBusy()); }
    bool isPlaying() override { return false; }
    void stopPlaying() override {}
    int64_t getPosition() override { return 0; }

    CStreamDocument* document = nullptr;
    int changes = 0;
    std::vector<bool> busySeen;
};

class StreamDocumentTest : public testing::Test {
protected:
    StreamDocumentTest()
    {
        CommonKeys(&m_store, &m_hostInfo);
        MVSettingsKeys(&m_store);
        GetMVSettings().SetWorkFolder(work.path());
        view.document = &document;
        document.attach(nullptr, &view);
    }
    ~StreamDocumentTest() override { GetMVSettings().SetWorkFolder(CString()); }

    // A silent mono 8 kHz 16-bit file of the given length.
    CString silentWav(const wchar_t* name, int milliseconds, uint16_t bits = 16)
    {
        const CString path = inputs.file(name);
        const size_t bytes = static_cast<size_t>(milliseconds) * 8 * (bits / 8);
        WriteFileBytes(path, MakeWavBytes(WAVE_FORMAT_PCM, 1, 8000, bits,
                                          std::string(bytes, bits == 8 ? '\x80' : '\0')));
        return path;
    }
    // Opens input with every box pressed; returns the box texts.
    std::vector<CString> openExpectingFailure(const CString& input)
    {
        MessageBoxWatcher boxes;
        EXPECT_FALSE(document.openInputFile(input, nullptr, 0)) << Narrow(input);
        EXPECT_FALSE(document.isBusy());
        EXPECT_EQ(document.getDurationMs(), 0);
        EXPECT_FALSE(document.cutRegion().valid);
        return boxes.texts();
    }
    bool tempWavExists() const
    {
        return GetFileAttributesW(work.file(L"temp.in")) != INVALID_FILE_ATTRIBUTES;
    }

    TempDir work;
    TempDir inputs;
    CStreamDocument document;
    RecordingView view;

private:
    MemoryConfigStore m_store;
    FixedHostInfo m_hostInfo;
};

} // namespace

TEST(StreamDocumentRules, GainFollowsThePeakWithinTheAllowedPercent)
{
    EXPECT_NEAR(CStreamDocument::computeGain(89, 16384), 1.77995, 1e-5);
    EXPECT_EQ(CStreamDocument::computeGain(5, 16384), 0.0);
    EXPECT_EQ(CStreamDocument::computeGain(150, 16384), 0.0);
    EXPECT_EQ(CStreamDocument::computeGain(89, 99), 0.0);
    EXPECT_NEAR(CStreamDocument::computeGain(100, 32767), 1.0, 1e-12);
}

TEST(StreamDocumentRules, TitlesAndTypeDescriptions)
{
    EXPECT_EQ(CStreamDocument::titleFromFileName(L"C:\\music\\My-Song 2.mp3"), L"MySong");
    EXPECT_EQ(CStreamDocument::titleFromFileName(L"C:\\music\\2024.wav"), L"ringtone");
    EXPECT_EQ(CStreamDocument::titleFromFileName(L""), L"ringtone");
    EXPECT_EQ(CStreamDocument::typeDescription(1, L"3"), L"Audio CD track [3]");
    EXPECT_EQ(CStreamDocument::typeDescription(2, L"radio"), L"[radio]");
    EXPECT_EQ(CStreamDocument::typeDescription(2, L""), L"");
    EXPECT_EQ(CStreamDocument::typeDescription(3, L"mic"), L"Recorded from [mic]");
    EXPECT_EQ(CStreamDocument::typeDescription(0, L"x"), L"");
}

TEST_F(StreamDocumentTest, SixteenBitWavIsUsedInPlaceWithTheDefaultCut)
{
    const CString input = silentWav(L"eight.wav", 8000);
    ASSERT_TRUE(document.openInputFile(input, nullptr, 0));
    EXPECT_EQ(document.getWavPath(), input);
    EXPECT_EQ(document.getDatPath(), work.file(L"temp.dat"));
    EXPECT_EQ(document.getDurationMs(), 8000);
    EXPECT_EQ(document.cutRegion().begin, 2000);
    EXPECT_EQ(document.cutRegion().end, 6000);
    EXPECT_TRUE(document.cutRegion().valid);
    EXPECT_EQ(document.getInputFileName(), input);
    EXPECT_EQ(document.getTitle(), L"eight");
    EXPECT_EQ(document.getDisplayName(), L"[" + input + L"]");
    EXPECT_EQ(document.getGain(), 0.0) << "silence has no peak to normalise to";
    EXPECT_EQ(document.getFormat().wBitsPerSample, 16);
    EXPECT_FALSE(document.isBusy());
    EXPECT_EQ(view.busySeen, (std::vector<bool>{true, false}));
    int count = 0;
    document.readDatRange(0, 8000, &count);
    EXPECT_EQ(count, 800);
}

TEST_F(StreamDocumentTest, DefaultCutDependsOnTheLength)
{
    ASSERT_TRUE(document.openInputFile(silentWav(L"minute.wav", 60000), nullptr, 0));
    EXPECT_EQ(document.cutRegion().begin, 10000);
    EXPECT_EQ(document.cutRegion().end, 20000);
    ASSERT_TRUE(document.openInputFile(silentWav(L"short.wav", 1500), nullptr, 0));
    EXPECT_FALSE(document.cutRegion().valid);
    EXPECT_EQ(document.getDurationMs(), 1500);
}

TEST_F(StreamDocumentTest, EightBitWavBecomesTheTemporaryFile)
{
    ASSERT_TRUE(document.openInputFile(FixturePath(L"pcm8.wav"), nullptr, 0));
    EXPECT_EQ(document.getWavPath(), work.file(L"temp.in"));
    EXPECT_EQ(document.getFormat().wBitsPerSample, 16);
    EXPECT_EQ(ReadWavFile(work.file(L"temp.in")).samples,
              ReadWavFile(FixturePath(L"pcm8_sox16.wav")).samples);
}

TEST_F(StreamDocumentTest, CompressedInputIsChosenByItsLastExtension)
{
    const std::string mp3 = ReadFileBytes(FixturePath(L"tone.mp3"));
    for (const wchar_t* name : {L"song.MP3", L"archive.tar.mp3"}) {
        WriteFileBytes(inputs.file(name), mp3);
        ASSERT_TRUE(document.openInputFile(inputs.file(name), nullptr, 0)) << Narrow(name);
        EXPECT_EQ(document.getWavPath(), work.file(L"temp.in"));
        EXPECT_GE(document.getDurationMs(), 3000);
        EXPECT_GT(document.getGain(), 1.0);
    }
    ASSERT_TRUE(document.openInputFile(FixturePath(L"stereo.ogg"), nullptr, 0));
    EXPECT_EQ(document.getFormat().nChannels, 2);
    const CString copy = inputs.file(L"copy.in");
    CopyFileW(FixturePath(L"pcm16.wav"), copy, FALSE);
    ASSERT_TRUE(document.openInputFile(copy, nullptr, 0));
    EXPECT_EQ(document.getWavPath(), copy);
}

TEST_F(StreamDocumentTest, FailuresShowTheirBoxAndLeaveTheDocumentEmpty)
{
    CString expected;
    const CString noExtension = inputs.file(L"noextension");
    WriteFileBytes(noExtension, "x");
    expected.Format(resourceText(IDS_UNSUPPORTED_EXTENSION), noExtension.GetString());
    EXPECT_EQ(openExpectingFailure(noExtension), std::vector<CString>{expected});

    const CString text = inputs.file(L"notes.mp3");
    WriteFileBytes(text, std::string(5000, 't'));
    EXPECT_EQ(openExpectingFailure(text), std::vector<CString>{L"Invalid file!"});
    EXPECT_FALSE(tempWavExists());

    EXPECT_EQ(openExpectingFailure(FixturePath(L"chained.ogg")),
              std::vector<CString>{L"File not supported!"});
    EXPECT_FALSE(tempWavExists());

    const CString unsupported = resourceText(IDS_UNSUPPORTED_WAVE);
    EXPECT_EQ(unsupported, L"Unsupported wave file, only 8 or 16 bit PCM files are supported");
    EXPECT_EQ(openExpectingFailure(FixturePath(L"pcm24.wav")), std::vector<CString>{unsupported});
    const CString pcm24 = inputs.file(L"pcm24.wav");
    WriteFileBytes(pcm24, MakeWavBytes(WAVE_FORMAT_PCM, 1, 8000, 24, std::string(2400, '\0')));
    EXPECT_EQ(openExpectingFailure(pcm24), std::vector<CString>{unsupported});
    for (const auto& [channels, rate] : {std::pair<uint16_t, uint32_t>{0, 8000}, {1, 0}}) {
        const CString odd = inputs.file(L"odd.wav");
        WriteFileBytes(odd, MakeWavBytes(WAVE_FORMAT_PCM, channels, rate, 16, std::string(100, '\0')));
        EXPECT_EQ(openExpectingFailure(odd), std::vector<CString>{unsupported});
    }
    const CString slow = inputs.file(L"slow.wav");
    WriteFileBytes(slow, MakeWavBytes(WAVE_FORMAT_PCM, 1, 50, 16, std::string(1000, '\0')));
    EXPECT_EQ(openExpectingFailure(slow), std::vector<CString>{resourceText(IDS_SAMPLE_RATE_TOO_LOW)});

    const CString notWave = inputs.file(L"fake.wav");
    WriteFileBytes(notWave, std::string(100, 'w'));
    expected.Format(resourceText(IDS_COULD_NOT_OPEN), L"not a wave file");
    EXPECT_EQ(openExpectingFailure(notWave), std::vector<CString>{expected});
}

namespace {

// Presses Cancel on the progress window as soon as it is shown for the DAT
// step: the posted click arrives in the pump that follows the show.
HHOOK g_hook = nullptr;
bool g_datStepSeen = false;

LRESULT CALLBACK cancelDatStep(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION) {
        if (call->message == WM_SETTEXT && GetDlgCtrlID(call->hwnd) == IDC_PROGRESS_TEXT)
            g_datStepSeen = resourceText(IDS_CREATING_DAT) == reinterpret_cast<const wchar_t*>(call->lParam);
        if (call->message == WM_SHOWWINDOW && call->wParam && g_datStepSeen)
            PostMessageW(call->hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

} // namespace

TEST_F(StreamDocumentTest, CancelDuringDatBuildingLeavesNothingAndSaysNothing)
{
    const CString input = silentWav(L"long.wav", 60000);
    g_datStepSeen = false;
    g_hook = SetWindowsHookExW(WH_CALLWNDPROC, cancelDatStep, nullptr, GetCurrentThreadId());
    ASSERT_NE(g_hook, nullptr);
    MessageBoxWatcher boxes;
    const bool opened = document.openInputFile(input, nullptr, 0);
    UnhookWindowsHookEx(g_hook);
    EXPECT_TRUE(g_datStepSeen);
    EXPECT_FALSE(opened);
    EXPECT_TRUE(boxes.texts().empty());
    EXPECT_EQ(GetFileAttributesW(work.file(L"temp.dat")), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(document.getDurationMs(), 0);
    EXPECT_TRUE(document.getWavPath().IsEmpty());
    EXPECT_FALSE(document.isBusy());
}

TEST_F(StreamDocumentTest, StoredNamesApplyOnlyToTheirOwnFile)
{
    const CString input = silentWav(L"eight.wav", 8000);
    CMVSettings& settings = GetMVSettings();
    settings.SetInputFileName(L"C:\\music\\other.mp3");
    settings.SetInputName(L"Other song");
    settings.SetInputTitle(L"Other");
    ASSERT_TRUE(document.openInputFile(input, nullptr, 0));
    EXPECT_EQ(document.getInputFileName(), input) << "the host saves from the file opened";
    EXPECT_EQ(document.getTitle(), L"eight");

    settings.SetInputFileName(input);
    ASSERT_TRUE(document.openInputFile(input, nullptr, 0));
    EXPECT_EQ(document.getDisplayName(), L"Other song");
    EXPECT_EQ(document.getTitle(), L"Other");
}

TEST_F(StreamDocumentTest, StoreWritesNamesAndCutToTheSettings)
{
    const CString input = silentWav(L"eight.wav", 8000);
    ASSERT_TRUE(document.openInputFile(input, nullptr, 0));
    document.setCut(3000, 7000);
    document.store();
    CCutRegion stored;
    GetMVSettings().GetCut(stored);
    EXPECT_EQ(stored.begin, 3000);
    EXPECT_EQ(stored.end, 7000);
    EXPECT_EQ(GetMVSettings().GetInputFileName(), input);
    EXPECT_EQ(GetMVSettings().GetInputName(), L"[" + input + L"]");
    ASSERT_NE(document.cutAtPosition(3000), nullptr);
    EXPECT_EQ(document.cutAtPosition(7000), nullptr);
}

// Runs for real only in the ctest case WmaRuntimeMissing.
TEST(WmaRuntimeMissing, PipelineShowsTheInstallMessage)
{
    if (GetEnvironmentVariableW(L"TARVISK_WITHOUT_WMVCORE", nullptr, 0) == 0)
        GTEST_SKIP() << "only in the run without the runtime";
    MemoryConfigStore store;
    FixedHostInfo hostInfo;
    CommonKeys(&store, &hostInfo);
    MVSettingsKeys(&store);
    TempDir work;
    GetMVSettings().SetWorkFolder(work.path());
    CStreamDocument document;
    MessageBoxWatcher boxes;
    EXPECT_FALSE(document.openInputFile(FixturePath(L"tone.wma"), nullptr, 0));
    EXPECT_EQ(boxes.texts(), std::vector<CString>{resourceText(IDS_WMF_MISSING)});
    GetMVSettings().SetWorkFolder(CString());
}
