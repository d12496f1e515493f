// The floors for an AAC open: ffmpeg's MP4 demuxer and AAC decoder over the
// file, the float samples rounded to 16 bits, and either nothing written or
// the samples written to a WAV file. Prints "decode_s SECONDS".
//
// Usage: BareAacDecode FILE.m4a [OUT.wav]

#include "BareFloor.h"

#include <windows.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

int readFile(void* file, uint8_t* data, int size)
{
    const size_t got = fread(data, 1, static_cast<size_t>(size), static_cast<FILE*>(file));
    return got == 0 ? AVERROR_EOF : static_cast<int>(got);
}

int64_t seekFile(void* file, int64_t offset, int whence)
{
    auto* stream = static_cast<FILE*>(file);
    whence &= ~AVSEEK_FORCE; // a hint for network streams
    if (whence == AVSEEK_SIZE) {
        const int64_t here = _ftelli64(stream);
        _fseeki64(stream, 0, SEEK_END);
        const int64_t size = _ftelli64(stream);
        _fseeki64(stream, here, SEEK_SET);
        return size;
    }
    return _fseeki64(stream, offset, whence) == 0 ? _ftelli64(stream) : -1;
}

bool decode(FILE* file, BareWavFile* wav, BareFormat& format)
{
    constexpr int kBuffer = 64 * 1024;
    AVIOContext* io = avio_alloc_context(static_cast<unsigned char*>(av_malloc(kBuffer)), kBuffer,
                                         0, file, readFile, nullptr, seekFile);
    AVFormatContext* demuxer = avformat_alloc_context();
    demuxer->pb = io;
    const AVCodec* aac = nullptr;
    int audio = -1;
    AVCodecContext* codec = nullptr;
    if (avformat_open_input(&demuxer, nullptr, nullptr, nullptr) < 0 ||
        (audio = av_find_best_stream(demuxer, AVMEDIA_TYPE_AUDIO, -1, -1, &aac, 0)) < 0 ||
        !(codec = avcodec_alloc_context3(aac)) ||
        avcodec_parameters_to_context(codec, demuxer->streams[audio]->codecpar) < 0 ||
        avcodec_open2(codec, aac, nullptr) < 0) {
        fprintf(stderr, "BareAacDecode: not an MP4 file with AAC audio\n");
        fclose(file);
        return false;
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    std::vector<int16_t> samples;
    long long total = 0;
    bool failed = false;
    const auto receive = [&] {
        while (avcodec_receive_frame(codec, frame) == 0) {
            const int channels = frame->ch_layout.nb_channels;
            format = {static_cast<WORD>(channels), static_cast<DWORD>(frame->sample_rate)};
            samples.resize(size_t(frame->nb_samples) * channels);
            for (int i = 0; i < frame->nb_samples; ++i) {
                for (int c = 0; c < channels; ++c) {
                    const float value =
                        reinterpret_cast<const float*>(frame->extended_data[c])[i] * 32768.0f;
                    samples[size_t(i) * channels + c] =
                        value >= 32767.0f    ? 32767
                        : value <= -32768.0f ? -32768
                                             : static_cast<int16_t>(std::lrintf(value));
                }
            }
            total += static_cast<long long>(samples.size()) * 2;
            if (wav)
                wav->add(samples.data(), samples.size() * 2);
        }
    };
    while (av_read_frame(demuxer, packet) >= 0) {
        if (packet->stream_index == audio) {
            failed = failed || avcodec_send_packet(codec, packet) < 0;
            receive();
        }
        av_packet_unref(packet);
    }
    avcodec_send_packet(codec, nullptr);
    receive();
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&demuxer);
    av_freep(&io->buffer);
    avio_context_free(&io);
    fclose(file);
    printf("bytes %lld\n", total);
    return !failed;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    return runFloor(argc, argv, "BareAacDecode", "m4a", decode);
}
