#pragma once

#include "import/Decoder.h"

// Ogg Opus through libopusfile, written as 16-bit PCM at 48 kHz with the
// stream's channels in their Ogg order, as the Vorbis decoder writes them.
// No dither, so that the samples are those of any other undithered decoding.
// Only files with a single logical bitstream are accepted.
class COpusDecoder : public IDecoder {
public:
    DecodeResult decodeFile(const wchar_t* input, const wchar_t* output,
                            IOpProgress* progress) override;

    // Whether the file starts as an Ogg Opus stream, so that an .ogg file is
    // given to this decoder rather than to the Vorbis one.
    static bool holdsOpus(const wchar_t* input);
};
