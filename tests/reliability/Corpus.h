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

// How many truncations and bit flips a run makes: many more for the soak
// (TARVISK_SOAK=N), with a fresh seed unless TARVISK_SOAK_SEED gives one.
struct CorpusScale {
    int truncations = 24;
    int bitFlips = 24;
    uint32_t seed = 1;

    static CorpusScale fromEnvironment();
};

// Each format gets its own structural mutations (see Corpus.cpp); ASF, which
// the Windows Media runtime parses, truncations and bit flips only.
enum class CorpusFormat { Wav, Mp3, Ogg, Asf };

std::vector<CorpusFile> MakeCorpus(CorpusFormat format, const std::string& source,
                                   const CorpusScale& scale);
