#pragma once

#include "import/Decoder.h"

// Ogg Vorbis through libvorbisfile, written as 16-bit PCM. Only files with
// a single logical bitstream are accepted.
class COggDecoder : public IDecoder {
public:
    DecodeResult decodeFile(const wchar_t* input, const wchar_t* output,
                            IOpProgress* progress) override;
};
