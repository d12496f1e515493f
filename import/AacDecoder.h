#pragma once

#include "import/Decoder.h"

// AAC in an MP4 file (.m4a, .mp4, .m4r) through ffmpeg's demuxer and
// decoder, written as 16-bit PCM. A file with video gives its first audio
// stream; audio of another codec in the file is not taken.
class CAacDecoder : public IDecoder {
public:
    DecodeResult decodeFile(const wchar_t* input, const wchar_t* output,
                            IOpProgress* progress) override;
};
