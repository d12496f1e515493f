#pragma once

#include <string>
#include <vector>

// Malformed files made from one valid file, each with a name that says how
// it was made so a failure can be reproduced from its report.
struct CorpusFile {
    std::string name;
    std::string bytes;
};

// Each format gets its own structural mutations (see Corpus.cpp); ASF, which the Windows
// Media runtime parses, MP4, which ffmpeg parses, and FLAC and Opus, whose frames and pages
// carry checksums, truncations and bit flips only. The soak (TARVISK_SOAK=N) makes many more of
// those, with a fresh seed unless TARVISK_SEED gives one.
enum class CorpusFormat { Wav, Mp3, Ogg, Asf, Mp4, Flac, Opus };

std::vector<CorpusFile> MakeCorpus(CorpusFormat format, const std::string& source);
