#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Malformed files made from one valid file, each with a name that says how
// it was made so a failure can be reproduced from its report.
struct CorpusFile {
    std::string name;
    std::string bytes;
};

// How many generic mutations (truncations, bit flips) a run makes: many more
// for the soak (TARVISK_SOAK=N), with a fresh seed unless TARVISK_SOAK_SEED
// gives one.
struct CorpusScale {
    int truncations = 24;
    int bitFlips = 24;
    uint32_t seed = 1;

    static CorpusScale fromEnvironment();
};

// RIFF WAVE: size fields of every chunk at 0, huge and past the end, chunks
// reordered, removed and doubled, format fields at their extremes.
// MPEG audio: frame headers with reserved and extreme fields, side
// information into data that is not there, ID3v2 headers with bad sizes.
// Ogg Vorbis: page and header packet fields changed with the page checksum
// made right again, so libvorbis itself meets them.
// ASF (WMA, WMV): truncations and bit flips only.
enum class CorpusFormat { Wav, Mp3, Ogg, Asf };

std::vector<CorpusFile> MakeCorpus(CorpusFormat format, const std::string& source,
                                   const CorpusScale& scale);
