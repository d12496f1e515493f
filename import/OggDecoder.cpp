#include "import/OggDecoder.h"

#include "import/OpProgress.h"
#include "import/OrderedPipeline.h"
#include "import/WavWriter.h"
#include "infra/KestraException.h"
#include "infra/Logger.h"
#include "infra/TraceChannel.h"

#include "Sync.h"

#include <vorbis/vorbisfile.h>

#include <fcntl.h>
#include <io.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <memory>
#include <new>
#include <vector>

namespace {

constexpr int kReadBlock = 4096;
// Decoded blocks are collected and written in large pieces; a write per
// block costs more than decoding it.
constexpr int kWriteBlock = 256 * kReadBlock;

size_t readCallback(void* buffer, size_t size, size_t count, void* file)
{
    return fread(buffer, size, count, static_cast<FILE*>(file));
}

// libvorbisfile seeks to the end to find the file's links: a long, 32 bits
// here, would send a file over 2 GB elsewhere.
int seekCallback(void* file, ogg_int64_t offset, int whence)
{
    return _fseeki64(static_cast<FILE*>(file), offset, whence);
}

int closeCallback(void* file)
{
    return fclose(static_cast<FILE*>(file));
}

// The callback's type is libvorbisfile's; a place it cannot hold is an error.
long tellCallback(void* file)
{
    const int64_t place = _ftelli64(static_cast<FILE*>(file));
    return place > LONG_MAX ? -1 : static_cast<long>(place);
}

const ov_callbacks kFileCallbacks = {readCallback, seekCallback, closeCallback, tellCallback};

// A C stream that owns the handle from here on: fclose closes it.
FILE* streamOver(HANDLE handle)
{
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY);
    if (descriptor == -1) {
        CloseHandle(handle);
        return nullptr;
    }
    FILE* file = _fdopen(descriptor, "rb");
    if (!file)
        _close(descriptor);
    return file;
}

constexpr ogg_int64_t kMinPieceFrames = 4096;

// The input opened once per thread and kept from piece to piece: opening it
// reads the file's first and last pages.
class CVorbisReaders {
public:
    explicit CVorbisReaders(const wchar_t* path) : m_path(path) {}
    ~CVorbisReaders()
    {
        for (auto& reader : m_idle)
            ov_clear(reader.get());
    }

    std::unique_ptr<OggVorbis_File> acquire()
    {
        {
            CSingleLock hold(&m_lock, TRUE);
            if (!m_idle.empty()) {
                std::unique_ptr<OggVorbis_File> reader = std::move(m_idle.back());
                m_idle.pop_back();
                return reader;
            }
        }
        FILE* file = streamOver(CreateFileW(m_path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        auto reader = std::make_unique<OggVorbis_File>();
        if (!file)
            return nullptr;
        if (ov_open_callbacks(file, reader.get(), nullptr, 0, kFileCallbacks) < 0) {
            fclose(file);
            return nullptr;
        }
        // The first read makes the decoder ready, or says that it cannot be
        // made so, as it does for one pass; a seek would go on with a
        // half-made decoder and crash on a damaged setup header.
        char first[kReadBlock];
        int section = 0;
        if (ov_read(reader.get(), first, kReadBlock, 0, 2, 1, &section) < 0) {
            ov_clear(reader.get());
            return nullptr;
        }
        return reader;
    }
    void release(std::unique_ptr<OggVorbis_File> reader)
    {
        CSingleLock hold(&m_lock, TRUE);
        m_idle.push_back(std::move(reader));
    }

private:
    const wchar_t* m_path;
    CCriticalSection m_lock;
    std::vector<std::unique_ptr<OggVorbis_File>> m_idle;
};

// The samples of [first, first + frames) of the stream, as one pass reads them
// from the start, in the memory of samples (fresh memory costs a page fault
// per page); the last piece must end where the stream does. Empty when the
// piece cannot be read so.
std::vector<char> decodePiece(OggVorbis_File* reader, ogg_int64_t first, ogg_int64_t frames,
                              bool last, int frameBytes, std::vector<char> samples)
{
    samples.resize(static_cast<size_t>(frames * frameBytes));
    if (ov_pcm_seek(reader, first) != 0 || ov_pcm_tell(reader) != first)
        return {};
    ogg_int64_t delivered = 0;
    // The decoder drops a packet it cannot decode without a word, and one
    // pass then runs behind the positions a seek goes by: the drop shows
    // as a jump in the position once a page's own position is taken.
    auto read = [&](char* into, size_t bytes) {
        int section = 0;
        const long count = ov_read(
            reader, into, static_cast<int>(std::min<size_t>(bytes, kReadBlock)), 0, 2, 1, &section);
        if (count < 0 || section != 0)
            return -1L;
        delivered += count / frameBytes;
        return ov_pcm_tell(reader) == first + delivered ? count : -1L;
    };
    for (size_t got = 0; got < samples.size();) {
        const long count = read(samples.data() + got, samples.size() - got);
        if (count <= 0)
            return {};
        got += static_cast<size_t>(count);
    }
    char rest[kReadBlock];
    if (last)
        return read(rest, sizeof rest) == 0 ? samples : std::vector<char>();
    // On through two more pages, so that the page holding the piece's end
    // has given its position. The last page gives none: a drop there shows
    // only in how much the stream's end trims, so the last piece must hold
    // all of that page.
    ogg_int64_t page = ov_raw_tell(reader);
    for (int pages = 0; pages < 2;) {
        if (read(rest, sizeof rest) <= 0)
            return {};
        if (ov_raw_tell(reader) != page) {
            page = ov_raw_tell(reader);
            ++pages;
        }
    }
    return samples;
}

} // namespace

COggDecoder::PieceOutcome COggDecoder::decodeInPieces(const wchar_t* input, OggVorbis_File* vf,
                                                      CWavWriter& writer, IOpProgress* progress)
{
    const vorbis_info* info = ov_info(vf, 0);
    const int frameBytes = info->channels * 2;
    const ogg_int64_t total = ov_pcm_total(vf, 0);
    const ogg_int64_t rawTotal = ov_raw_total(vf, 0);
    COrderedPipeline pipeline(m_threads);
    // Short files are cut too, so that every thread has some, and pieces of
    // many channels hold more than the budget: a few packets at least.
    const ogg_int64_t pieceFrames = std::max(
        kMinPieceFrames, std::min(total / (2 * static_cast<ogg_int64_t>(m_threads)),
                                  static_cast<ogg_int64_t>(pipeline.pieceBytes()) / frameBytes));
    if (total <= 0 || rawTotal <= 0 || total < 2 * pieceFrames)
        return PieceOutcome::LeftToOnePass;
    const size_t count = static_cast<size_t>((total + pieceFrames - 1) / pieceFrames);
    const size_t ahead = pipeline.slots();
    std::vector<std::vector<char>> slots(ahead);
    CVorbisReaders readers(input);
    auto produce = [&](size_t piece) {
        std::unique_ptr<OggVorbis_File> reader = readers.acquire();
        if (!reader)
            return;
        const ogg_int64_t first = static_cast<ogg_int64_t>(piece) * pieceFrames;
        std::vector<char>& slot = slots[piece % ahead];
        slot = decodePiece(reader.get(), first, std::min(pieceFrames, total - first),
                           piece + 1 == count, frameBytes, std::move(slot));
        readers.release(std::move(reader));
    };
    PieceOutcome outcome = PieceOutcome::Done;
    auto take = [&](size_t piece) {
        std::vector<char>& samples = slots[piece % ahead];
        if (samples.empty()) {
            outcome = PieceOutcome::LeftToOnePass;
            return false;
        }
        if (!writer.write(samples.data(), static_cast<int>(samples.size()))) {
            m_errorCode = writer.lastSystemError();
            m_errorText = SystemErrorText(m_errorCode);
            outcome = PieceOutcome::Failed;
            return false;
        }
        samples.clear();
        const double done = static_cast<double>(piece + 1) / static_cast<double>(count);
        progress->setPos(static_cast<UINT>(static_cast<double>(rawTotal) * done));
        return true;
    };
    auto idle = [&] {
        if (!progress->isCancelled())
            return true;
        TraceFormat(LOG_DEBUG, L"ogg decoding canceled");
        outcome = PieceOutcome::Cancelled;
        return false;
    };
    pipeline.run(count, produce, take, idle);
    return outcome;
}

DecodeResult COggDecoder::decodeFile(const wchar_t* input, const wchar_t* output,
                                     IOpProgress* progress)
{
    FILE* file = streamOver(openInput(input));
    if (!file) {
        TraceFormat(LOG_ERROR, L"failed to open input file: %s; error = %s\n", input,
                    m_errorText.GetString());
        return DecodeFailed;
    }
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kWriteBlock]);
    if (!buffer) {
        fclose(file);
        return DecodeFailed;
    }
    DecodeResult result = DecodeDone;
    OggVorbis_File vf;
    bool opened = false;
    CWavWriter writer;
    try {
        if (ov_open_callbacks(file, &vf, nullptr, 0, kFileCallbacks) < 0)
            throw CKestraException(L"failed to open file as vorbis file", 0);
        opened = true;
        if (ov_streams(&vf) != 1) {
            result = DecodeNotSupported;
            m_errorText = L"Cannot open ogg files with multiple streams.";
            throw CKestraException(L"cannot open ogg files with multiple streams", 0);
        }
        progress->setRange(static_cast<UINT>(ov_raw_total(&vf, 0)));
        progress->show(true);

        const vorbis_info* info = ov_info(&vf, 0);
        const WAVEFORMATEX format =
            Pcm16Format(static_cast<WORD>(info->channels), static_cast<DWORD>(info->rate));
        if (!writer.create(output, &format, m_measured)) {
            m_errorCode = writer.lastSystemError();
            m_errorText = SystemErrorText(m_errorCode);
            throw CKestraException(L"error creating dest wav file", 0);
        }
        const PieceOutcome inPieces = m_threads > 1 ? decodeInPieces(input, &vf, writer, progress)
                                                    : PieceOutcome::LeftToOnePass;
        if (inPieces == PieceOutcome::Failed)
            result = DecodeFailed;
        if (inPieces == PieceOutcome::Cancelled)
            result = DecodeCancelled;
        // Left to one pass, from the start, into a new file.
        if (inPieces == PieceOutcome::LeftToOnePass && m_threads > 1 &&
            !(writer.close() && writer.create(output, &format, m_measured))) {
            m_errorCode = writer.lastSystemError();
            m_errorText = SystemErrorText(m_errorCode);
            throw CKestraException(L"error creating dest wav file", 0);
        }
        int collected = 0;
        auto writeCollected = [&] {
            const bool written = writer.write(buffer.get(), collected);
            collected = 0;
            if (!written) {
                m_errorCode = writer.lastSystemError();
                m_errorText = SystemErrorText(m_errorCode);
                result = DecodeFailed;
            }
            return written;
        };
        while (inPieces == PieceOutcome::LeftToOnePass) {
            if (progress->isCancelled()) {
                TraceFormat(LOG_DEBUG, L"ogg decoding canceled");
                result = DecodeCancelled;
                break;
            }
            int section = 0;
            const long count =
                ov_read(&vf, buffer.get() + collected, kReadBlock, 0, 2, 1, &section);
            if (count < 0)
                throw CKestraException(L"error reading ogg file", 0);
            if (count == 0) {
                writeCollected();
                break;
            }
            if (section != 0)
                throw CKestraException(L"only one logical bitstream currently supported", 0);
            collected += static_cast<int>(count);
            if (collected + kReadBlock > kWriteBlock && !writeCollected())
                break;
            progress->setPos(static_cast<UINT>(ov_raw_tell(&vf)));
        }
    } catch (const CKestraException& e) {
        if (result == DecodeDone)
            result = DecodeFailed;
        TraceFormat(LOG_ERROR, L"COggDecoder::decodeFile failed: %s", e.message().GetString());
    }
    buffer.reset();
    // Once opened, the file belongs to libvorbisfile and closes through the callback.
    if (opened)
        ov_clear(&vf);
    else
        fclose(file);
    writer.close();
    if (result == DecodeDone)
        return result;
    if (m_errorCode != 0)
        m_errorText = SystemErrorText(m_errorCode);
    DeleteFileW(output);
    return result;
}
