#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// Malformed files made from one valid file, each with a name that says how
// it was made so a failure can be reproduced from its report.
struct CorpusFile {
    std::string name;
    std::string bytes;
};

// How many mutations of each kind a run makes: the fast set of the normal
// test run, or many more with random seeds for the soak (TARVISK_SOAK=N).
struct CorpusScale {
    int truncations = 24;
    int bitFlips = 24;
    uint32_t seed = 1;

    // Read from TARVISK_SOAK and TARVISK_SOAK_SEED; the soak takes a fresh
    // seed each run unless one is given, and reports it.
    static CorpusScale fromEnvironment();
};

// Byte helpers shared by the format mutators.
uint32_t ReadLe32(const std::string& bytes, size_t at);
void WriteLe32(std::string& bytes, size_t at, uint32_t value);
void WriteLe16(std::string& bytes, size_t at, uint16_t value);

// The file cut at many lengths, from nothing to one byte short.
void AddTruncations(std::vector<CorpusFile>& corpus, const std::string& source,
                    const CorpusScale& scale);
// Single bits flipped, half of them in the first 512 bytes where the headers are.
void AddBitFlips(std::vector<CorpusFile>& corpus, const std::string& source,
                 const CorpusScale& scale, std::mt19937& random);

// RIFF WAVE: size fields of every chunk set to 0, huge and past the end;
// chunks reordered and duplicated; format fields with channel counts, rates
// and widths of 0, 1 and 65535.
std::vector<CorpusFile> WavCorpus(const std::string& source, const CorpusScale& scale);
// MPEG audio: frame headers with reserved and extreme fields, back pointers
// into data that is not there, and ID3v2 headers with bad and huge sizes.
std::vector<CorpusFile> Mp3Corpus(const std::string& source, const CorpusScale& scale);
// Ogg Vorbis: page and header packet fields (channels, rate, block sizes,
// lacing, granule) changed with the page checksum made right again, so the
// decoder itself, not only the page reader, meets them.
std::vector<CorpusFile> OggCorpus(const std::string& source, const CorpusScale& scale);
// ASF (WMA, WMV): object sizes of 0, huge and past the end, and counts.
std::vector<CorpusFile> AsfCorpus(const std::string& source, const CorpusScale& scale);

// An Ogg page's checksum over its bytes with the checksum field as zero.
uint32_t OggPageChecksum(const std::string& page);
