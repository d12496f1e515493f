#include "reliability/Corpus.h"
#include "reliability/PipelineHarness.h"

#include "support/AudioFixtures.h"

#include <gtest/gtest.h>

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

} // namespace

// Several threads decode and measure a file in pieces; every file, whole or
// malformed, must give the very files one thread gives, or the same refusal.
TEST(ParallelDecode, SeveralThreadsWriteWhatOneWrites)
{
    struct Source {
        const wchar_t* fixture;
        std::optional<CorpusFormat> malformed;
    };
    const Source sources[] = {
        {L"tone.mp3", CorpusFormat::Mp3},
        {L"mono.mp3", {}},
        {L"vbr.mp3", {}},
        {L"free.mp3", {}},
        {L"stereo.ogg", {}},
        {L"chained.ogg", {}},
        {L"mono22k.ogg", CorpusFormat::Ogg},
        {L"pcm16.wav", {}},
        {L"mono16.wav", CorpusFormat::Wav},
        {L"pcm24.wav", {}},
        {L"pcm16.flac", {}},
        {L"tone.m4a", {}},
    };
    TempDir inputs;
    PipelineHarness harness;
    int compared = 0, opened = 0;
    for (const Source& source : sources) {
        const std::string bytes = ReadFileBytes(FixturePath(source.fixture));
        ASSERT_FALSE(bytes.empty()) << Narrow(source.fixture);
        const CString name(source.fixture);
        const CString input = inputs.file(L"case" + name.Mid(name.ReverseFind(L'.')));
        std::vector<CorpusFile> files{{Narrow(source.fixture), bytes}};
        if (source.malformed)
            for (CorpusFile& file : MakeCorpus(*source.malformed, bytes))
                files.push_back(std::move(file));
        // A stream whose mode changes from mono to stereo midway.
        if (name == L"mono.mp3")
            files.push_back({"mono then stereo", bytes + ReadFileBytes(FixturePath(L"tone.mp3"))});
        for (const CorpusFile& file : files) {
            WriteFileBytes(input, file.bytes);
            harness.caseName = Narrow(source.fixture) + ": " + file.name;
            const Opened one = openWith(harness, input, 1);
            const Opened several = openWith(harness, input, 4);
            EXPECT_TRUE(one == several)
                << harness.caseName << ": WAV " << one.wav.size() << "/" << several.wav.size()
                << " bytes, DAT identical " << (one.dat == several.dat);
            ++compared;
            opened += !one.wav.empty();
        }
    }
    // Valid files open, so the comparison covers decoded samples.
    EXPECT_GE(opened, 14) << compared << " files compared";
}
