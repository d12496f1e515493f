#include "import/ProgressDlg.h"
#include "playback/PlaybackFixtures.h"
#include "reliability/PipelineHarness.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

class StreamDocumentTest : public testing::Test {
protected:
    CString silentWav(const wchar_t* name, int milliseconds)
    {
        return WriteFileBytes(inputs.file(name), MakeWavBytes(WAVE_FORMAT_PCM, 1, 8000, 16,
                                                              std::string(milliseconds * 16, 0)));
    }

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
    EXPECT_EQ(document.getDatPath(), harness.workFile(L"temp.dat"));
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
    EXPECT_EQ(document.getWavPath(), harness.workFile(L"temp.in"));
    EXPECT_EQ(document.getFormat().wBitsPerSample, 16);
    EXPECT_EQ(ReadWavFile(harness.workFile(L"temp.in")).samples,
              ReadWavFile(FixturePath(L"pcm8_sox16.wav")).samples);

    const std::string mp3 = ReadFileBytes(FixturePath(L"tone.mp3"));
    for (const wchar_t* name : {L"song.MP3", L"archive.tar.mp3"}) {
        WriteFileBytes(inputs.file(name), mp3);
        harness.expectOpens(inputs.file(name));
        EXPECT_EQ(document.getWavPath(), harness.workFile(L"temp.in"));
        EXPECT_GE(document.getDurationMs(), 3000);
        EXPECT_GT(document.getGain(), 1.0);
    }
    // FLAC and Opus by their extensions; Opus in an .ogg file too, by its first page.
    const std::tuple<const wchar_t*, const wchar_t*, DWORD> decoded[] = {
        {L"song.flac", L"pcm24.flac", 44100},
        {L"voice.opus", L"voice.opus", 48000},
        {L"voice.ogg", L"voice.opus", 48000},
        {L"vorbis.ogg", L"stereo.ogg", 44100}};
    for (const auto& [name, fixture, rate] : decoded) {
        CopyFileW(FixturePath(fixture), inputs.file(name), FALSE);
        harness.expectOpens(inputs.file(name));
        EXPECT_EQ(document.getFormat().nSamplesPerSec, rate) << Narrow(name);
    }
    // Any other extension is read as WAV, in place.
    const CString copy = inputs.file(L"copy.in");
    CopyFileW(FixturePath(L"pcm16.wav"), copy, FALSE);
    harness.expectOpens(copy);
    EXPECT_EQ(document.getWavPath(), copy);
}

TEST_F(StreamDocumentTest, FailuresShowTheirBoxAndLeaveTheDocumentEmpty)
{
    CString unsupported;
    unsupported.Format(resourceText(IDS_UNSUPPORTED_WAVE), L"1 (PCM)", 16);
    const auto file = [&](const wchar_t* name, const std::string& bytes) {
        return WriteFileBytes(inputs.file(name), bytes);
    };
    const auto wav = [&](const wchar_t* name, uint16_t channels, uint32_t rate) {
        return file(name, MakeWavBytes(WAVE_FORMAT_PCM, channels, rate, 16, std::string(2400, 0)));
    };
    const CString noExtension = file(L"noextension", "x");
    const std::pair<CString, CString> cases[] = {
        {noExtension, formatted(IDS_UNSUPPORTED_EXTENSION, noExtension)},
        {file(L"notes.mp3", std::string(5000, 't')), L"Invalid file!"},
        {FixturePath(L"chained.ogg"), L"File not supported!"},
        {wav(L"nochannels.wav", 0, 8000), unsupported},
        {wav(L"norate.wav", 1, 0), unsupported},
        {wav(L"slow.wav", 1, 50), resourceText(IDS_SAMPLE_RATE_TOO_LOW)},
        {file(L"fake.wav", std::string(100, 'w')),
         formatted(IDS_COULD_NOT_OPEN, L"not a wave file")},
    };
    for (const auto& [input, message] : cases) {
        harness.expectRefused(input, message);
        EXPECT_FALSE(FileExists(harness.workFile(L"temp.in"))) << Narrow(input);
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

namespace {

// Each value as `bytes` little-endian bytes.
template <typename T> std::string packed(std::initializer_list<T> values, size_t bytes = sizeof(T))
{
    std::string out;
    for (const T value : values)
        out.append(reinterpret_cast<const char*>(&value), bytes);
    return out;
}

const GUID kPcm{1, 0, 0x10, {0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71}};
const GUID kFloat{3, 0, 0x10, {0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71}};

} // namespace

// Every layout but plain 16-bit PCM becomes 16-bit PCM with its channels and
// rate: integers to the nearest step (halves up), floats times 32768, both
// clipped at full scale; a compressed one is refused by its format.
TEST_F(StreamDocumentTest, WiderFloatAndExtensibleWavBecomeSixteenBitsAndCompressedOnesAreNamed)
{
    const std::string s24 = packed<int32_t>({0x7FFFFF, -0x800000, 128, -128, 74565, -1}, 3);
    const std::vector<int16_t> from24{32767, -32768, 1, 0, 291, 0};
    const std::string f32 = packed<float>({1.0f, -1.0f, 0.25f, 2.0f, -3.0f, 1e-6f});
    const std::vector<int16_t> fromFloat{32767, -32768, 8192, 32767, -32768, 0};
    const auto wavOf = [](WORD tag, WORD channels, WORD bits, const std::string& samples,
                          const GUID* subFormat = nullptr) {
        return MakeWavBytes(tag, channels, 8000, bits, samples, subFormat);
    };
    const struct {
        const char* layout;
        std::string file;
        std::vector<int16_t> samples;
        WORD channels = 2;
        const wchar_t* refusedAs = nullptr; // the format the message names
    } rows[] = {
        {"24-bit PCM", wavOf(WAVE_FORMAT_PCM, 2, 24, s24), from24},
        {"24-bit PCM, 3 channels", wavOf(WAVE_FORMAT_PCM, 3, 24, s24), from24, 3},
        {"extensible 24-bit PCM", wavOf(WAVE_FORMAT_EXTENSIBLE, 2, 24, s24, &kPcm), from24},
        {"32-bit PCM",
         wavOf(WAVE_FORMAT_PCM, 2, 32, packed<int32_t>({INT32_MAX, INT32_MIN, 32768, -32768})),
         {32767, -32768, 1, 0}},
        {"32-bit float", wavOf(WAVE_FORMAT_IEEE_FLOAT, 2, 32, f32), fromFloat},
        {"extensible 32-bit float", wavOf(WAVE_FORMAT_EXTENSIBLE, 2, 32, f32, &kFloat), fromFloat},
        {"64-bit float",
         wavOf(WAVE_FORMAT_IEEE_FLOAT, 2, 64, packed<double>({0.75, -0.75})),
         {24576, -24576}},
        {"extensible 16-bit PCM",
         wavOf(WAVE_FORMAT_EXTENSIBLE, 2, 16, packed<int16_t>({5, -5}), &kPcm),
         {5, -5}},
        {"4-bit ADPCM", wavOf(WAVE_FORMAT_ADPCM, 2, 4, std::string(64, 0)), {}, 2, L"2 (ADPCM)"},
        {"12-bit PCM", wavOf(WAVE_FORMAT_PCM, 2, 12, std::string(66, 0)), {}, 2, L"1 (PCM)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.layout);
        harness.clearWorkFiles();
        const CString input = inputs.file(L"layout.wav");
        WriteFileBytes(input, row.file);
        if (row.refusedAs) {
            CString message;
            message.Format(resourceText(IDS_UNSUPPORTED_WAVE), row.refusedAs, atoi(row.layout));
            harness.expectRefused(input, message);
            continue;
        }
        harness.expectOpens(input);
        const WavFileContents wav = ReadWavFile(harness.workFile(L"temp.in"));
        EXPECT_EQ(wav.formatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(wav.bitsPerSample, 16);
        EXPECT_EQ(wav.channels, row.channels);
        EXPECT_EQ(wav.sampleRate, 8000u);
        EXPECT_EQ(Samples16(wav.samples), row.samples);
    }
    // Beside sox's own rendering of a 24-bit file, without dither.
    harness.expectOpens(FixturePath(L"pcm24.wav"));
    const auto ours = Samples16(ReadWavFile(harness.workFile(L"temp.in")).samples);
    const auto theirs = Samples16(ReadWavFile(FixturePath(L"pcm24_sox16.wav")).samples);
    ASSERT_EQ(ours.size(), theirs.size());
    for (size_t i = 0; i < ours.size(); ++i)
        ASSERT_LE(std::abs(ours[i] - theirs[i]), 1) << "sample " << i;
}

// The gain brings the peak to the set share (89 %) of full scale. The peak
// counts the first sample of each frame, and the second too in stereo, with
// -32768 as 32768; it is found in whichever piece of the file it lies.
TEST_F(StreamDocumentTest, GainBringsThePeakOfTheFirstTwoChannelsToTheSetShareOfFullScale)
{
    struct Row {
        uint16_t channels;
        std::vector<int16_t> loudest;
        double gain;
    };
    const Row rows[] = {
        {1, {-1000, 16384}, 32767 * 0.89 / 16384},
        {2, {100, -20000, 5, 7}, 32767 * 0.89 / 20000},
        {3, {-2000, 30000, -31000}, 32767 * 0.89 / 2000},
        {1, {-32768}, 32767 * 0.89 / 32768},
        {2, {99, -99}, 0.0}, // below 100: playback is not normalised
    };
    harness.setDecodeThreads(2);
    int row = 0;
    for (const auto& [channels, loudest, gain] : rows) {
        // 1.2 MB of silence first, so that the loudest frames lie in a later piece.
        std::vector<int16_t> samples(600000, 0);
        samples.insert(samples.end(), loudest.begin(), loudest.end());
        const CString input = inputs.file((L"gain" + std::to_wstring(row++) + L".wav").c_str());
        harness.expectOpens(WriteFileBytes(
            input, MakeWavBytes(WAVE_FORMAT_PCM, channels, 8000, 16, Pcm16(samples))));
        EXPECT_NEAR(document.getGain(), gain, 1e-9) << channels << " channels, row " << row;
    }
}

// One DAT byte every hundredth of a second: in stereo the mean of the two
// samples' high bytes, rounded down; in any other layout the first sample's.
TEST_F(StreamDocumentTest, DatBytesAreTheHighBytesOfTheFirstSampleOrTheMeanOfAStereoPair)
{
    struct Row {
        std::vector<int16_t> frame;
        signed char value;
    };
    const Row rows[] = {
        {{0x1234, -0x1000}, 1}, // 18 and -16
        {{-0x100, 0}, -1},      // -1 and 0: rounded down, not towards zero
        {{-0x8000}, -128},
        {{0x7F00, -0x8000, -0x8000}, 127},
    };
    int row = 0;
    for (const auto& [frame, value] : rows) {
        std::vector<int16_t> samples;
        for (int i = 0; i < 1000; ++i) // 13 bytes at 80 frames a byte
            samples.insert(samples.end(), frame.begin(), frame.end());
        const CString input = inputs.file((L"dat" + std::to_wstring(row++) + L".wav").c_str());
        harness.expectOpens(
            WriteFileBytes(input, MakeWavBytes(WAVE_FORMAT_PCM, static_cast<uint16_t>(frame.size()),
                                               8000, 16, Pcm16(samples))));
        EXPECT_EQ(ReadFileBytes(document.getDatPath()), std::string(13, value)) << "row " << row;
    }
}

// A stream whose mode changes keeps its first frame's layout: mono frames in
// a stereo stream go to both channels, stereo frames in a mono stream are
// the mean of their two channels, and no frame is lost or doubled.
TEST_F(StreamDocumentTest, Mp3FramesOfAnotherModeTakeTheFirstFramesLayout)
{
    const auto decoded = [&](const std::string& bytes, const wchar_t* name) {
        harness.expectOpens(WriteFileBytes(inputs.file(name), bytes));
        return Samples16(ReadWavFile(document.getWavPath()).samples);
    };
    const std::string mono = ReadFileBytes(FixturePath(L"mono.mp3"));
    const std::string stereo = ReadFileBytes(FixturePath(L"tone.mp3"));
    const std::vector<int16_t> monoAlone = decoded(mono, L"mono.mp3");
    const std::vector<int16_t> stereoAlone = decoded(stereo, L"stereo.mp3");

    const std::vector<int16_t> stereoFirst = decoded(stereo + mono, L"stereo-mono.mp3");
    ASSERT_EQ(stereoFirst.size(), stereoAlone.size() + 2 * monoAlone.size());
    for (size_t i = stereoAlone.size(); i < stereoFirst.size(); i += 2)
        ASSERT_EQ(stereoFirst[i], stereoFirst[i + 1]) << "frame " << i / 2;

    const std::vector<int16_t> monoFirst = decoded(mono + stereo, L"mono-stereo.mp3");
    ASSERT_EQ(monoFirst.size(), monoAlone.size() + stereoAlone.size() / 2);
    // Past the first frames, where the filters still hold the mono part.
    for (size_t i = 4 * 1152; i < stereoAlone.size() / 2; ++i) {
        const int mean = (stereoAlone[2 * i] + stereoAlone[2 * i + 1]) / 2;
        ASSERT_NEAR(monoFirst[monoAlone.size() + i], mean, 1) << "frame " << i;
    }
}
