#include "import/Mp3Decoder.h"

#include "import/OpProgress.h"
#include "infra/Logger.h"
#include "infra/TraceChannel.h"

#include <mad.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr UINT kInputCapacity = 80000;
constexpr UINT kInputRefill = 40000;
// Samples go to the file in large writes; a write per frame costs more
// than decoding it.
constexpr UINT kOutputCapacity = 512 * 1024; // 16-bit samples
constexpr UINT kMaxFrameSamples = 2 * 1152;

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

int16_t CMp3Decoder::convertSample(int sample)
{
    if (sample >= MAD_F_ONE)
        return 32767;
    if (sample <= -MAD_F_ONE)
        return -32767;
    return static_cast<int16_t>(sample >> (MAD_F_FRACBITS + 1 - 16));
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
    const DWORD fileSize = SetFilePointer(m_input, 0, nullptr, FILE_END);
    SetFilePointer(m_input, 0, nullptr, FILE_BEGIN);
    BYTE header[10];
    DWORD got = 0;
    const UINT skip = ReadFile(m_input, header, sizeof(header), &got, nullptr)
                          ? id3v2TagSize(header, got)
                          : 0;
    SetFilePointer(m_input, static_cast<LONG>(skip), nullptr, FILE_BEGIN);
    progress->setRange(fileSize - skip);
    progress->show(true);

    m_outputPath = output;
    m_inputBuffer.reset(new BYTE[kInputCapacity]);
    m_outputBuffer.reset(new int16_t[kOutputCapacity]);
    m_inputCount = m_outputCount = m_bytesRead = 0;
    m_formatKnown = false;
    m_cancelled = false;
    m_endGuarded = false;

    mad_decoder decoder;
    mad_decoder_init(&decoder, this, Callbacks::input, nullptr, nullptr, Callbacks::output,
                     nullptr, nullptr);
    const int run = mad_decoder_run(&decoder, MAD_DECODER_MODE_SYNC);
    mad_decoder_finish(&decoder);
    const bool flushed = run != 0 || flushOutput();

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
    if (!m_formatKnown) {
        const WAVEFORMATEX format = Pcm16Format(pcm->channels, pcm->samplerate);
        if (!m_writer.create(m_outputPath, &format, m_measured)) {
            m_errorCode = m_writer.lastSystemError();
            m_errorText = SystemErrorText(m_errorCode);
            return MAD_FLOW_BREAK;
        }
        m_formatKnown = true;
        m_channels = pcm->channels;
    }
    if (m_outputCount + kMaxFrameSamples > kOutputCapacity && !flushOutput())
        return MAD_FLOW_BREAK;
    // Later frames take the first frame's channel layout, so a change of
    // mode inside the file cannot interleave mono into a stereo stream.
    const mad_fixed_t* left = pcm->samples[0];
    const mad_fixed_t* right = pcm->channels == 2 ? pcm->samples[1] : left;
    const unsigned length = std::min<unsigned>(pcm->length, 1152);
    int16_t* out = m_outputBuffer.get() + m_outputCount;
    if (m_channels == 2) {
        for (unsigned i = 0; i < length; ++i) {
            out[2 * i] = convertSample(left[i]);
            out[2 * i + 1] = convertSample(right[i]);
        }
    } else if (pcm->channels == 2) {
        for (unsigned i = 0; i < length; ++i)
            out[i] = convertSample((left[i] >> 1) + (right[i] >> 1));
    } else {
        for (unsigned i = 0; i < length; ++i)
            out[i] = convertSample(left[i]);
    }
    m_outputCount += length * m_channels;
    m_progress->setPos(m_bytesRead);
    return MAD_FLOW_CONTINUE;
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
