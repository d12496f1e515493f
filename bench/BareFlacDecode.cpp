// The floors for a FLAC open: libFLAC's decoder run over the file, every
// sample narrowed to 16 bits, and either nothing written or the samples
// written to a WAV file. Prints "decode_s SECONDS".
//
// Usage: BareFlacDecode FILE.flac [OUT.wav]

#include "BareWavFile.h"

#include <windows.h>

#include <FLAC/stream_decoder.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct Output {
    BareWavFile* wav = nullptr;
    std::vector<int16_t> samples;
    WORD channels = 0;
    DWORD rate = 0;
    int16_t sink = 0;
};

FLAC__StreamDecoderWriteStatus write(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                     const FLAC__int32* const channels[], void* data)
{
    auto* output = static_cast<Output*>(data);
    const FLAC__FrameHeader& header = frame->header;
    output->channels = static_cast<WORD>(header.channels);
    output->rate = header.sample_rate;
    // Narrowed without rounding: the bench's file has 16 bits, as most have.
    const int extra = static_cast<int>(header.bits_per_sample) - 16;
    output->samples.resize(size_t{header.blocksize} * header.channels);
    int16_t* sample = output->samples.data();
    for (unsigned i = 0; i < header.blocksize; ++i)
        for (unsigned c = 0; c < header.channels; ++c)
            *sample++ = static_cast<int16_t>(extra > 0 ? channels[c][i] >> extra
                                                       : channels[c][i] << -extra);
    if (output->wav)
        output->wav->add(output->samples.data(), output->samples.size() * 2);
    else
        output->sink = static_cast<int16_t>(output->sink ^ output->samples.back());
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void error(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus status, void*)
{
    fprintf(stderr, "BareFlacDecode: %s\n", FLAC__StreamDecoderErrorStatusString[status]);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2 && argc != 3) {
        fprintf(stderr, "usage: BareFlacDecode FILE.flac [OUT.wav]\n");
        return 2;
    }
    FILE* file = _wfopen(argv[1], L"rb");
    if (!file) {
        fprintf(stderr, "BareFlacDecode: cannot open the file\n");
        return 1;
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    Output output;
    std::unique_ptr<BareWavFile> wav;
    if (argc == 3) {
        wav = std::make_unique<BareWavFile>(argv[2]);
        if (!wav->isOpen()) {
            fprintf(stderr, "BareFlacDecode: cannot create the WAV file\n");
            fclose(file);
            return 1;
        }
        output.wav = wav.get();
    }
    // The C library's 4 KB buffer would cost a read call per 4 KB; the
    // component reads as much as libFLAC asks for.
    setvbuf(file, nullptr, _IOFBF, 1 << 16);
    FLAC__StreamDecoder* decoder = FLAC__stream_decoder_new();
    // libFLAC closes the file when the decoder finishes.
    const bool decoded =
        FLAC__stream_decoder_init_FILE(decoder, file, write, nullptr, error, &output) ==
            FLAC__STREAM_DECODER_INIT_STATUS_OK &&
        FLAC__stream_decoder_process_until_end_of_stream(decoder);
    FLAC__stream_decoder_delete(decoder);
    const bool written = !wav || wav->finish(output.channels, output.rate);
    wav.reset();
    QueryPerformanceCounter(&end);
    printf("decode_s %.6f\n",
           static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
    printf("sink %d\n", output.sink);
    return decoded && written ? 0 : 1;
}
