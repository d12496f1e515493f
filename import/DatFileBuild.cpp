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

// Blocks of whole frames, at least one: the sampler drops a partial frame at
// a block's end, so the next block must not start inside one.
UINT blockSizeOf(const WAVEFORMATEX& format)
{
    const UINT frameSize = format.nChannels * 2u;
    return std::max<UINT>(frameSize, kReadBlock - kReadBlock % frameSize);
}

int16_t sampleAt(const BYTE* samples, size_t index)
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
    // Mono and stereo count every sample. The extremes are kept as 16-bit
    // values so the compiler's vector code takes eight samples at a time.
    if (format.nChannels <= 2) {
        const size_t count = frames * format.nChannels;
        int16_t lowest = 0, highest = 0;
        for (size_t i = 0; i < count; ++i) {
            lowest = std::min(lowest, sampleAt(samples, i));
            highest = std::max(highest, sampleAt(samples, i));
        }
        return std::max<int>(highest, -lowest);
    }
    // Wider layouts count the first channel only.
    for (size_t frame = 0; frame < frames; ++frame)
        peak = std::max<int>(peak, std::abs(sampleAt(samples, frame * format.nChannels)));
    return peak;
}

void CDatBlocks::start(const WAVEFORMATEX& format)
{
    *this = CDatBlocks();
    m_format = format;
    if (format.wBitsPerSample != 16 || !CDatSampler(format).usable())
        return;
    m_sampler.emplace(format);
    m_blockSize = blockSizeOf(format);
    m_partial.reset(new (std::nothrow) BYTE[m_blockSize]);
    if (!m_partial)
        m_sampler.reset();
}

void CDatBlocks::add(const BYTE* data, UINT length)
{
    if (!m_sampler)
        return;
    m_bytes += length;
    while (length != 0) {
        // Whole blocks are taken where they lie; only the pieces around
        // them are gathered.
        if (m_partialCount == 0 && length >= m_blockSize) {
            take(data, m_blockSize);
            data += m_blockSize;
            length -= m_blockSize;
            continue;
        }
        const UINT piece = std::min(length, m_blockSize - m_partialCount);
        memcpy(m_partial.get() + m_partialCount, data, piece);
        m_partialCount += piece;
        data += piece;
        length -= piece;
        if (m_partialCount == m_blockSize) {
            take(m_partial.get(), m_blockSize);
            m_partialCount = 0;
        }
    }
}

void CDatBlocks::take(const BYTE* data, UINT length)
{
    m_sampler->sample(data, length, m_values);
    m_blocks.push_back({length, m_values.size(), computePeak(data, length, m_format)});
}

void CDatBlocks::finish()
{
    if (!m_sampler || m_finished)
        return;
    if (m_partialCount != 0)
        take(m_partial.get(), m_partialCount);
    m_partial.reset();
    m_partialCount = 0;
    m_finished = true;
}

bool CDatBlocks::covers(const WAVEFORMATEX& format, DWORD dataSize) const
{
    return m_finished && m_bytes == dataSize && format.wFormatTag == m_format.wFormatTag &&
           format.nChannels == m_format.nChannels &&
           format.nSamplesPerSec == m_format.nSamplesPerSec &&
           format.wBitsPerSample == m_format.wBitsPerSample;
}

int createDatFile(CWavReader* reader, const wchar_t* baseName, IOpProgress* progress, int& peak,
                  CString& errorText, const CDatBlocks* measured)
{
    const WAVEFORMATEX format = *reader->getFormat();
    if (measured && !measured->covers(format, reader->getDataSize()))
        measured = nullptr;
    const UINT blockSize = blockSizeOf(format);
    std::unique_ptr<BYTE[]> buffer;
    if (!measured) {
        buffer.reset(new (std::nothrow) BYTE[blockSize]);
        if (!buffer)
            return StepFailed;
    }
    std::optional<int> result;
    DWORD systemError = 0;
    peak = 0;

    progress->setTextId(IDS_CREATING_DAT);
    progress->setRange(reader->getDataSize());
    progress->show(true);

    try {
        CDatFileEncoder encoder(baseName, &format);
        try {
            UINT done = 0;
            size_t block = 0;
            while (!result) {
                if (progress->isCancelled()) {
                    LogFormat(LOG_DEBUG, L"createDatFile canceled");
                    result = StepCancelled;
                    break;
                }
                UINT count = 0;
                if (measured) {
                    if (block == measured->blocks().size())
                        break;
                    const CDatBlocks::Block& taken = measured->blocks()[block];
                    const size_t first = block == 0 ? 0 : measured->blocks()[block - 1].valueEnd;
                    encoder.write(measured->values().data() + first,
                                  static_cast<DWORD>(taken.valueEnd - first));
                    peak = std::max(peak, taken.peak);
                    count = taken.bytes;
                    ++block;
                } else {
                    count = reader->read(buffer.get(), static_cast<int>(blockSize));
                    if (count == 0)
                        break;
                    if (count == static_cast<UINT>(-1)) {
                        result = StepFailed;
                        break;
                    }
                    encoder.encode(buffer.get(), count);
                    peak = std::max(peak, computePeak(buffer.get(), count, format));
                }
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
