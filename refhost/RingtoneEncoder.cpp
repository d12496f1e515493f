#include "refhost/RingtoneEncoder.h"

#include "refhost/HostOutput.h"

#include <windows.h>

#include <lame/lame.h>
#include <vorbis/vorbisenc.h>
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

const wchar_t* const kFormatNames[] = {L"wav", L"ogg", L"mp3", L"m4r"};

std::wstring refusal(const wchar_t* format, const RingtoneStream& stream)
{
    return std::wstring(format) + L" cannot carry " + std::to_wstring(stream.channels) +
           L" channels at " + std::to_wstring(stream.rate) + L" Hz";
}

// 16-bit PCM with the 44-byte header, as the host wrote ringtones before it
// knew other formats: no title.
class WavEncoder : public IRingtoneEncoder {
public:
    bool start(const RingtoneStream& stream, IRingtoneSink& sink, std::wstring&) override
    {
        m_sink = &sink;
        const uint16_t blockAlign = static_cast<uint16_t>(stream.channels * 2);
        m_blockAlign = blockAlign;
        const uint32_t bytes = static_cast<uint32_t>(stream.frames * blockAlign);
        const uint32_t riffSize = 36 + bytes, fmtSize = 16, byteRate = stream.rate * blockAlign;
        const uint16_t pcm = WAVE_FORMAT_PCM, bits = 16;
        return sink.append("RIFF", 4) && sink.append(&riffSize, 4) && sink.append("WAVEfmt ", 8) &&
               sink.append(&fmtSize, 4) && sink.append(&pcm, 2) &&
               sink.append(&stream.channels, 2) && sink.append(&stream.rate, 4) &&
               sink.append(&byteRate, 4) && sink.append(&blockAlign, 2) && sink.append(&bits, 2) &&
               sink.append("data", 4) && sink.append(&bytes, 4);
    }
    bool encode(const int16_t* samples, int frames) override
    {
        return m_sink->append(samples, size_t(frames) * m_blockAlign);
    }
    bool finish() override { return true; }

private:
    IRingtoneSink* m_sink = nullptr;
    size_t m_blockAlign = 0;
};

// Ogg Vorbis at quality 4 (about 128 kbit/s for stereo), the title as a
// TITLE comment.
class OggVorbisEncoder : public IRingtoneEncoder {
public:
    OggVorbisEncoder()
    {
        vorbis_info_init(&m_info);
        vorbis_comment_init(&m_comment);
    }
    ~OggVorbisEncoder() override
    {
        if (m_started) {
            ogg_stream_clear(&m_stream);
            vorbis_block_clear(&m_block);
            vorbis_dsp_clear(&m_dsp);
        }
        vorbis_comment_clear(&m_comment);
        vorbis_info_clear(&m_info);
    }
    bool start(const RingtoneStream& stream, IRingtoneSink& sink, std::wstring& error) override
    {
        if (vorbis_encode_init_vbr(&m_info, stream.channels, stream.rate, 0.4f) != 0) {
            error = refusal(L"Ogg Vorbis", stream);
            return false;
        }
        m_sink = &sink;
        m_channels = stream.channels;
        if (!stream.title.empty())
            vorbis_comment_add_tag(&m_comment, "TITLE", Utf8(stream.title).c_str());
        vorbis_analysis_init(&m_dsp, &m_info);
        vorbis_block_init(&m_dsp, &m_block);
        ogg_stream_init(&m_stream, 1);
        m_started = true;
        ogg_packet header, comment, codebooks;
        vorbis_analysis_headerout(&m_dsp, &m_comment, &header, &comment, &codebooks);
        ogg_stream_packetin(&m_stream, &header);
        ogg_stream_packetin(&m_stream, &comment);
        ogg_stream_packetin(&m_stream, &codebooks);
        // The audio starts on a page of its own, as the format asks.
        ogg_page page;
        while (ogg_stream_flush(&m_stream, &page)) {
            if (!writePage(page))
                return false;
        }
        return true;
    }
    bool encode(const int16_t* samples, int frames) override
    {
        float** buffer = vorbis_analysis_buffer(&m_dsp, frames);
        for (int i = 0; i < frames; ++i) {
            for (int c = 0; c < m_channels; ++c)
                buffer[c][i] = samples[i * m_channels + c] / 32768.0f;
        }
        vorbis_analysis_wrote(&m_dsp, frames);
        return drain();
    }
    bool finish() override
    {
        vorbis_analysis_wrote(&m_dsp, 0);
        return drain();
    }

private:
    bool writePage(const ogg_page& page)
    {
        return m_sink->append(page.header, page.header_len) &&
               m_sink->append(page.body, page.body_len);
    }
    bool drain()
    {
        ogg_packet packet;
        ogg_page page;
        while (vorbis_analysis_blockout(&m_dsp, &m_block) == 1) {
            vorbis_analysis(&m_block, nullptr);
            vorbis_bitrate_addblock(&m_block);
            while (vorbis_bitrate_flushpacket(&m_dsp, &packet)) {
                ogg_stream_packetin(&m_stream, &packet);
                while (ogg_stream_pageout(&m_stream, &page)) {
                    if (!writePage(page))
                        return false;
                }
            }
        }
        return true;
    }

    vorbis_info m_info;
    vorbis_comment m_comment;
    vorbis_dsp_state m_dsp;
    vorbis_block m_block;
    ogg_stream_state m_stream;
    bool m_started = false;
    IRingtoneSink* m_sink = nullptr;
    int m_channels = 0;
};

// MP3 at 128 kbit/s behind an ID3v2 title. Its first frame, the info frame
// that holds the encoder's delay and padding so that players give the exact
// length, can only be filled in once the last frame is out.
class Mp3Encoder : public IRingtoneEncoder {
public:
    Mp3Encoder() : m_lame(lame_init()) {}
    ~Mp3Encoder() override { lame_close(m_lame); }
    bool start(const RingtoneStream& stream, IRingtoneSink& sink, std::wstring& error) override
    {
        m_sink = &sink;
        m_channels = stream.channels;
        lame_set_num_channels(m_lame, stream.channels);
        lame_set_in_samplerate(m_lame, static_cast<int>(stream.rate));
        lame_set_brate(m_lame, 128);
        lame_set_write_id3tag_automatic(m_lame, 0);
        id3tag_init(m_lame);
        id3tag_v2_only(m_lame);
        // UTF-16 with its byte order mark, so that every script survives.
        std::wstring title = L"\uFEFF" + stream.title;
        if (!stream.title.empty())
            id3tag_set_textinfo_utf16(m_lame, "TIT2",
                                      reinterpret_cast<const unsigned short*>(title.c_str()));
        if (stream.channels > 2 || lame_init_params(m_lame) < 0) {
            error = refusal(L"MP3", stream);
            return false;
        }
        std::vector<unsigned char> tag(lame_get_id3v2_tag(m_lame, nullptr, 0));
        lame_get_id3v2_tag(m_lame, tag.data(), tag.size());
        m_infoFrameAt = static_cast<int64_t>(tag.size());
        return sink.append(tag.data(), tag.size());
    }
    bool encode(const int16_t* samples, int frames) override
    {
        // LAME's own bound for the output of that many frames.
        m_buffer.resize(frames + frames / 4 + 7200);
        const int size = static_cast<int>(m_buffer.size());
        const int bytes =
            m_channels == 1
                ? lame_encode_buffer(m_lame, samples, samples, frames, m_buffer.data(), size)
                : lame_encode_buffer_interleaved(m_lame, const_cast<int16_t*>(samples), frames,
                                                 m_buffer.data(), size);
        return bytes >= 0 && m_sink->append(m_buffer.data(), size_t(bytes));
    }
    bool finish() override
    {
        m_buffer.resize(7200);
        const int bytes = lame_encode_flush(m_lame, m_buffer.data(), 7200);
        if (bytes < 0 || !m_sink->append(m_buffer.data(), size_t(bytes)))
            return false;
        const size_t infoFrame = lame_get_lametag_frame(m_lame, m_buffer.data(), m_buffer.size());
        return infoFrame <= m_buffer.size() &&
               m_sink->overwrite(m_infoFrameAt, m_buffer.data(), infoFrame);
    }

private:
    lame_t m_lame;
    IRingtoneSink* m_sink = nullptr;
    int m_channels = 0;
    int64_t m_infoFrameAt = 0;
    std::vector<unsigned char> m_buffer;
};

// AAC-LC at 128 kbit/s in an MP4 file of the iPhone's kind, through
// ffmpeg's own encoder and muxer, the title as the file's title tag. The
// muxer writes the sample table at the end and then goes back to fill in
// the size of the audio before it.
class M4rEncoder : public IRingtoneEncoder {
public:
    ~M4rEncoder() override
    {
        if (m_muxer) {
            if (m_muxer->pb)
                av_free(m_muxer->pb->buffer);
            avio_context_free(&m_muxer->pb);
            avformat_free_context(m_muxer);
        }
        avcodec_free_context(&m_codec);
        av_frame_free(&m_frame);
        av_packet_free(&m_packet);
    }
    bool start(const RingtoneStream& stream, IRingtoneSink& sink, std::wstring& error) override
    {
        av_log_set_level(AV_LOG_QUIET);
        m_sink = &sink;
        m_channels = stream.channels;
        const AVCodec* aac = avcodec_find_encoder(AV_CODEC_ID_AAC);
        m_codec = avcodec_alloc_context3(aac);
        m_frame = av_frame_alloc();
        m_packet = av_packet_alloc();
        if (avformat_alloc_output_context2(&m_muxer, nullptr, "ipod", nullptr) < 0 || !m_codec ||
            !m_frame || !m_packet)
            return false;
        av_channel_layout_default(&m_codec->ch_layout, stream.channels);
        m_codec->sample_rate = static_cast<int>(stream.rate);
        m_codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
        m_codec->bit_rate = 128000;
        m_codec->time_base = AVRational{1, m_codec->sample_rate};
        m_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (avcodec_open2(m_codec, aac, nullptr) < 0) {
            error = refusal(L"AAC", stream);
            return false;
        }
        AVStream* audio = avformat_new_stream(m_muxer, nullptr);
        auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBuffer));
        m_muxer->pb =
            buffer ? avio_alloc_context(buffer, kIoBuffer, 1, this, nullptr, write, seek) : nullptr;
        if (!m_muxer->pb)
            av_free(buffer);
        if (!audio || !m_muxer->pb || avcodec_parameters_from_context(audio->codecpar, m_codec) < 0)
            return false;
        audio->time_base = m_codec->time_base;
        if (!stream.title.empty())
            av_dict_set(&m_muxer->metadata, "title", Utf8(stream.title).c_str(), 0);
        m_frame->format = m_codec->sample_fmt;
        m_frame->nb_samples = m_codec->frame_size;
        return av_channel_layout_copy(&m_frame->ch_layout, &m_codec->ch_layout) == 0 &&
               av_frame_get_buffer(m_frame, 0) == 0 && avformat_write_header(m_muxer, nullptr) >= 0;
    }
    bool encode(const int16_t* samples, int frames) override
    {
        for (int i = 0; i < frames; ++i) {
            for (int c = 0; c < m_channels; ++c)
                reinterpret_cast<float*>(m_frame->data[c])[m_filled] =
                    samples[i * m_channels + c] / 32768.0f;
            if (++m_filled == m_codec->frame_size && !sendFrame())
                return false;
        }
        return true;
    }
    bool finish() override
    {
        // The encoder pads a short last frame with silence; the file's edit
        // list keeps the padding out of the length players give.
        return (m_filled == 0 || sendFrame()) && drain(nullptr) && av_write_trailer(m_muxer) == 0 &&
               m_ioOk;
    }

private:
    static constexpr int kIoBuffer = 64 * 1024;

    bool sendFrame()
    {
        m_frame->nb_samples = m_filled;
        m_frame->pts = m_position;
        m_position += m_filled;
        m_filled = 0;
        // The encoder may hold on to the samples it was sent.
        return drain(m_frame) && av_frame_make_writable(m_frame) == 0;
    }
    bool drain(const AVFrame* frame)
    {
        if (avcodec_send_frame(m_codec, frame) < 0)
            return false;
        for (;;) {
            const int got = avcodec_receive_packet(m_codec, m_packet);
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
                return m_ioOk;
            if (got < 0)
                return false;
            av_packet_rescale_ts(m_packet, m_codec->time_base, m_muxer->streams[0]->time_base);
            if (av_write_frame(m_muxer, m_packet) < 0)
                return false;
        }
    }
    // The sink appends at its end and overwrites before it; the muxer only
    // ever goes back to what it has written.
    static int write(void* opaque, uint8_t* data, int size)
    {
        auto* self = static_cast<M4rEncoder*>(opaque);
        const int inside = static_cast<int>(std::min<int64_t>(size, self->m_end - self->m_at));
        const bool ok =
            (inside == 0 || self->m_sink->overwrite(self->m_at, data, size_t(inside))) &&
            (inside == size || self->m_sink->append(data + inside, size_t(size - inside)));
        self->m_at += size;
        self->m_end = std::max(self->m_end, self->m_at);
        self->m_ioOk = self->m_ioOk && ok;
        return ok ? size : AVERROR(EIO);
    }
    static int64_t seek(void* opaque, int64_t offset, int whence)
    {
        auto* self = static_cast<M4rEncoder*>(opaque);
        whence &= ~AVSEEK_FORCE; // a hint for network streams
        if (whence == AVSEEK_SIZE)
            return self->m_end;
        const int64_t base = whence == SEEK_CUR ? self->m_at : whence == SEEK_END ? self->m_end : 0;
        if (base + offset < 0 || base + offset > self->m_end)
            return AVERROR(EINVAL);
        return self->m_at = base + offset;
    }

    IRingtoneSink* m_sink = nullptr;
    int m_channels = 0;
    AVCodecContext* m_codec = nullptr;
    AVFormatContext* m_muxer = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    int m_filled = 0;       // frames in m_frame
    int64_t m_position = 0; // frames sent to the encoder
    int64_t m_at = 0, m_end = 0;
    bool m_ioOk = true;
};

} // namespace

const wchar_t* RingtoneFormatName(RingtoneFormat format)
{
    return kFormatNames[static_cast<int>(format)];
}

bool ParseRingtoneFormat(const std::wstring& name, RingtoneFormat& format)
{
    for (size_t i = 0; i < std::size(kFormatNames); ++i) {
        if (_wcsicmp(name.c_str(), kFormatNames[i]) == 0) {
            format = static_cast<RingtoneFormat>(i);
            return true;
        }
    }
    return false;
}

int64_t RingtoneLengthLimit(RingtoneFormat format)
{
    return format == RingtoneFormat::M4r ? 40000 : 0;
}

std::unique_ptr<IRingtoneEncoder> MakeRingtoneEncoder(RingtoneFormat format)
{
    switch (format) {
    case RingtoneFormat::Ogg:
        return std::make_unique<OggVorbisEncoder>();
    case RingtoneFormat::Mp3:
        return std::make_unique<Mp3Encoder>();
    case RingtoneFormat::M4r:
        return std::make_unique<M4rEncoder>();
    default:
        return std::make_unique<WavEncoder>();
    }
}
