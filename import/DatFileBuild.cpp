#include "import/DatFileBuild.h"

#include "import/Decoder.h"
#include "import/OpProgress.h"
#include "import/OrderedPipeline.h"
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

namespace {

constexpr UINT kReadBlock = 100000;
// Blocks a worker reads and measures at once. Under Wine a read costs some
// 16 us beyond copying its bytes: reading the 60-minute WAV file in single
// blocks took 0.27 s of system time, in 1 MB pieces 0.15 s, which is what a
// native read of it takes. Larger pieces no longer fit the processor's
// second-level cache by the time their peak is computed.
constexpr UINT kBlocksPerPiece = 10;

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

// The sequential pass's DAT values and peak, taken while the file was
// written.
int writeMeasured(const CDatBlocks& measured, CDatFileEncoder& encoder, IOpProgress* progress,
                  int& peak)
{
    UINT done = 0;
    size_t first = 0;
    for (const CDatBlocks::Block& block : measured.blocks()) {
        if (progress->isCancelled())
            return StepCancelled;
        encoder.write(measured.values().data() + first, static_cast<DWORD>(block.valueEnd - first));
        first = block.valueEnd;
        peak = std::max(peak, block.peak);
        done += block.bytes;
        progress->setPos(done);
    }
    return StepDone;
}

// The data chunk of a WAV file, read at any position on a handle of its own,
// so the reader's own position stays where it is. Windows runs the reads of
// one synchronous handle one at a time, so each worker's piece has its own.
class CDataChunk {
public:
    explicit CDataChunk(const CWavReader& reader)
        : m_offset(reader.getDataOffset()),
          m_file(CreateFileW(reader.getFileName(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
        if (m_file == INVALID_HANDLE_VALUE)
            throw CKestraException(L"cannot open the wav file again: " + LastErrorText(), 0);
    }
    ~CDataChunk() { CloseHandle(m_file); }
    CDataChunk(const CDataChunk&) = delete;
    CDataChunk& operator=(const CDataChunk&) = delete;

    // The system's error code, or 0 once all length bytes at the data
    // position are in buffer.
    DWORD read(uint64_t position, BYTE* buffer, UINT length) const
    {
        const std::optional<DWORD> got = ReadAt(m_file, m_offset + position, buffer, length);
        if (!got)
            return GetLastError();
        // The file was cut short while it was read.
        return *got == length ? 0 : ERROR_HANDLE_EOF;
    }

private:
    uint64_t m_offset;
    HANDLE m_file;
};

// A run of blocks read and measured by one worker.
struct CMeasuredPiece {
    std::unique_ptr<CDataChunk> data;
    std::unique_ptr<BYTE[]> buffer;
    std::vector<signed char> values;
    int peak = 0;
    DWORD readError = 0;
};

// Reads the data in pieces of whole blocks on worker threads and writes
// their values in order; the values, the peak and the progress positions
// are the sequential pass's, block by block.
int measureInPieces(const CWavReader& reader, CDatFileEncoder& encoder, IOpProgress* progress,
                    unsigned threads, int& peak)
{
    const WAVEFORMATEX format = *reader.getFormat();
    const UINT frameSize = format.nChannels * 2u;
    const UINT blockSize = blockSizeOf(format);
    const uint64_t pieceSize = uint64_t{blockSize} * kBlocksPerPiece;
    const uint64_t dataSize = reader.getDataSize();
    const size_t count = static_cast<size_t>((dataSize + pieceSize - 1) / pieceSize);

    // One piece for each worker and two waiting to be written: at most
    // 15 MB with 8 threads, most of it values only at the lowest rates.
    COrderedPipeline pipeline(threads);
    std::vector<CMeasuredPiece> pieces(pipeline.slots());
    try {
        for (CMeasuredPiece& piece : pieces) {
            piece.data = std::make_unique<CDataChunk>(reader);
            piece.buffer.reset(new BYTE[pieceSize]);
            piece.values.reserve(pieceSize / frameSize / (format.nSamplesPerSec / 100) + 1);
        }
    } catch (const std::bad_alloc&) {
        throw CKestraException(L"out of memory for the samples", 0);
    }

    const auto produce = [&](size_t index) {
        CMeasuredPiece& piece = pieces[index % pieces.size()];
        const uint64_t begin = index * pieceSize;
        const uint64_t end = std::min(begin + pieceSize, dataSize);
        CDatSampler sampler(format, begin / frameSize);
        piece.values.clear();
        const UINT length = static_cast<UINT>(end - begin);
        piece.readError = piece.data->read(begin, piece.buffer.get(), length);
        if (piece.readError != 0)
            return;
        // A piece starts on a frame; a partial frame at the data's end is
        // dropped, as the last block drops it.
        sampler.sample(piece.buffer.get(), length, piece.values);
        piece.peak = computePeak(piece.buffer.get(), length, format);
    };
    const auto take = [&](size_t index) {
        const CMeasuredPiece& piece = pieces[index % pieces.size()];
        if (piece.readError != 0)
            throw CKestraException(
                L"error reading from wav file: " + SystemErrorText(piece.readError), 0);
        encoder.write(piece.values.data(), static_cast<DWORD>(piece.values.size()));
        peak = std::max(peak, piece.peak);
        const uint64_t begin = index * pieceSize;
        const uint64_t end = std::min(begin + pieceSize, dataSize);
        for (uint64_t at = begin; at < end; at += blockSize)
            progress->setPos(static_cast<UINT>(std::min<uint64_t>(at + blockSize, end)));
        return true;
    };
    bool cancelled = false;
    const auto idle = [&] {
        cancelled = progress->isCancelled();
        return !cancelled;
    };
    if (pipeline.run(count, produce, take, idle))
        return StepDone;
    if (cancelled)
        return StepCancelled;
    throw CKestraException(L"no thread to read the samples on", 0);
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
                  CString& errorText, const CDatBlocks* measured, unsigned threads)
{
    const WAVEFORMATEX format = *reader->getFormat();
    if (measured && !measured->covers(format, reader->getDataSize()))
        measured = nullptr;
    int result = StepFailed;
    DWORD systemError = 0;
    peak = 0;

    progress->setTextId(IDS_CREATING_DAT);
    progress->setRange(reader->getDataSize());
    progress->show(true);

    try {
        CDatFileEncoder encoder(baseName, &format);
        try {
            result = measured ? writeMeasured(*measured, encoder, progress, peak)
                              : measureInPieces(*reader, encoder, progress, threads, peak);
        } catch (const CKestraEncoderException&) {
            systemError = encoder.lastSystemError();
            throw;
        }
    } catch (const CKestraException& e) {
        LogFormat(LOG_ERROR, L"error creating dat file: %s", e.message().GetString());
        result = StepFailed;
    }
    if (result == StepCancelled)
        LogFormat(LOG_DEBUG, L"createDatFile canceled");
    if (result != StepDone) {
        if (systemError != 0)
            errorText = SystemErrorText(systemError);
        DeleteFileW(CString(baseName) + L".dat");
    }
    return result;
}
