#include "reliability/PipelineHarness.h"

#include "infra/Settings.h"
#include "res/resource.h"

#include "support/AudioFixtures.h"
#include "support/MessageBoxWatcher.h"

#include <gtest/gtest.h>

namespace {

class StreamDocumentTest : public testing::Test {
protected:
    StreamDocumentTest() : harness(work.path()) {}

    // A silent mono 8 kHz 16-bit file of the given length.
    CString silentWav(const wchar_t* name, int milliseconds)
    {
        const CString path = inputs.file(name);
        WriteFileBytes(path, MakeWavBytes(WAVE_FORMAT_PCM, 1, 8000, 16,
                                          std::string(static_cast<size_t>(milliseconds) * 16, 0)));
        return path;
    }
    bool opens(const CString& input) { return document.openInputFile(input, nullptr, 0); }
    // Opens input with every box pressed: it fails and leaves nothing behind.
    std::vector<CString> refusal(const CString& input)
    {
        const OpenOutcome outcome = harness.open(input);
        EXPECT_FALSE(outcome.opened) << Narrow(input);
        EXPECT_EQ(harness.checkAfterFailure(), "") << Narrow(input);
        EXPECT_FALSE(FileExists(work.file(L"temp.in"))) << Narrow(input);
        return outcome.boxes;
    }

    TempDir work;
    TempDir inputs;
    PipelineHarness harness;
    CStreamDocument& document = harness.document;
};

} // namespace

TEST(StreamDocumentRules, GainTitlesAndTypeDescriptions)
{
    // The gain brings the peak to the allowed percent of full scale, within
    // 10 to 100 percent and above a peak of 99.
    EXPECT_NEAR(CStreamDocument::computeGain(89, 16384), 1.77995, 1e-5);
    EXPECT_EQ(CStreamDocument::computeGain(5, 16384), 0.0);
    EXPECT_EQ(CStreamDocument::computeGain(150, 16384), 0.0);
    EXPECT_EQ(CStreamDocument::computeGain(89, 99), 0.0);
    EXPECT_NEAR(CStreamDocument::computeGain(100, 32767), 1.0, 1e-12);

    EXPECT_EQ(CStreamDocument::titleFromFileName(L"C:\\music\\My-Song 2.mp3"), L"MySong");
    EXPECT_EQ(CStreamDocument::titleFromFileName(L"C:\\music\\2024.wav"), L"ringtone");
    EXPECT_EQ(CStreamDocument::titleFromFileName(L""), L"ringtone");
    EXPECT_EQ(CStreamDocument::typeDescription(1, L"3"), L"Audio CD track [3]");
    EXPECT_EQ(CStreamDocument::typeDescription(2, L"radio"), L"[radio]");
    EXPECT_EQ(CStreamDocument::typeDescription(2, L""), L"");
    EXPECT_EQ(CStreamDocument::typeDescription(3, L"mic"), L"Recorded from [mic]");
    EXPECT_EQ(CStreamDocument::typeDescription(0, L"x"), L"");
}

TEST_F(StreamDocumentTest, SixteenBitWavIsUsedInPlaceWithTheDefaultCutOfItsLength)
{
    const CString input = silentWav(L"eight.wav", 8000);
    ASSERT_TRUE(opens(input));
    EXPECT_EQ(document.getWavPath(), input);
    EXPECT_EQ(document.getDatPath(), work.file(L"temp.dat"));
    EXPECT_EQ(document.getDurationMs(), 8000);
    EXPECT_EQ(document.getInputFileName(), input);
    EXPECT_EQ(document.getTitle(), L"eight");
    EXPECT_EQ(document.getDisplayName(), L"[" + input + L"]");
    EXPECT_EQ(document.getGain(), 0.0) << "silence has no peak to normalise to";
    EXPECT_EQ(document.getFormat().wBitsPerSample, 16);
    EXPECT_EQ(harness.view.busySeen, (std::vector<bool>{true, false}));
    int count = 0;
    document.readDatRange(0, 8000, &count);
    EXPECT_EQ(count, 800);
    // The default cut: a quarter to three quarters, 10 to 20 s of a long
    // file, none of a file under 2 s.
    const struct {
        int length;
        int64_t begin, end;
    } cuts[] = {{8000, 2000, 6000}, {60000, 10000, 20000}, {1500, 0, 0}};
    for (const auto& cut : cuts) {
        ASSERT_TRUE(opens(silentWav(L"cut.wav", cut.length)));
        EXPECT_EQ(document.getDurationMs(), cut.length);
        EXPECT_EQ(document.cutRegion().valid, cut.end != 0) << cut.length;
        if (cut.end != 0) {
            EXPECT_EQ(document.cutRegion().begin, cut.begin);
            EXPECT_EQ(document.cutRegion().end, cut.end);
        }
    }
}

TEST_F(StreamDocumentTest, OtherInputsBecomeTheTemporaryFileChosenByTheLastExtension)
{
    ASSERT_TRUE(opens(FixturePath(L"pcm8.wav")));
    EXPECT_EQ(document.getWavPath(), work.file(L"temp.in"));
    EXPECT_EQ(document.getFormat().wBitsPerSample, 16);
    EXPECT_EQ(ReadWavFile(work.file(L"temp.in")).samples,
              ReadWavFile(FixturePath(L"pcm8_sox16.wav")).samples);

    const std::string mp3 = ReadFileBytes(FixturePath(L"tone.mp3"));
    for (const wchar_t* name : {L"song.MP3", L"archive.tar.mp3"}) {
        WriteFileBytes(inputs.file(name), mp3);
        ASSERT_TRUE(opens(inputs.file(name))) << Narrow(name);
        EXPECT_EQ(document.getWavPath(), work.file(L"temp.in"));
        EXPECT_GE(document.getDurationMs(), 3000);
        EXPECT_GT(document.getGain(), 1.0);
    }
    ASSERT_TRUE(opens(FixturePath(L"stereo.ogg")));
    EXPECT_EQ(document.getFormat().nChannels, 2);
    // Any other extension is read as WAV, in place.
    const CString copy = inputs.file(L"copy.in");
    CopyFileW(FixturePath(L"pcm16.wav"), copy, FALSE);
    ASSERT_TRUE(opens(copy));
    EXPECT_EQ(document.getWavPath(), copy);
}

TEST_F(StreamDocumentTest, FailuresShowTheirBoxAndLeaveTheDocumentEmpty)
{
    const CString unsupported = resourceText(IDS_UNSUPPORTED_WAVE);
    EXPECT_EQ(unsupported, L"Unsupported wave file, only 8 or 16 bit PCM files are supported");
    const CString noExtension = inputs.file(L"noextension");
    WriteFileBytes(noExtension, "x");
    WriteFileBytes(inputs.file(L"notes.mp3"), std::string(5000, 't'));
    WriteFileBytes(inputs.file(L"fake.wav"), std::string(100, 'w'));
    const struct {
        const wchar_t* name;
        uint16_t channels;
        uint32_t rate;
        uint16_t bits;
    } layouts[] = {{L"pcm24.wav", 1, 8000, 24},
                   {L"nochannels.wav", 0, 8000, 16},
                   {L"norate.wav", 1, 0, 16},
                   {L"slow.wav", 1, 50, 16}};
    for (const auto& l : layouts)
        WriteFileBytes(inputs.file(l.name), MakeWavBytes(WAVE_FORMAT_PCM, l.channels, l.rate,
                                                         l.bits, std::string(2400, '\0')));
    const std::pair<CString, CString> cases[] = {
        {noExtension, formatted(IDS_UNSUPPORTED_EXTENSION, noExtension)},
        {inputs.file(L"notes.mp3"), L"Invalid file!"},
        {FixturePath(L"chained.ogg"), L"File not supported!"},
        {FixturePath(L"pcm24.wav"), unsupported},
        {inputs.file(L"pcm24.wav"), unsupported},
        {inputs.file(L"nochannels.wav"), unsupported},
        {inputs.file(L"norate.wav"), unsupported},
        {inputs.file(L"slow.wav"), resourceText(IDS_SAMPLE_RATE_TOO_LOW)},
        {inputs.file(L"fake.wav"), formatted(IDS_COULD_NOT_OPEN, L"not a wave file")},
    };
    for (const auto& [input, message] : cases)
        EXPECT_EQ(refusal(input), std::vector<CString>{message}) << Narrow(input);
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
            g_datStepSeen =
                resourceText(IDS_CREATING_DAT) == reinterpret_cast<const wchar_t*>(call->lParam);
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
    const OpenOutcome outcome = harness.open(input);
    UnhookWindowsHookEx(g_hook);
    EXPECT_TRUE(g_datStepSeen);
    EXPECT_FALSE(outcome.opened);
    EXPECT_TRUE(outcome.boxes.empty());
    EXPECT_EQ(harness.checkAfterFailure(), "");
}

TEST_F(StreamDocumentTest, StoredNamesApplyOnlyToTheirOwnFileAndStoreWritesThemWithTheCut)
{
    const CString input = silentWav(L"eight.wav", 8000);
    CMVSettings& settings = GetMVSettings();
    settings.SetInputFileName(L"C:\\music\\other.mp3");
    settings.SetInputName(L"Other song");
    settings.SetInputTitle(L"Other");
    ASSERT_TRUE(opens(input));
    EXPECT_EQ(document.getInputFileName(), input) << "the host saves from the file opened";
    EXPECT_EQ(document.getTitle(), L"eight");

    settings.SetInputFileName(input);
    ASSERT_TRUE(opens(input));
    EXPECT_EQ(document.getDisplayName(), L"Other song");
    EXPECT_EQ(document.getTitle(), L"Other");

    settings.SetInputFileName(L"C:\\music\\other.mp3");
    ASSERT_TRUE(opens(input));
    document.setCut(3000, 7000);
    document.store();
    CCutRegion stored;
    settings.GetCut(stored);
    EXPECT_EQ(stored.begin, 3000);
    EXPECT_EQ(stored.end, 7000);
    EXPECT_EQ(settings.GetInputFileName(), input);
    EXPECT_EQ(settings.GetInputName(), L"[" + input + L"]");
    ASSERT_NE(document.cutAtPosition(3000), nullptr);
    EXPECT_EQ(document.cutAtPosition(7000), nullptr);
}
