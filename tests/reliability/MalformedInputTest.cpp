#include "Corpus.h"
#include "PipelineHarness.h"

#include "res/resource.h"

#include "support/AudioFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <tuple>

namespace {

// The corpus of one fixture a case runs: its name, the fixture and its format.
class MalformedInputTest
    : public testing::TestWithParam<std::tuple<const char*, const wchar_t*, CorpusFormat>> {
protected:
    // A refused WAV file shows the reader's reason wrapped in the open message or a
    // format refusal; a decoded one a decoder's refusal or one of the WAV file it wrote.
    bool expectedMessage(const CString& text, const CString& input, bool isWav) const
    {
        const auto is = [&](UINT id) { return text == resourceText(id); };
        // A message with fields: the same up to the first.
        const auto filled = [&](UINT id) {
            const CString pattern = resourceText(id);
            const int fieldAt = pattern.Find(L'%');
            return text.Left(fieldAt) == pattern.Left(fieldAt);
        };
        if (filled(IDS_UNSUPPORTED_WAVE) || is(IDS_SAMPLE_RATE_TOO_LOW))
            return true;
        if (isWav)
            return filled(IDS_COULD_NOT_OPEN) || is(IDS_ERROR_CONVERTING_WAV);
        return text == formatted(IDS_ERROR_DECODING, input) || is(IDS_INVALID_FILE) ||
               is(IDS_FILE_NOT_SUPPORTED);
    }

    TempDir inputs;
    PipelineHarness harness;
};

} // namespace

TEST_P(MalformedInputTest, EachFileOpensOrIsRefusedWithOneBoxAndLeavesNothingBehind)
{
    const auto& [format, fixture, kind] = GetParam();
    const std::string source = ReadFileBytes(FixturePath(fixture));
    ASSERT_FALSE(source.empty()) << Narrow(fixture);
    const CString extension = CString(fixture).Mid(CString(fixture).ReverseFind(L'.'));
    const bool isWav = extension == L".wav";
    const CString input = inputs.file(L"case" + extension);
    const std::vector<CorpusFile> corpus = MakeCorpus(kind, source);
    // Mutations of the format's structure are made only from a fixture
    // whose structure was found.
    const auto structural = std::count_if(corpus.begin(), corpus.end(), [](const auto& file) {
        return file.name.find("truncated at") == std::string::npos &&
               file.name.find("flipped") == std::string::npos;
    });
    const bool generic =
        kind != CorpusFormat::Wav && kind != CorpusFormat::Mp3 && kind != CorpusFormat::Ogg;
    EXPECT_TRUE(generic || structural >= 20)
        << structural << " structural mutations of " << Narrow(fixture);
    int opened = 0, playerRefusals = 0, failures = 0;
    for (const CorpusFile& file : corpus) {
        if (failures >= 20)
            break; // enough to see the pattern; the count says so
        harness.clearWorkFiles();
        WriteFileBytes(input, file.bytes);
        harness.caseName = std::string(format) + ": " + file.name;
        harness.setDecodeThreads(1);
        const OpenOutcome outcome = harness.open(input);
        std::string problems = harness.problemsAfter(outcome.opened);
        if (outcome.opened) {
            ++opened;
            if (!outcome.boxes.empty())
                problems += " box shown for a file that opened: " + Narrow(outcome.boxes[0]);
            // A device may refuse an odd layout; the player must then end
            // and report. Mono or stereo at a common rate it must play.
            const int64_t duration = harness.document.getDurationMs();
            const WAVEFORMATEX& layout = harness.document.getFormat();
            if (duration > 0 && harness.playTail(harness.document.getWavPath(), duration)) {
                ++playerRefusals;
                if (layout.nChannels <= 2 && layout.nSamplesPerSec >= 8000 &&
                    layout.nSamplesPerSec <= 48000)
                    problems += " the player refused a common layout;";
            }
        } else {
            if (outcome.boxes.size() != 1)
                problems += " boxes shown: " + std::to_string(outcome.boxes.size()) + ";";
            for (const CString& box : outcome.boxes)
                if (!expectedMessage(box, input, isWav))
                    problems += " unexpected message \"" + Narrow(box) + "\";";
            // The player meets refused files only if a host hands them
            // over as WAV files; it must still end and report.
            if (isWav)
                harness.playTail(input, 5000);
        }
        harness.setDecodeThreads(4);
        harness.clearWorkFiles();
        if (!(harness.open(input) == outcome))
            problems += " four threads gave other files or messages than one;";
        if (!problems.empty()) {
            ++failures;
            ADD_FAILURE() << harness.caseName << ":" << problems;
        }
    }
    printf("corpus %s: %zu files tried, %d opened (%d of them refused by the player)\n", format,
           corpus.size(), opened, playerRefusals);
}

INSTANTIATE_TEST_SUITE_P(, MalformedInputTest,
                         testing::Values(std::tuple{"wav16", L"mono16.wav", CorpusFormat::Wav},
                                         std::tuple{"wav8", L"pcm8.wav", CorpusFormat::Wav},
                                         std::tuple{"mp3", L"tone.mp3", CorpusFormat::Mp3},
                                         std::tuple{"ogg", L"mono22k.ogg", CorpusFormat::Ogg},
                                         std::tuple{"flac", L"pcm24.flac", CorpusFormat::Flac},
                                         std::tuple{"opus", L"voice.opus", CorpusFormat::Opus},
                                         std::tuple{"wma", L"tone.wma", CorpusFormat::Asf},
                                         std::tuple{"wmv", L"clip.wmv", CorpusFormat::Asf},
                                         std::tuple{"m4a", L"tone.m4a", CorpusFormat::Mp4}),
                         [](const auto& info) { return std::string(std::get<0>(info.param)); });
