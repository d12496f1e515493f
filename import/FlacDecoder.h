#pragma once

#include "import/Decoder.h"

// FLAC through libFLAC, written as 16-bit PCM with the stream's channels and
// rate: wider samples round to the nearest 16-bit value, narrower ones are
// scaled up. A frame that fails its check or a stream shorter than its
// header says refuses the file.
class CFlacDecoder : public IDecoder {
public:
    DecodeResult decodeFile(const wchar_t* input, const wchar_t* output,
                            IOpProgress* progress) override;

private:
    struct Run;
};
