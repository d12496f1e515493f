#include "import/Mp3Decoder.h"

#include "import/Mp3Segment.h"
#include "import/OpProgress.h"
#include "import/OrderedPipeline.h"
#include "infra/Logger.h"
#include "infra/TraceChannel.h"

#include <mad.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr UINT kInputCapacity = 80000;
constexpr UINT kInputRefill = 40000;
// Samples go to the file in large writes; a write per frame costs more
// than decoding it.
constexpr UINT kOutputCapacity = 512 * 1024; // 16-bit samples

// Input for a piece, at least enough that the frames decoded only to reach
// its state are few.
constexpr uint64_t kMinPieceBytes = 4 * 1024;
constexpr uint64_t kMaxPieceBytes = 1024 * 1024;
// Decoded before a piece and thrown away: the bit reservoir reaches 511
// bytes back, the overlap and the synthesis filter one frame each.
constexpr uint64_t kWarmUpBytes = 4096;
// Read where a piece may start, to find a run of frames there.
constexpr size_t kProbeBytes = 16 * 1024;
// Frames into the stream where one pass's synthesis phase is taken.
constexpr int kLeadFrames = 8;

} // namespace

UINT CMp3Decoder::id3v2TagSize(const BYTE* header, UINT count, bool skipMagic)
{
    if (count < 10)
        return 0;
    if (!skipMagic && memcmp(header, "ID3", 3) != 0)
        return 0;
    if (header[3] == 0xFF || header[4] == 0xFF)
        return 0;
    for (int i = 6; i < 10; ++i) {
        if (header[i] >= 0x80)
            return 0;
    }
    UINT size = ((header[6] << 21) | (header[7] << 14) | (header[8] << 7) | header[9]) + 10;
    // Padding after the tag, as far as the given bytes reach.
    while (size < count && header[size] == 0)
        ++size;
    return size;
}

struct CMp3Decoder::Callbacks {
    static mad_flow input(void* data, mad_stream* stream)
    {
        return static_cast<mad_flow>(static_cast<CMp3Decoder*>(data)->refill(stream));
    }
    static mad_flow output(void* data, const mad_header*, mad_pcm* pcm)
    {
        return static_cast<mad_flow>(static_cast<CMp3Decoder*>(data)->writeFrame(pcm));
    }
};

DecodeResult CMp3Decoder::decodeFile(const wchar_t* input, const wchar_t* output,
                                     IOpProgress* progress)
{
    m_progress = progress;
    m_input = openInput(input);
    if (m_input == INVALID_HANDLE_VALUE) {
        TraceFormat(LOG_ERROR, L"error opening mp3 file %s", input);
        return DecodeFailed;
    }
    LARGE_INTEGER size{};
    GetFileSizeEx(m_input, &size);
    const uint64_t fileSize = static_cast<uint64_t>(size.QuadPart);
    BYTE header[10];
    DWORD got = 0;
    const UINT skip = ReadFile(m_input, header, sizeof(header), &got, nullptr)
                          ? id3v2TagSize(header, got)
                          : 0;
    progress->setRange(static_cast<UINT>(fileSize - skip));
    progress->show(true);

    m_outputPath = output;
    m_formatKnown = false;
    m_cancelled = false;
    const std::optional<int> inPieces =
        m_threads > 1 ? decodeInPieces(fileSize, skip) : std::nullopt;
    int run = inPieces.value_or(0);
    bool flushed = true;
    if (!inPieces) {
        SetFilePointer(m_input, static_cast<LONG>(skip), nullptr, FILE_BEGIN);
        m_inputBuffer.reset(new BYTE[kInputCapacity]);
        m_outputBuffer.reset(new int16_t[kOutputCapacity]);
        m_inputCount = m_outputCount = m_bytesRead = 0;
        m_endGuarded = false;
        mad_decoder decoder;
        mad_decoder_init(&decoder, this, Callbacks::input, nullptr, nullptr, Callbacks::output,
                         nullptr, nullptr);
        run = mad_decoder_run(&decoder, MAD_DECODER_MODE_SYNC);
        mad_decoder_finish(&decoder);
        flushed = run != 0 || flushOutput();
    }

    m_inputBuffer.reset();
    m_outputBuffer.reset();
    CloseHandle(m_input);
    m_input = INVALID_HANDLE_VALUE;
    m_writer.close();

    DecodeResult result = DecodeDone;
    if (run != 0) {
        TraceFormat(LOG_ERROR, L"error decoding file %s; code = %d", input, run);
        result = DecodeFailed;
        if (m_cancelled)
            result = DecodeCancelled;
        else if (m_errorCode != 0)
            m_errorText = SystemErrorText(m_errorCode);
    } else if (!flushed) {
        TraceFormat(LOG_ERROR, L"error writing the decoded file %s", output);
        result = DecodeFailed;
    } else if (!m_formatKnown) {
        TraceFormat(LOG_ERROR, L"no audio info found in file %s", input);
        m_errorText = L"Invalid mp3 file!";
        result = DecodeInvalidFile;
    }
    if (result != DecodeDone)
        DeleteFileW(output);
    return result;
}


int CMp3Decoder::refill(mad_stream* stream)
{
    if (m_progress->isCancelled()) {
        TraceFormat(LOG_DEBUG, L"mp3 decoding canceled");
        m_cancelled = true;
        return MAD_FLOW_BREAK;
    }
    ClearReservoir(*stream);
    // Bytes of an incomplete frame move to the front and are offered again.
    if (stream->next_frame) {
        m_inputCount = static_cast<UINT>(m_inputBuffer.get() + m_inputCount - stream->next_frame);
        memmove(m_inputBuffer.get(), stream->next_frame, m_inputCount);
    }
    try {
        // A frame larger than a refill would never fit: read at least something.
        const UINT room = m_inputCount < kInputRefill ? kInputRefill - m_inputCount
                                                      : kInputCapacity - m_inputCount;
        DWORD got = 0;
        if (!ReadFile(m_input, m_inputBuffer.get() + m_inputCount, room, &got, nullptr))
            return MAD_FLOW_BREAK;
        m_bytesRead += got;
        if (got == 0) {
            // libmad decodes a frame only once it sees MAD_BUFFER_GUARD bytes
            // past it: zeros offered once at the end keep the last frame.
            if (m_endGuarded || m_inputCount + MAD_BUFFER_GUARD > kInputCapacity)
                return MAD_FLOW_STOP;
            m_endGuarded = true;
            memset(m_inputBuffer.get() + m_inputCount, 0, MAD_BUFFER_GUARD);
            got = MAD_BUFFER_GUARD;
        }
        m_inputCount += got;
        mad_stream_buffer(stream, m_inputBuffer.get(), m_inputCount);
        return MAD_FLOW_CONTINUE;
    } catch (...) {
        TraceFormat(LOG_DETAIL, L"Unknown decoding exception.");
        return MAD_FLOW_BREAK;
    }
}

int CMp3Decoder::writeFrame(const mad_pcm* pcm)
{
    if (m_progress->isCancelled()) {
        TraceFormat(LOG_DEBUG, L"mp3 decoding canceled");
        m_cancelled = true;
        return MAD_FLOW_BREAK;
    }
    if (!m_formatKnown && !createOutput(pcm->channels, pcm->samplerate))
        return MAD_FLOW_BREAK;
    if (m_outputCount + kMaxFrameSamples > kOutputCapacity && !flushOutput())
        return MAD_FLOW_BREAK;
    m_outputCount += AppendPcm(*pcm, m_channels, m_outputBuffer.get() + m_outputCount);
    m_progress->setPos(m_bytesRead);
    return MAD_FLOW_CONTINUE;
}

bool CMp3Decoder::createOutput(WORD channels, DWORD sampleRate)
{
    const WAVEFORMATEX format = Pcm16Format(channels, sampleRate);
    if (!m_writer.create(m_outputPath, &format, m_measured)) {
        m_errorCode = m_writer.lastSystemError();
        m_errorText = SystemErrorText(m_errorCode);
        return false;
    }
    m_formatKnown = true;
    m_channels = channels;
    return true;
}

std::optional<int> CMp3Decoder::decodeInPieces(uint64_t fileSize, UINT skip)
{
    std::vector<BYTE> probe(kProbeBytes);
    // The bytes read into probe at offset.
    auto probeAt = [&](uint64_t offset) -> size_t {
        return size_t{ReadAt(m_input, offset, probe.data(), kProbeBytes).value_or(0)};
    };
    auto runAt = [&](uint64_t offset, Mp3FrameRun& run) {
        return FindFrameRun(probe.data(), probeAt(offset), offset, run);
    };
    Mp3FrameRun first;
    if (!runAt(skip, first))
        return std::nullopt;
    // The first piece starts where one pass starts; the others at runs of
    // frames, each decoded from a little earlier to reach the state one pass
    // has there.
    const double outputPerInputByte =
        first.sampleRate * first.channels * 2.0 / (first.bitrate / 8.0);
    const uint64_t audioBytes = fileSize - skip;
    COrderedPipeline pipeline(m_threads);
    const uint64_t pieceBytes = std::clamp<uint64_t>(
        std::min<uint64_t>(static_cast<uint64_t>(pipeline.pieceBytes() / outputPerInputByte),
                           audioBytes / (2 * m_threads)),
        kMinPieceBytes, kMaxPieceBytes);
    std::vector<uint64_t> starts{skip}, warmUps{skip};
    for (uint64_t nominal = skip + pieceBytes; nominal + pieceBytes / 2 < fileSize;
         nominal += pieceBytes) {
        Mp3FrameRun run, warmUp;
        if (!runAt(nominal, run) || run.start <= starts.back())
            continue;
        const uint64_t warmFrom =
            std::max(starts.back(), run.start - std::min(run.start, kWarmUpBytes));
        warmUps.push_back(runAt(warmFrom, warmUp) && warmUp.start < run.start ? warmUp.start
                                                                              : warmFrom);
        starts.push_back(run.start);
    }
    const size_t count = starts.size();
    if (count < 2)
        return std::nullopt;
    // One pass's phase a few frames in, where the frames it could not play
    // at the start are behind it; from there on every frame of the chain
    // turns it.
    Mp3SegmentJob lead;
    lead.decodeFrom = lead.keepFrom = skip;
    lead.end = FrameAfter(probe.data(), probeAt(first.start), first.start, kLeadFrames);
    lead.channels = first.channels;
    const Mp3SegmentResult led =
        lead.end != 0 ? DecodeMp3Segment(m_input, fileSize, lead, [] { return false; })
                      : Mp3SegmentResult();
    if (lead.end == 0 || !led.exact || led.end.position != lead.end)
        return std::nullopt;
    const std::vector<unsigned> phases =
        SynthesisPhases(m_input, lead.end, led.end.phase, fileSize, warmUps);

    auto jobFor = [&](size_t piece) {
        Mp3SegmentJob job;
        job.decodeFrom = warmUps[piece];
        job.keepFrom = starts[piece];
        job.end = piece + 1 < count ? starts[piece + 1] : UINT64_MAX;
        job.channels = first.channels;
        job.phase = phases[piece];
        return job;
    };
    const size_t ahead = pipeline.slots();
    const size_t pieceSamples =
        static_cast<size_t>(static_cast<double>(pieceBytes) * outputPerInputByte / 2) +
        4 * kMaxFrameSamples;
    std::vector<Mp3SegmentResult> slots(ahead);
    auto stopping = [&] { return pipeline.stopping(); };
    bool failed = false;
    Mp3DecoderState previousEnd;
    auto take = [&](size_t piece) {
        Mp3SegmentResult& result = slots[piece % ahead];
        // A piece whose warm-up did not reach one pass's state is decoded
        // again from the state the piece before it ended in.
        if (piece > 0 && !result.readFailed && !(result.start == previousEnd)) {
            Mp3SegmentJob job = jobFor(piece);
            job.decodeFrom = job.keepFrom = previousEnd.position;
            job.state = &previousEnd;
            result = DecodeMp3Segment(
                m_input, fileSize, job, [] { return false; }, std::move(result.samples));
        }
        const bool exact = !result.readFailed && !result.stopped && result.exact &&
                           (piece > 0 || result.firstChannels == first.channels);
        if (!exact)
            return false;
        if (piece == 0 && !createOutput(result.firstChannels, result.firstRate)) {
            failed = true;
            return false;
        }
        if (!result.samples.empty() &&
            !m_writer.write(result.samples.data(),
                            static_cast<int>(result.samples.size() * sizeof(int16_t)))) {
            m_errorCode = m_writer.lastSystemError();
            m_errorText = SystemErrorText(m_errorCode);
            failed = true;
            return false;
        }
        previousEnd = std::move(result.end);
        m_progress->setPos(static_cast<UINT>(std::min(previousEnd.position, fileSize) - skip));
        // The samples' memory serves the slot's next piece.
        result = Mp3SegmentResult{std::move(result.samples)};
        return true;
    };
    auto idle = [&] {
        if (!m_progress->isCancelled())
            return true;
        TraceFormat(LOG_DEBUG, L"mp3 decoding canceled");
        m_cancelled = true;
        return false;
    };
    const bool completed = pipeline.run(
        count,
        [&](size_t piece) {
            Mp3SegmentResult& slot = slots[piece % ahead];
            // Growing a slot doubles it: give it room for a piece of
            // constant bitrate at once.
            slot.samples.reserve(pieceSamples);
            slot = DecodeMp3Segment(m_input, fileSize, jobFor(piece), stopping,
                                    std::move(slot.samples));
        },
        take, idle);
    if (completed)
        return 0;
    if (m_cancelled || failed)
        return -1;
    // Left to one pass, from the start.
    m_writer.close();
    m_formatKnown = false;
    m_progress->setPos(0);
    return std::nullopt;
}

bool CMp3Decoder::flushOutput()
{
    if (m_outputCount == 0)
        return true;
    const bool written =
        m_writer.write(m_outputBuffer.get(), static_cast<int>(m_outputCount * sizeof(int16_t)));
    m_outputCount = 0;
    if (!written) {
        m_errorCode = m_writer.lastSystemError();
        m_errorText = SystemErrorText(m_errorCode);
    }
    return written;
}
