#include "Corpus.h"
#include "PipelineHarness.h"

#include "res/resource.h"

#include "support/AudioFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

// Every malformed file goes through the whole open pipeline and, when it
// opens, through the player: it opens correctly or is refused with one box
// carrying its format's message, and either way the process survives, no
// step hangs, no half-written file stays behind and the document is empty
// after a refusal.

namespace {

// A case that takes longer than this is taken to hang.
constexpr DWORD kCaseBound = 60;

class MalformedInputTest : public testing::Test {
protected:
    MalformedInputTest() : harness(work.path()) { CoInitialize(nullptr); }
    ~MalformedInputTest() override { CoUninitialize(); }

    // The messages a refused WAV file may show: the reader's reasons wrapped
    // in the open message, and the format refusals.
    bool wavMessage(const CString& text) const
    {
        const CString wrapped = resourceText(IDS_COULD_NOT_OPEN);
        const CString prefix = wrapped.Left(wrapped.Find(L"%s"));
        return text.Left(prefix.GetLength()) == prefix ||
               text == resourceText(IDS_UNSUPPORTED_WAVE) ||
               text == resourceText(IDS_SAMPLE_RATE_TOO_LOW) ||
               text == resourceText(IDS_ERROR_CONVERTING_WAV);
    }
    // A decoder's refusals, and those of the WAV file it wrote.
    bool decoderMessage(const CString& text, const CString& input) const
    {
        return text == formatted(IDS_ERROR_DECODING, input) ||
               text == resourceText(IDS_INVALID_FILE) ||
               text == resourceText(IDS_FILE_NOT_SUPPORTED) ||
               text == resourceText(IDS_UNSUPPORTED_WAVE) ||
               text == resourceText(IDS_SAMPLE_RATE_TOO_LOW);
    }

    // Runs every file of the corpus and reports how many were tried.
    void runCorpus(const char* format, const CString& extension,
                   const std::vector<CorpusFile>& corpus, bool isWav)
    {
        const CString input = inputs.file(L"case" + extension);
        int opened = 0;
        int playerRefusals = 0;
        int failures = 0;
        for (const CorpusFile& file : corpus) {
            if (failures >= 20)
                break; // enough to see the pattern; the count says so
            const std::string label = std::string(format) + ": " + file.name;
            SCOPED_TRACE(label);
            harness.clearWorkFiles();
            WriteFileBytes(input, file.bytes);
            watchdog.arm(label);
            const OpenOutcome outcome = harness.open(input);
            std::string problems;
            if (outcome.opened) {
                ++opened;
                problems = harness.checkAfterSuccess();
                if (!outcome.boxes.empty())
                    problems +=
                        " box shown for a file that opened: " + Narrow(outcome.boxes[0]) + ";";
                // A device may refuse an odd layout; the player must then
                // end and report, which the watchdog bounds.
                if (harness.document.getDurationMs() > 0 &&
                    harness.playTail(harness.document.getWavPath(),
                                     harness.document.getDurationMs()))
                    ++playerRefusals;
            } else {
                problems = harness.checkAfterFailure();
                if (outcome.boxes.size() != 1)
                    problems +=
                        " " + std::to_string(outcome.boxes.size()) + " boxes instead of one;";
                for (const CString& box : outcome.boxes) {
                    if (!(isWav ? wavMessage(box) : decoderMessage(box, input)))
                        problems += " unexpected message \"" + Narrow(box) + "\";";
                }
                // The player meets refused files only if a host hands them
                // over as WAV files; it must still end and report.
                if (isWav)
                    harness.playTail(input, 5000);
            }
            watchdog.disarm();
            if (!problems.empty()) {
                ++failures;
                ADD_FAILURE() << label << ":" << problems;
            }
        }
        printf("corpus %s: %zu files tried, %d opened (%d of them refused by the player), %zu "
               "refused\n",
               format, corpus.size(), opened, playerRefusals, corpus.size() - opened);
        RecordProperty(std::string("files_") + format, static_cast<int>(corpus.size()));
    }

    // The corpus made from one fixture, run under the fixture's extension.
    void runFixture(const char* format, const wchar_t* fixture,
                    std::vector<CorpusFile> (*makeCorpus)(const std::string&, const CorpusScale&))
    {
        const std::string source = ReadFileBytes(FixturePath(fixture));
        ASSERT_FALSE(source.empty()) << Narrow(fixture);
        const CString name(fixture);
        const CString extension = name.Mid(name.ReverseFind(L'.'));
        runCorpus(format, extension, makeCorpus(source, scale), extension == L".wav");
    }

    // The valid file itself opens; a missing runtime or decoder skips the
    // format with the reason instead of failing it.
    bool sourceOpens(const CString& source, std::string& reason)
    {
        const OpenOutcome outcome = harness.open(source);
        if (!outcome.opened)
            reason = outcome.boxes.empty() ? "no message" : Narrow(outcome.boxes[0]);
        return outcome.opened;
    }

    TempDir work;
    TempDir inputs;
    PipelineHarness harness;
    Watchdog watchdog{kCaseBound};
    const CorpusScale scale = CorpusScale::fromEnvironment();
};

} // namespace

TEST_F(MalformedInputTest, Wav16Bit)
{
    runFixture("wav16", L"mono16.wav", WavCorpus);
}

TEST_F(MalformedInputTest, Wav8Bit)
{
    runFixture("wav8", L"pcm8.wav", WavCorpus);
}

TEST_F(MalformedInputTest, Mp3WithAndWithoutId3v2)
{
    runFixture("mp3", L"tone.mp3", Mp3Corpus);
}

TEST_F(MalformedInputTest, OggVorbis)
{
    runFixture("ogg", L"mono22k.ogg", OggCorpus);
}

TEST_F(MalformedInputTest, WindowsMediaAudio)
{
    std::string reason;
    if (!sourceOpens(FixturePath(L"tone.wma"), reason))
        GTEST_SKIP() << "the Windows Media runtime cannot open the valid file here: " << reason;
    runFixture("wma", L"tone.wma", AsfCorpus);
}

TEST_F(MalformedInputTest, WindowsMediaVideo)
{
    std::string reason;
    if (!sourceOpens(FixturePath(L"clip.wmv"), reason))
        GTEST_SKIP() << "the Windows Media runtime cannot open the valid file here: " << reason;
    runFixture("wmv", L"clip.wmv", AsfCorpus);
}
