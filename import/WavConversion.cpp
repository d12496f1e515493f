#include "import/WavConversion.h"

#include "import/OpProgress.h"
#include "import/WavReader.h"
#include "import/WavWriter.h"
#include "infra/KestraException.h"
#include "infra/Logger.h"
#include "res/resource.h"

#include <mmreg.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

namespace {

constexpr size_t kInputBlock = 100000;

int16_t clipped(long long value)
{
    return static_cast<int16_t>(std::clamp<long long>(value, INT16_MIN, INT16_MAX));
}

// A float sample at full scale is 1.0.
int16_t fromFloat(double sample)
{
    return std::isnan(sample) ? 0 : clipped(std::llrint(std::clamp(sample, -1.0, 1.0) * 32768.0));
}

// The little-endian signed integer of `bytes` bytes at `at`.
long long signedAt(const BYTE* at, int bytes)
{
    unsigned long long value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | at[i];
    const int unused = 64 - 8 * bytes;
    return static_cast<long long>(value << unused) >> unused;
}

} // namespace

bool IsConvertibleTo16Bit(WORD encoding, WORD bits)
{
    if (encoding == WAVE_FORMAT_PCM)
        return bits == 8 || bits == 16 || bits == 24 || bits == 32;
    return encoding == WAVE_FORMAT_IEEE_FLOAT && (bits == 32 || bits == 64);
}

void ConvertTo16Bit(WORD encoding, WORD bits, const BYTE* input, size_t count, int16_t* output)
{
    const int bytes = bits / 8;
    for (size_t i = 0; i < count; ++i, input += bytes) {
        if (encoding == WAVE_FORMAT_IEEE_FLOAT) {
            float single;
            double wide;
            output[i] = bits == 32 ? (memcpy(&single, input, 4), fromFloat(single))
                                   : (memcpy(&wide, input, 8), fromFloat(wide));
        } else if (bits == 8) {
            output[i] = static_cast<int16_t>((input[0] - 128) * 256);
        } else {
            // Half a step of 16 bits added, then the extra bits dropped.
            const int extra = 8 * (bytes - 2);
            const long long half = extra ? 1LL << (extra - 1) : 0;
            output[i] = clipped((signedAt(input, bytes) + half) >> extra);
        }
    }
}

CString WaveFormatName(WORD encoding)
{
    static const std::pair<WORD, const wchar_t*> names[] = {
        {WAVE_FORMAT_PCM, L"PCM"},
        {WAVE_FORMAT_ADPCM, L"ADPCM"},
        {WAVE_FORMAT_IEEE_FLOAT, L"IEEE float"},
        {WAVE_FORMAT_ALAW, L"A-law"},
        {WAVE_FORMAT_MULAW, L"\u00B5-law"},
        {WAVE_FORMAT_IMA_ADPCM, L"IMA ADPCM"},
        {WAVE_FORMAT_GSM610, L"GSM 6.10"},
        {WAVE_FORMAT_MPEG, L"MPEG"},
        {WAVE_FORMAT_MPEGLAYER3, L"MPEG Layer III"},
        {WAVE_FORMAT_EXTENSIBLE, L"extensible"}};
    CString text;
    text.Format(L"%u", encoding);
    for (const auto& [tag, name] : names)
        if (tag == encoding)
            text += CString(L" (") + name + L")";
    return text;
}

int convertWavTo16Bit(CWavReader* reader, const wchar_t* destination, IOpProgress* progress,
                      CString& errorText)
{
    const WAVEFORMATEX source = *reader->getFormat();
    const WORD encoding = reader->getEncoding();
    // Whole frames only, so no sample is split between two reads.
    const size_t block = kInputBlock - kInputBlock % source.nBlockAlign;
    const size_t sampleBytes = source.wBitsPerSample / 8;
    std::unique_ptr<BYTE[]> input(new (std::nothrow) BYTE[block]);
    std::unique_ptr<int16_t[]> output(new (std::nothrow) int16_t[block / sampleBytes]);
    if (!input || !output)
        return StepFailed;

    progress->setTextId(IDS_CONVERTING_WAV);
    progress->setRange(reader->getDataSize());
    progress->show(true);

    const WAVEFORMATEX format = Pcm16Format(source.nChannels, source.nSamplesPerSec);
    std::optional<int> result;
    DWORD systemError = 0;
    CWavWriter writer;
    try {
        if (!writer.create(destination, &format)) {
            systemError = writer.lastSystemError();
            throw CKestraException(L"error creating dest wav file",
                                   CKestraException::WrapInOpenMessage);
        }
        UINT done = 0;
        while (!result) {
            if (progress->isCancelled()) {
                LogFormat(LOG_DEBUG, L"convertWavTo16Bit canceled");
                result = StepCancelled;
                break;
            }
            const UINT count = reader->read(input.get(), static_cast<int>(block));
            if (count == 0) {
                result = StepDone;
                break;
            }
            if (count == static_cast<UINT>(-1)) {
                LogFormat(LOG_ERROR, L"convertWavTo16Bit: error reading from wav file");
                result = StepFailed;
                break;
            }
            // A frame cut short at the end of the data is left out.
            const size_t samples = count / source.nBlockAlign * source.nChannels;
            ConvertTo16Bit(encoding, source.wBitsPerSample, input.get(), samples, output.get());
            if (!writer.write(output.get(), static_cast<int>(samples * 2))) {
                LogFormat(LOG_ERROR, L"convertWavTo16Bit: error writing to wav file");
                systemError = writer.lastSystemError();
                result = StepFailed;
                break;
            }
            done += count;
            progress->setPos(done);
        }
    } catch (const CKestraException& e) {
        LogFormat(LOG_ERROR, L"error converting wav file: %s", e.message().GetString());
        if (!result)
            result = StepFailed;
    }
    writer.close();
    if (*result != StepDone) {
        if (systemError != 0)
            errorText = SystemErrorText(systemError);
        DeleteFileW(destination);
    }
    return *result;
}
