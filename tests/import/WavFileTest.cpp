#include "import/WavConversion.h"
#include "import/WavReader.h"
#include "import/WavWriter.h"
#include "infra/KestraException.h"
#include "res/resource.h"

#include "tests/support/AudioFixtures.h"
#include "tests/support/RecordingProgress.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

WAVEFORMATEX pcmFormat(WORD channels, DWORD rate, WORD bits)
{
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = bits;
    format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    return format;
}

uint32_t le32At(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    memcpy(&value, bytes.data() + at, 4);
    return value;
}

std::string openFailure(const wchar_t* path)
{
    try {
        CWavReader reader(path);
    } catch (const CKestraException& e) {
        EXPECT_EQ(e.code(), CKestraException::WrapInOpenMessage);
        return Narrow(e.message());
    }
    return "opened";
}

} // namespace

TEST(WavWriter, EmptyFileIsTheBareHeader)
{
    TempDir dir;
    const CString path = dir.file(L"empty.wav");
    const WAVEFORMATEX format = pcmFormat(2, 44100, 16);
    {
        CWavWriter writer;
        ASSERT_TRUE(writer.create(path, &format));
        EXPECT_TRUE(writer.close());
    }
    const std::string bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 44u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(le32At(bytes, 4), 36u);
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(le32At(bytes, 16), 16u);
    EXPECT_EQ(memcmp(bytes.data() + 20, &format, 16), 0);
    EXPECT_EQ(bytes.substr(36, 4), "data");
    EXPECT_EQ(le32At(bytes, 40), 0u);
}

TEST(WavWriter, SamplesFollowTheHeaderInCallOrderAndSizesAreFinal)
{
    TempDir dir;
    const CString path = dir.file(L"out.wav");
    const WAVEFORMATEX format = pcmFormat(1, 22050, 16);
    const std::string first = "\x01\x02\x03\x04", second(1000, '\x7f');
    {
        CWavWriter writer;
        ASSERT_TRUE(writer.create(path, &format));
        ASSERT_TRUE(writer.write(first.data(), static_cast<int>(first.size())));
        ASSERT_TRUE(writer.write(second.data(), static_cast<int>(second.size())));
        // The destructor finishes the file.
    }
    const std::string bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 44u + 1004u);
    EXPECT_EQ(le32At(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(le32At(bytes, 40), 1004u);
    EXPECT_EQ(bytes.substr(44), first + second);
    const WavFileContents wav = ReadWavFile(path);
    EXPECT_EQ(wav.channels, 1);
    EXPECT_EQ(wav.sampleRate, 22050u);
    EXPECT_EQ(wav.blockAlign, 2);
}

TEST(WavWriter, FailuresAreReportedNotThrown)
{
    CWavWriter neverCreated;
    EXPECT_TRUE(neverCreated.close());

    TempDir dir;
    const WAVEFORMATEX format = pcmFormat(1, 8000, 16);
    CWavWriter writer;
    EXPECT_FALSE(writer.create(dir.file(L"missing\\folder\\out.wav"), &format));
    EXPECT_EQ(writer.errorText(), L"failed to open file for writing");
    EXPECT_NE(writer.lastSystemError(), 0u);
}

TEST(WavReader, ReadsFormatAndSamplesOfAFileMadeBySox)
{
    const CString path = FixturePath(L"pcm16.wav");
    const WavFileContents expected = ReadWavFile(path);
    ASSERT_TRUE(expected.valid) << "fixture missing: " << Narrow(path);
    CWavReader reader(path);
    ASSERT_TRUE(reader.isOpen());
    const WAVEFORMATEX* format = reader.getFormat();
    EXPECT_EQ(format->nChannels, 2);
    EXPECT_EQ(format->nSamplesPerSec, 44100u);
    EXPECT_EQ(format->wBitsPerSample, 16);
    EXPECT_EQ(reader.getDataSize(), expected.samples.size());
    EXPECT_EQ(reader.getDurationMs(), 3000);
    std::string samples;
    char buffer[65536];
    for (UINT n; (n = reader.read(buffer, sizeof(buffer))) != 0;)
        samples.append(buffer, n);
    EXPECT_EQ(samples, expected.samples);
    reader.close();
    EXPECT_EQ(reader.getFormat(), nullptr);
    EXPECT_EQ(reader.read(buffer, 10), static_cast<UINT>(-1));
    EXPECT_EQ(reader.seek(0), -1);
}

TEST(WavReader, SixteenByteFormatChunkAndTrailingChunks)
{
    TempDir dir;
    const CString path = dir.file(L"list.wav");
    // A LIST chunk after the samples must not be read as samples.
    std::string bytes = MakeWavBytes(WAVE_FORMAT_PCM, 1, 8000, 16, std::string(8000, '\x11'));
    bytes += std::string("LIST\x04\x00\x00\x00INFO", 12);
    WriteFileBytes(path, bytes);
    CWavReader reader(path);
    EXPECT_EQ(reader.getFormat()->nSamplesPerSec, 8000u);
    EXPECT_EQ(reader.getFormat()->nBlockAlign, 2);
    EXPECT_EQ(reader.getDurationMs(), 500);
    std::string samples;
    char buffer[3000];
    for (UINT n; (n = reader.read(buffer, sizeof(buffer))) != 0;)
        samples.append(buffer, n);
    EXPECT_EQ(samples, std::string(8000, '\x11'));
}

TEST(WavReader, SeekPositionsInsideTheDataChunk)
{
    TempDir dir;
    const CString path = dir.file(L"seek.wav");
    WriteFileBytes(path, MakeWavBytes(WAVE_FORMAT_PCM, 2, 44100, 16, std::string(400000, '\0')));
    CWavReader reader(path);
    EXPECT_EQ(reader.seek(0), 44);
    EXPECT_EQ(reader.seek(1000), 44 + 176400);
    // 1 ms is 44.1 frames: whole frames only.
    EXPECT_EQ(reader.seek(1), 44 + 44 * 4);
    EXPECT_EQ(reader.seek(100000), 44 + 400000);
    char buffer[16];
    EXPECT_EQ(reader.read(buffer, sizeof(buffer)), 0u);
}

TEST(WavReader, OpenFailuresCarryTheirReason)
{
    TempDir dir;
    const CString missing = dir.file(L"none.wav");
    EXPECT_EQ(openFailure(missing), "error opening file " + std::string(Narrow(missing)) +
                                        ": the file was not found");
    const CString text = dir.file(L"text.wav");
    WriteFileBytes(text, std::string(200, 'x'));
    EXPECT_EQ(openFailure(text), "not a wave file");
    const CString noData = dir.file(L"nodata.wav");
    WriteFileBytes(noData, MakeWavBytes(WAVE_FORMAT_PCM, 1, 8000, 16, "").substr(0, 36));
    EXPECT_EQ(openFailure(noData), "couldn't get data chunk");

    const CString inFolderMissing = dir.file(L"gone\\none.wav");
    EXPECT_EQ(openFailure(inFolderMissing), "error opening file " +
                                                std::string(Narrow(inFolderMissing)) +
                                                ": the directory specification is incorrect.");
    // Held by a program that shares it with nobody.
    const CString held = dir.file(L"held.wav");
    WriteFileBytes(held, MakeWavBytes(WAVE_FORMAT_PCM, 1, 8000, 16, std::string(64, 'a')));
    HANDLE holder = CreateFileW(held, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(openFailure(held), "error opening file " + std::string(Narrow(held)) +
                                     ": the file is being used by another application and is "
                                     "unavailable.");
    CloseHandle(holder);
}

TEST(WavReader, LayoutWithoutChannelsOrRateDividesByNothing)
{
    TempDir dir;
    for (const auto& [channels, rate, bits] :
         {std::tuple<uint16_t, uint32_t, uint16_t>{0, 44100, 16}, {2, 0, 16}, {2, 44100, 0}}) {
        const CString path = dir.file(L"odd.wav");
        WriteFileBytes(path, MakeWavBytes(WAVE_FORMAT_PCM, channels, rate, bits, std::string(64, 'a')));
        CWavReader reader(path);
        EXPECT_FALSE(HasUsableLayout(*reader.getFormat()));
        EXPECT_EQ(reader.getDurationMs(), 0);
        EXPECT_EQ(reader.seek(1000), 44);
    }
}

TEST(WavConversion, BlockConverterMapsUnsignedBytesToSignedWords)
{
    const BYTE input[] = {0, 128, 255, 129};
    BYTE output[8];
    int capacity = sizeof(output);
    ASSERT_TRUE(Convert8To16Bit(input, 4, output, capacity));
    EXPECT_EQ(capacity, 8);
    int16_t samples[4];
    memcpy(samples, output, sizeof(samples));
    EXPECT_EQ(samples[0], -32768);
    EXPECT_EQ(samples[1], 0);
    EXPECT_EQ(samples[2], 32512);
    EXPECT_EQ(samples[3], 256);
    capacity = 7;
    EXPECT_FALSE(Convert8To16Bit(input, 4, output, capacity));
}

TEST(WavConversion, EightBitFileMatchesSoxSampleForSample)
{
    TempDir dir;
    const CString destination = dir.file(L"temp.in");
    CWavReader reader(FixturePath(L"pcm8.wav"));
    RecordingProgress progress;
    CString errorText;
    ASSERT_EQ(convertWavFrom8Bit(&reader, destination, &progress, errorText), StepDone);
    EXPECT_TRUE(errorText.IsEmpty());
    EXPECT_EQ(progress.textIds, std::vector<UINT>{IDS_CONVERTING_WAV});
    EXPECT_EQ(progress.ranges, std::vector<UINT>{reader.getDataSize()});
    ASSERT_FALSE(progress.positions.empty());
    EXPECT_EQ(progress.positions.back(), reader.getDataSize());

    const WavFileContents ours = ReadWavFile(destination);
    const WavFileContents sox = ReadWavFile(FixturePath(L"pcm8_sox16.wav"));
    ASSERT_TRUE(ours.valid);
    ASSERT_TRUE(sox.valid);
    EXPECT_EQ(ours.bitsPerSample, 16);
    EXPECT_EQ(ours.blockAlign, 2);
    EXPECT_EQ(ours.avgBytesPerSec, 16000u);
    EXPECT_EQ(ours.sampleRate, sox.sampleRate);
    EXPECT_EQ(ours.samples, sox.samples);
}

TEST(WavConversion, CancelOrUnwritableDestinationLeavesNoFile)
{
    TempDir dir;
    const CString destination = dir.file(L"temp.in");
    {
        CWavReader reader(FixturePath(L"pcm8.wav"));
        RecordingProgress cancelAtOnce(0);
        CString errorText;
        EXPECT_EQ(convertWavFrom8Bit(&reader, destination, &cancelAtOnce, errorText), StepCancelled);
        EXPECT_EQ(GetFileAttributesW(destination), INVALID_FILE_ATTRIBUTES);
    }
    CWavReader reader(FixturePath(L"pcm8.wav"));
    IOpProgress silent;
    CString errorText;
    EXPECT_EQ(convertWavFrom8Bit(&reader, dir.file(L"no\\such\\temp.in"), &silent, errorText),
              StepFailed);
    EXPECT_FALSE(errorText.IsEmpty());
}
