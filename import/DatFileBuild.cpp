#include "import/DatFileBuild.h"

#include "import/OpProgress.h"
#include "import/WavConversion.h"
#include "import/WavReader.h"
#include "infra/KestraException.h"
#include "infra/Logger.h"
#include "res/resource.h"
#include "waveform/DatFileEncoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

namespace {

constexpr UINT kReadBlock = 100000;

int sampleAt(const BYTE* samples, size_t index)
{
    int16_t sample;
    memcpy(&sample, samples + 2 * index, sizeof sample);
    return sample;
}

} // namespace

int computePeak(const BYTE* samples, UINT byteCount, const WAVEFORMATEX& format)
{
    if (format.wBitsPerSample != 16 || format.nChannels == 0)
        return 0;
    const size_t frames = static_cast<size_t>(byteCount * 8.0 / format.nChannels / 16);
    int peak = 0;
    // Mono and stereo count every sample: one plain loop the compiler turns
    // into vector code. Wider layouts count the first channel only.
    if (format.nChannels <= 2) {
        const size_t count = frames * format.nChannels;
        for (size_t i = 0; i < count; ++i)
            peak = std::max(peak, std::abs(sampleAt(samples, i)));
        return peak;
    }
    for (size_t frame = 0; frame < frames; ++frame)
        peak = std::max(peak, std::abs(sampleAt(samples, frame * format.nChannels)));
    return peak;
}

int createDatFile(CWavReader* reader, const wchar_t* baseName, IOpProgress* progress, int& peak,
                  CString& errorText)
{
    // Blocks of whole frames, at least one: the encoder drops a partial frame
    // at a block's end, so the next block must not start inside one.
    const UINT frameSize = reader->getFormat()->nChannels * 2u;
    const UINT blockSize = std::max<UINT>(frameSize, kReadBlock - kReadBlock % frameSize);
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[blockSize]);
    if (!buffer)
        return StepFailed;
    std::optional<int> result;
    DWORD systemError = 0;
    peak = 0;

    progress->setTextId(IDS_CREATING_DAT);
    progress->setRange(reader->getDataSize());
    progress->show(true);

    const WAVEFORMATEX format = *reader->getFormat();
    try {
        CDatFileEncoder encoder(baseName, &format);
        try {
            UINT done = 0;
            while (!result) {
                if (progress->isCancelled()) {
                    LogFormat(LOG_DEBUG, L"createDatFile canceled");
                    result = StepCancelled;
                    break;
                }
                const UINT count = reader->read(buffer.get(), static_cast<int>(blockSize));
                if (count == 0)
                    break;
                if (count == static_cast<UINT>(-1)) {
                    result = StepFailed;
                    break;
                }
                encoder.encode(buffer.get(), count);
                peak = std::max(peak, computePeak(buffer.get(), count, format));
                done += count;
                progress->setPos(done);
            }
        } catch (const CKestraEncoderException&) {
            systemError = encoder.lastSystemError();
            throw;
        }
    } catch (const CKestraException& e) {
        LogFormat(LOG_ERROR, L"error creating dat file: %s", e.message().GetString());
        if (!result)
            result = StepFailed;
    }
    if (result) {
        if (systemError != 0)
            errorText = SystemErrorText(systemError);
        DeleteFileW(CString(baseName) + L".dat");
        return *result;
    }
    return StepDone;
}
