#include "import/AacDecoder.h"

#include "import/OpProgress.h"
#include "import/WavWriter.h"
#include "infra/KestraException.h"
#include "infra/Logger.h"
#include "infra/TraceChannel.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int kReadBuffer = 64 * 1024;
// Decoded frames are collected and written in large pieces; a write per
// frame costs more than decoding it.
constexpr size_t kWriteBlock = 512 * 1024; // samples

// ffmpeg's float sample to 16 bits: the nearest step, clipped at full scale.
int16_t convertSample(float sample)
{
    const float scaled = sample * 32768.0f;
    if (!(scaled > -32768.0f)) // a NaN too
        return -32768;
    if (scaled >= 32767.0f)
        return 32767;
    return static_cast<int16_t>(std::lrintf(scaled));
}

// The input as ffmpeg reads it: the handle the decoder opened, so that its
// sharing and the system's error codes are those of every decoder.
struct InputFile {
    HANDLE handle;
    DWORD error = 0;

    static int read(void* opaque, uint8_t* data, int size)
    {
        auto* file = static_cast<InputFile*>(opaque);
        DWORD got = 0;
        if (!ReadFile(file->handle, data, static_cast<DWORD>(size), &got, nullptr)) {
            file->error = GetLastError();
            return AVERROR(EIO);
        }
        return got == 0 ? AVERROR_EOF : static_cast<int>(got);
    }
    static int64_t seek(void* opaque, int64_t offset, int whence)
    {
        auto* file = static_cast<InputFile*>(opaque);
        LARGE_INTEGER place;
        whence &= ~AVSEEK_FORCE; // a hint for network streams; a file seeks anyway
        if (whence == AVSEEK_SIZE)
            return GetFileSizeEx(file->handle, &place) ? place.QuadPart : -1;
        LARGE_INTEGER to;
        to.QuadPart = offset;
        const DWORD method = whence == SEEK_CUR   ? FILE_CURRENT
                             : whence == SEEK_END ? FILE_END
                                                  : FILE_BEGIN;
        return SetFilePointerEx(file->handle, to, &place, method) ? place.QuadPart : -1;
    }
};

// What ffmpeg allocates for one decode, freed together.
struct Session {
    AVIOContext* io = nullptr;
    AVFormatContext* demuxer = avformat_alloc_context();
    AVCodecContext* codec = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    int audio = -1; // the stream decoded

    ~Session()
    {
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&demuxer);
        if (io)
            av_freep(&io->buffer);
        avio_context_free(&io);
    }
};

} // namespace

DecodeResult CAacDecoder::decodeFile(const wchar_t* input, const wchar_t* output,
                                     IOpProgress* progress)
{
    InputFile file{openInput(input)};
    if (file.handle == INVALID_HANDLE_VALUE) {
        TraceFormat(LOG_ERROR, L"failed to open input file: %s; error = %s\n", input,
                    m_errorText.GetString());
        return DecodeFailed;
    }
    av_log_set_level(AV_LOG_QUIET);
    DecodeResult result = DecodeDone;
    CWavWriter writer;
    try {
        Session s;
        auto* buffer = static_cast<unsigned char*>(av_malloc(kReadBuffer));
        s.io = buffer ? avio_alloc_context(buffer, kReadBuffer, 0, &file, InputFile::read, nullptr,
                                           InputFile::seek)
                      : nullptr;
        if (!s.io)
            av_free(buffer);
        if (!s.io || !s.demuxer || !s.packet || !s.frame)
            throw CKestraException(L"out of memory", 0);
        s.demuxer->pb = s.io;
        // On failure it frees the demuxer, but not our reader.
        if (avformat_open_input(&s.demuxer, nullptr, nullptr, nullptr) < 0)
            throw CKestraException(L"no MP4 file", 0);
        const AVCodec* aac = nullptr;
        s.audio = av_find_best_stream(s.demuxer, AVMEDIA_TYPE_AUDIO, -1, -1, &aac, 0);
        if (s.audio == AVERROR_DECODER_NOT_FOUND) {
            result = DecodeNotSupported;
            m_errorText = L"The file's audio is not AAC.";
            throw CKestraException(L"audio of another codec", 0);
        }
        if (s.audio < 0)
            throw CKestraException(L"no audio stream", 0);
        for (unsigned i = 0; i < s.demuxer->nb_streams; ++i) {
            if (static_cast<int>(i) != s.audio)
                s.demuxer->streams[i]->discard = AVDISCARD_ALL;
        }
        s.codec = avcodec_alloc_context3(aac);
        if (!s.codec ||
            avcodec_parameters_to_context(s.codec, s.demuxer->streams[s.audio]->codecpar) < 0 ||
            avcodec_open2(s.codec, aac, nullptr) < 0)
            throw CKestraException(L"the AAC decoder does not start", 0);
        progress->setRange(static_cast<UINT>(std::clamp<int64_t>(avio_size(s.io), 0, UINT_MAX)));
        progress->show(true);

        std::vector<int16_t> collected;
        collected.reserve(kWriteBlock);
        int channels = 0, rate = 0;
        const auto writeCollected = [&] {
            if (!writer.write(collected.data(), static_cast<int>(collected.size() * 2))) {
                m_errorCode = writer.lastSystemError();
                throw CKestraException(L"error writing dest wav file", 0);
            }
            collected.clear();
        };
        // The WAV file's layout is the first frame's: only the decoder knows
        // it for sure (an implicit SBR doubles the rate the file gives).
        const auto takeFrame = [&](const AVFrame& frame) {
            if (channels == 0) {
                channels = frame.ch_layout.nb_channels;
                rate = frame.sample_rate;
                const WAVEFORMATEX format =
                    Pcm16Format(static_cast<WORD>(channels), static_cast<DWORD>(rate));
                if (channels < 1 || channels > 8 || rate < 1 ||
                    !writer.create(output, &format, m_measured)) {
                    m_errorCode = writer.lastSystemError();
                    throw CKestraException(L"error creating dest wav file", 0);
                }
            }
            if (frame.format != AV_SAMPLE_FMT_FLTP || frame.ch_layout.nb_channels != channels ||
                frame.sample_rate != rate) {
                result = DecodeNotSupported;
                throw CKestraException(L"the stream's layout changes", 0);
            }
            for (int i = 0; i < frame.nb_samples; ++i) {
                for (int c = 0; c < channels; ++c)
                    collected.push_back(
                        convertSample(reinterpret_cast<const float*>(frame.extended_data[c])[i]));
            }
            if (collected.size() + 8 * 2048 > kWriteBlock)
                writeCollected();
        };
        const auto decode = [&](const AVPacket* packet) {
            if (avcodec_send_packet(s.codec, packet) < 0)
                throw CKestraException(L"error decoding AAC", 0);
            for (;;) {
                const int got = avcodec_receive_frame(s.codec, s.frame);
                if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
                    return;
                if (got < 0)
                    throw CKestraException(L"error decoding AAC", 0);
                takeFrame(*s.frame);
            }
        };
        for (;;) {
            if (progress->isCancelled()) {
                TraceFormat(LOG_DEBUG, L"aac decoding canceled");
                result = DecodeCancelled;
                break;
            }
            const int read = av_read_frame(s.demuxer, s.packet);
            if (read == AVERROR_EOF) {
                decode(nullptr);
                if (channels == 0)
                    throw CKestraException(L"no audio in the stream", 0);
                writeCollected();
                break;
            }
            if (read < 0)
                throw CKestraException(L"error reading mp4 file", 0);
            if (s.packet->stream_index == s.audio)
                decode(s.packet);
            av_packet_unref(s.packet);
            progress->setPos(static_cast<UINT>(std::clamp<int64_t>(avio_tell(s.io), 0, UINT_MAX)));
        }
    } catch (const CKestraException& e) {
        if (result == DecodeDone)
            result = DecodeFailed;
        TraceFormat(LOG_ERROR, L"CAacDecoder::decodeFile failed: %s", e.message().GetString());
    }
    CloseHandle(file.handle);
    writer.close();
    if (result == DecodeDone)
        return result;
    if (m_errorCode == 0)
        m_errorCode = file.error;
    if (m_errorCode != 0)
        m_errorText = SystemErrorText(m_errorCode);
    DeleteFileW(output);
    return result;
}
