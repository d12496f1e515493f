#include "PipelineHarness.h"

#include "infra/KestraException.h"
#include "infra/Settings.h"
#include "playback/WavPlayer.h"

#include "playback/PlaybackFixtures.h"
#include "support/MessageBoxWatcher.h"

#include <gtest/gtest.h>

PipelineHarness::PipelineHarness(const CString& workFolder)
    : m_work(workFolder.IsEmpty() ? m_freshWork.path() : workFolder)
{
    GetMVSettings().SetWorkFolder(m_work);
    view.document = &document;
    document.attach(nullptr, &view);
    CoInitialize(nullptr);
}

PipelineHarness::~PipelineHarness()
{
    CoUninitialize();
    GetMVSettings().SetWorkFolder(CString());
}

void PipelineHarness::clearWorkFiles() const
{
    DeleteFileW(workFile(L"temp.in"));
    DeleteFileW(workFile(L"temp.dat"));
}

OpenOutcome PipelineHarness::open(const CString& input)
{
    MessageBoxWatcher boxes;
    watchdog.arm(caseName.empty() ? Narrow(input) : caseName);
    const bool opened = document.openInputFile(input, nullptr, 0);
    watchdog.disarm();
    // A document that did not open names no file.
    return {opened, boxes.texts(), ReadFileBytes(document.getWavPath()),
            ReadFileBytes(document.getDatPath())};
}

void PipelineHarness::expectOpens(const CString& input)
{
    const OpenOutcome outcome = open(input);
    EXPECT_TRUE(outcome.opened) << Narrow(input);
    EXPECT_TRUE(outcome.boxes.empty()) << Narrow(input);
    EXPECT_EQ(problemsAfter(true), "") << Narrow(input);
}

void PipelineHarness::expectRefused(const CString& input, const CString& message)
{
    const OpenOutcome outcome = open(input);
    EXPECT_FALSE(outcome.opened) << Narrow(input);
    EXPECT_EQ(outcome.boxes, std::vector<CString>{message}) << Narrow(input);
    EXPECT_EQ(problemsAfter(false), "") << Narrow(input);
}

std::string PipelineHarness::problemsAfter(bool opened)
{
    std::string problems;
    if (document.isBusy())
        problems += " busy flag left up;";
    // A complete RIFF WAVE file has the header its samples call for.
    const CString temporary = workFile(L"temp.in");
    const WavFileContents wav = ReadWavFile(temporary);
    if (FileExists(temporary) &&
        !(wav.valid &&
          ReadFileBytes(temporary) == MakeWavBytes(wav.formatTag, wav.channels, wav.sampleRate,
                                                   wav.bitsPerSample, wav.samples)))
        problems += " half-written temporary WAV file left behind;";
    if (!opened) {
        if (document.getDurationMs() != 0 || !document.getWavPath().IsEmpty() ||
            !document.getDatPath().IsEmpty() || !document.getDisplayName().IsEmpty())
            problems += " document not reset;";
        if (document.cutRegion().valid)
            problems += " cut region left valid;";
        if (FileExists(workFile(L"temp.dat")))
            problems += " DAT file left behind;";
        return problems;
    }
    // The DAT file holds one byte per step frames of the samples the WAV
    // reader delivers, however the builder cut them into blocks.
    try {
        CWavReader reader(document.getWavPath());
        const WAVEFORMATEX format = *reader.getFormat();
        const uint64_t frames = ReadAllSamples(reader).size() / (format.nChannels * 2u);
        const uint64_t step = format.nSamplesPerSec / 100;
        const uint64_t expected = (frames + step - 1) / step;
        const uint64_t actual = ReadFileBytes(document.getDatPath()).size();
        if (actual != expected)
            problems += " DAT file of " + std::to_string(actual) + " bytes, not " +
                        std::to_string(expected) + ";";
    } catch (const CKestraException& e) {
        problems += " opened WAV file cannot be read again: " + Narrow(e.message()) + ";";
    }
    return problems;
}

bool PipelineHarness::playTail(const CString& wavPath, int64_t durationMs)
{
    watchdog.arm((caseName.empty() ? Narrow(wavPath) : caseName) + ", playing");
    bool error = true;
    {
        FinishProbe probe;
        CWavPlayer player(&probe);
        const int64_t start = durationMs > 60 ? durationMs - 60 : 0;
        if (player.play(wavPath, start, durationMs + 500, &document.cutRegion())) {
            while (!probe.waitForFinish()) {
            }
            player.stop();
            error = probe.lastError;
        }
    }
    watchdog.disarm();
    return error;
}

CString resourceText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

CString formatted(UINT id, const wchar_t* argument)
{
    CString text;
    text.Format(resourceText(id), argument);
    return text;
}

std::string ReadAllSamples(CWavReader& reader)
{
    std::string samples;
    char buffer[3000];
    for (UINT n; (n = reader.read(buffer, sizeof(buffer))) != 0;)
        samples.append(buffer, n);
    return samples;
}

bool FileExists(const wchar_t* path)
{
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}
