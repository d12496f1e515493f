#include "import/ProgressDlg.h"
#include "playback/PlaybackFixtures.h"
#include "reliability/PipelineHarness.h"
#include "res/resource.h"
#include "support/AudioFixtures.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

class StreamDocumentTest : public testing::Test {
protected:
    StreamDocumentTest() : harness(work.path()) {}

    CString silentWav(const wchar_t* name, int milliseconds)
    {
        const CString path = inputs.file(name);
        WriteFileBytes(path, MakeWavBytes(WAVE_FORMAT_PCM, 1, 8000, 16,
                                          std::string(static_cast<size_t>(milliseconds) * 16, 0)));
        return path;
    }

    TempDir work;
    TempDir inputs;
    PipelineHarness harness;
    CStreamDocument& document = harness.document;
};

// Notes what the progress window goes through ("+" a show, "-" a hide), and
// presses Cancel on it as soon as it is shown for the DAT step: the posted
// click arrives in the pump that follows the show.
std::string g_visibility;
bool g_datStepSeen = false;

LRESULT CALLBACK watchProgress(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION) {
        if (call->message == WM_SETTEXT && GetDlgCtrlID(call->hwnd) == IDC_PROGRESS_TEXT)
            g_datStepSeen =
                resourceText(IDS_CREATING_DAT) == reinterpret_cast<const wchar_t*>(call->lParam);
        if (call->message == WM_SHOWWINDOW && GetDlgItem(call->hwnd, IDC_PROGRESS_TEXT))
            g_visibility += call->wParam ? '+' : '-';
        if (call->message == WM_SHOWWINDOW && call->wParam && g_datStepSeen)
            PostMessageW(call->hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

TEST_F(StreamDocumentTest, SixteenBitWavIsUsedInPlaceWithTheDefaultCutOfItsLength)
{
    const CString input = silentWav(L"eight.wav", 8000);
    harness.expectOpens(input);
    EXPECT_EQ(document.getWavPath(), input);
    EXPECT_EQ(document.getDatPath(), work.file(L"temp.dat"));
    EXPECT_EQ(document.getTitle(), L"eight");
    EXPECT_EQ(document.getGain(), 0.0) << "silence has no peak to normalise to";
    EXPECT_EQ(harness.view.busySeen, (std::vector<bool>{true, false}));
    int count = 0;
    document.readDatRange(0, 8000, &count);
    EXPECT_EQ(count, 800);
    // The default cut: a quarter to three quarters, 10 to 20 s of a long
    // file, none of a file under 2 s.
    const std::tuple<int, int64_t, int64_t> cuts[] = {
        {8000, 2000, 6000}, {60000, 10000, 20000}, {1500, 0, 0}};
    for (const auto& [length, begin, end] : cuts) {
        harness.expectOpens(silentWav(L"cut.wav", length));
        EXPECT_EQ(document.getDurationMs(), length);
        EXPECT_EQ(document.cutRegion(), end ? cutOf(begin, end, 0, 0) : CCutRegion()) << length;
    }
}

TEST_F(StreamDocumentTest, OtherInputsBecomeTheTemporaryFileChosenByTheLastExtension)
{
    harness.expectOpens(FixturePath(L"pcm8.wav"));
    EXPECT_EQ(document.getWavPath(), work.file(L"temp.in"));
    EXPECT_EQ(document.getFormat().wBitsPerSample, 16);
    EXPECT_EQ(ReadWavFile(work.file(L"temp.in")).samples,
              ReadWavFile(FixturePath(L"pcm8_sox16.wav")).samples);

    const std::string mp3 = ReadFileBytes(FixturePath(L"tone.mp3"));
    for (const wchar_t* name : {L"song.MP3", L"archive.tar.mp3"}) {
        WriteFileBytes(inputs.file(name), mp3);
        harness.expectOpens(inputs.file(name));
        EXPECT_EQ(document.getWavPath(), work.file(L"temp.in"));
        EXPECT_GE(document.getDurationMs(), 3000);
        EXPECT_GT(document.getGain(), 1.0);
    }
    // Any other extension is read as WAV, in place.
    const CString copy = inputs.file(L"copy.in");
    CopyFileW(FixturePath(L"pcm16.wav"), copy, FALSE);
    harness.expectOpens(copy);
    EXPECT_EQ(document.getWavPath(), copy);
}

TEST_F(StreamDocumentTest, FailuresShowTheirBoxAndLeaveTheDocumentEmpty)
{
    const CString unsupported = resourceText(IDS_UNSUPPORTED_WAVE);
    const auto file = [&](const wchar_t* name, const std::string& bytes) {
        WriteFileBytes(inputs.file(name), bytes);
        return inputs.file(name);
    };
    const auto wav = [&](const wchar_t* name, uint16_t channels, uint32_t rate) {
        return file(name, MakeWavBytes(WAVE_FORMAT_PCM, channels, rate, 16, std::string(2400, 0)));
    };
    const CString noExtension = file(L"noextension", "x");
    const std::pair<CString, CString> cases[] = {
        {noExtension, formatted(IDS_UNSUPPORTED_EXTENSION, noExtension)},
        {file(L"notes.mp3", std::string(5000, 't')), L"Invalid file!"},
        {FixturePath(L"chained.ogg"), L"File not supported!"},
        {FixturePath(L"pcm24.wav"), unsupported},
        {wav(L"nochannels.wav", 0, 8000), unsupported},
        {wav(L"norate.wav", 1, 0), unsupported},
        {wav(L"slow.wav", 1, 50), resourceText(IDS_SAMPLE_RATE_TOO_LOW)},
        {file(L"fake.wav", std::string(100, 'w')),
         formatted(IDS_COULD_NOT_OPEN, L"not a wave file")},
    };
    for (const auto& [input, message] : cases) {
        harness.expectRefused(input, message);
        EXPECT_FALSE(FileExists(work.file(L"temp.in"))) << Narrow(input);
    }
}

TEST_F(StreamDocumentTest, CancelDuringDatBuildingLeavesNothingAndSaysNothing)
{
    g_datStepSeen = false;
    const HHOOK hook =
        SetWindowsHookExW(WH_CALLWNDPROC, watchProgress, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    const OpenOutcome outcome = harness.open(silentWav(L"long.wav", 60000));
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(g_datStepSeen);
    EXPECT_FALSE(outcome.opened);
    EXPECT_TRUE(document.openCancelled());
    EXPECT_TRUE(outcome.boxes.empty());
    EXPECT_EQ(harness.problemsAfter(false), "");
}

// A hide of a shown window can hold the thread without pumping (two seconds
// under Wine without a window manager, the host frozen meanwhile): an open
// shows its progress once, and hides it before the end only for an error box.
// None of these opens shows the window anew for its DAT step, so none is cancelled.
TEST_F(StreamDocumentTest, AnOpenShowsItsProgressOnceAndHidesItOnlyForAnErrorBox)
{
    WriteFileBytes(inputs.file(L"notes.mp3"), std::string(5000, 't'));
    const HHOOK hook =
        SetWindowsHookExW(WH_CALLWNDPROC, watchProgress, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    const std::pair<CString, std::string> cases[] = {
        {FixturePath(L"pcm8.wav"), "+"},
        {FixturePath(L"tone.mp3"), "+"},
        {inputs.file(L"notes.mp3"), "+-"},
    };
    for (const auto& [input, expected] : cases) {
        g_visibility.clear();
        harness.open(input);
        EXPECT_EQ(g_visibility, expected) << Narrow(input);
    }
    UnhookWindowsHookEx(hook);
}

// Cancel counts only while the window shows and then stays set; the bar
// takes the range and the position, shows a step of a thousandth or more
// and the end, and a new range starts it at 0.
TEST(ProgressDialog, CancelCountsOnlyWhileShownAndTheBarFollowsRangeAndPosition)
{
    CProgressDlg dialog;
    ASSERT_TRUE(dialog.create(IDS_OPEN_FILE_TITLE, nullptr));
    const HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
    using Bar = std::pair<LRESULT, LRESULT>; // position, range
    const auto shown = [&] {
        return Bar(SendMessageW(bar, PBM_GETPOS, 0, 0), SendMessageW(bar, PBM_GETRANGE, 0, 0));
    };
    dialog.SendMessage(WM_COMMAND, IDCANCEL);
    EXPECT_FALSE(dialog.isCancelled()) << "a hidden window's Cancel";
    dialog.setRange(100000);
    const std::pair<UINT, LRESULT> steps[] = {
        {40000, 40000}, {40099, 40000}, {40100, 40100}, {100000, 100000}, {7, 7}};
    for (const auto& [position, drawn] : steps) {
        dialog.setPos(position);
        EXPECT_EQ(shown(), Bar(drawn, 100000)) << position;
    }
    dialog.setRange(500);
    EXPECT_EQ(shown(), Bar(0, 500));
    dialog.show(true);
    dialog.SendMessage(WM_COMMAND, IDCANCEL);
    dialog.show(false);
    EXPECT_TRUE(dialog.isCancelled()) << "set while shown, and it stays";
}
