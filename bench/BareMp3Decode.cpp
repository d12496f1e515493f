// The floors for an MP3 open: libmad's decoder run over the file in the same
// way the component drives it, every sample turned into 16 bits, and either
// nothing written or the samples written to a WAV file. Prints
// "decode_s SECONDS".
//
// Usage: BareMp3Decode FILE.mp3 [OUT.wav]

#include "BareFloor.h"

#include <windows.h>

#include <mad.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <io.h>
#include <vector>

namespace {

struct Input {
    HANDLE file;
    std::vector<unsigned char> buffer = std::vector<unsigned char>(80000);
    size_t count = 0;
    BareWavFile* wav = nullptr;
    BareFormat format;
    int16_t sink = 0;
};

mad_flow refill(void* data, mad_stream* stream)
{
    auto* input = static_cast<Input*>(data);
    if (stream->next_frame) {
        input->count = input->buffer.data() + input->count - stream->next_frame;
        memmove(input->buffer.data(), stream->next_frame, input->count);
    }
    DWORD got = 0;
    if (!ReadFile(input->file, input->buffer.data() + input->count,
                  static_cast<DWORD>(input->buffer.size() / 2), &got, nullptr))
        return MAD_FLOW_BREAK;
    if (got == 0)
        return MAD_FLOW_STOP;
    input->count += got;
    mad_stream_buffer(stream, input->buffer.data(), input->count);
    return MAD_FLOW_CONTINUE;
}

int16_t to16(mad_fixed_t sample)
{
    if (sample >= MAD_F_ONE)
        return 32767;
    if (sample <= -MAD_F_ONE)
        return -32767;
    return static_cast<int16_t>(sample >> (MAD_F_FRACBITS + 1 - 16));
}

mad_flow output(void* data, const mad_header*, mad_pcm* pcm)
{
    auto* input = static_cast<Input*>(data);
    int16_t frame[2 * 1152];
    for (unsigned c = 0; c < pcm->channels; ++c) {
        for (unsigned i = 0; i < pcm->length; ++i)
            frame[i * pcm->channels + c] = to16(pcm->samples[c][i]);
    }
    if (input->wav) {
        if (input->format.channels == 0)
            input->format = {static_cast<WORD>(pcm->channels), pcm->samplerate};
        input->wav->add(frame, pcm->length * pcm->channels * sizeof frame[0]);
    }
    // Keeps the conversion from being optimised away.
    input->sink ^= frame[0];
    return MAD_FLOW_CONTINUE;
}

bool decode(FILE* file, BareWavFile* wav, BareFormat& format)
{
    // Read with ReadFile, as the component reads.
    Input input;
    input.file = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    input.wav = wav;
    mad_decoder decoder;
    mad_decoder_init(&decoder, &input, refill, nullptr, nullptr, output, nullptr, nullptr);
    const int result = mad_decoder_run(&decoder, MAD_DECODER_MODE_SYNC);
    mad_decoder_finish(&decoder);
    fclose(file);
    format = input.format;
    printf("sink %d\n", input.sink);
    return result == 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    return runFloor(argc, argv, "BareMp3Decode", "mp3", decode);
}
