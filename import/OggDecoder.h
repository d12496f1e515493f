#pragma once

#include "import/Decoder.h"

class CWavWriter;
struct OggVorbis_File;

// Ogg Vorbis through libvorbisfile, written as 16-bit PCM. Only files with
// a single logical bitstream are accepted.
class COggDecoder : public IDecoder {
public:
    DecodeResult decodeFile(const wchar_t* input, const wchar_t* output,
                            IOpProgress* progress) override;

private:
    enum class PieceOutcome { Done, Failed, Cancelled, LeftToOnePass };
    // Decodes the stream in pieces on several threads, each read from its own
    // seek, into writer; left to one pass when the file is short or a piece
    // cannot be read exactly as one pass reads it.
    PieceOutcome decodeInPieces(const wchar_t* input, OggVorbis_File* vf, CWavWriter& writer,
                                IOpProgress* progress);
};
