#include "reliability/Corpus.h"
#include "reliability/PipelineHarness.h"

#include "support/AudioFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace {

// What an open leaves: the WAV and DAT files, or the message shown instead.
struct Opened {
    std::vector<CString> boxes;
    std::string wav, dat;
    bool operator==(const Opened&) const = default;
};

Opened openWith(PipelineHarness& harness, const CString& input, unsigned threads)
{
    harness.setDecodeThreads(threads);
    harness.clearWorkFiles();
    const OpenOutcome outcome = harness.open(input);
    if (!outcome.opened)
        return {outcome.boxes};
    return {outcome.boxes, ReadFileBytes(harness.document.getWavPath()),
            ReadFileBytes(harness.document.getDatPath())};
}

struct Source {
    const wchar_t* fixture;
    std::optional<CorpusFormat> malformed;
};

class ParallelDecode : public testing::TestWithParam<Source> {};

} // namespace

// Several threads decode and measure a file in pieces; every file, whole or
// malformed, must give the very files one thread gives, or the same refusal.
TEST_P(ParallelDecode, SeveralThreadsWriteWhatOneWrites)
{
    const Source& source = GetParam();
    const std::string bytes = ReadFileBytes(FixturePath(source.fixture));
    ASSERT_FALSE(bytes.empty()) << Narrow(source.fixture);
    const CString name(source.fixture);
    TempDir inputs;
    const CString input = inputs.file(L"case" + name.Mid(name.ReverseFind(L'.')));
    std::vector<CorpusFile> files{{Narrow(source.fixture), bytes}};
    if (source.malformed)
        for (CorpusFile& file : MakeCorpus(*source.malformed, bytes))
            files.push_back(std::move(file));
    // A stream whose mode changes from mono to stereo midway.
    if (name == L"mono.mp3")
        files.push_back({"mono then stereo", bytes + ReadFileBytes(FixturePath(L"tone.mp3"))});
    PipelineHarness harness;
    for (const CorpusFile& file : files) {
        WriteFileBytes(input, file.bytes);
        harness.caseName = Narrow(source.fixture) + ": " + file.name;
        const Opened one = openWith(harness, input, 1);
        const Opened several = openWith(harness, input, 4);
        EXPECT_TRUE(one == several)
            << harness.caseName << ": WAV " << one.wav.size() << "/" << several.wav.size()
            << " bytes, DAT identical " << (one.dat == several.dat);
        // The whole fixture opens, so the comparison covers decoded samples.
        if (&file == &files.front() && name != L"chained.ogg")
            EXPECT_FALSE(one.wav.empty()) << harness.caseName << " did not open";
    }
}

INSTANTIATE_TEST_SUITE_P(
    , ParallelDecode,
    testing::Values(Source{L"tone.mp3", CorpusFormat::Mp3}, Source{L"mono.mp3", {}},
                    Source{L"vbr.mp3", {}}, Source{L"free.mp3", {}}, Source{L"stereo.ogg", {}},
                    Source{L"chained.ogg", {}}, Source{L"mono22k.ogg", CorpusFormat::Ogg},
                    Source{L"pcm16.wav", {}}, Source{L"mono16.wav", CorpusFormat::Wav},
                    Source{L"pcm24.wav", {}}, Source{L"pcm16.flac", {}}, Source{L"tone.m4a", {}}),
    [](const auto& info) {
        std::string name = Narrow(info.param.fixture);
        std::replace(name.begin(), name.end(), '.', '_');
        return name;
    });
