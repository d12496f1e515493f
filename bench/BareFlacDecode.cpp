// The floors for a FLAC open: libFLAC's decoder run over the file, every
// sample narrowed to 16 bits, and either nothing written or the samples
// written to a WAV file. Prints "decode_s SECONDS".
//
// Usage: BareFlacDecode FILE.flac [OUT.wav]

#include "BareFloor.h"

#include <windows.h>

#include <FLAC/stream_decoder.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

struct Output {
    BareWavFile* wav = nullptr;
    std::vector<int16_t> samples;
    BareFormat format;
    int16_t sink = 0;
};

FLAC__StreamDecoderWriteStatus write(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                     const FLAC__int32* const channels[], void* data)
{
    auto* output = static_cast<Output*>(data);
    const FLAC__FrameHeader& header = frame->header;
    output->format = {static_cast<WORD>(header.channels), header.sample_rate};
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

bool decode(FILE* file, BareWavFile* wav, BareFormat& format)
{
    Output output;
    output.wav = wav;
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
    format = output.format;
    printf("sink %d\n", output.sink);
    return decoded;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    return runFloor(argc, argv, "BareFlacDecode", "flac", decode);
}
