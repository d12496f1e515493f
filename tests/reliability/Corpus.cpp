#include "Corpus.h"

#include "load/LoadRun.h"

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

std::string named(const char* format, ...)
{
    char text[160];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof(text), format, arguments);
    va_end(arguments);
    return text;
}

uint32_t le32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    if (at + 4 <= bytes.size())
        memcpy(&value, bytes.data() + at, 4);
    return value;
}

// One field of a file set: `width` bytes little-endian at `at`, or of a
// single byte only the bits of `mask`. Fields past the end are left out.
struct Patch {
    size_t at;
    int width;
    uint32_t value;
    uint8_t mask = 0xFF;
};

std::string patched(std::string bytes, const std::vector<Patch>& patches)
{
    for (const Patch& p : patches) {
        if (p.at + p.width > bytes.size())
            continue;
        if (p.width == 1)
            bytes[p.at] = static_cast<char>((bytes[p.at] & ~p.mask) | (p.value & p.mask));
        else
            memcpy(&bytes[p.at], &p.value, p.width);
    }
    return bytes;
}

// How many truncations and bit flips a run makes.
struct CorpusScale {
    int truncations = 24;
    int bitFlips = 24;
    uint32_t seed = 1;
};

struct Corpus {
    void add(std::string name, std::string bytes) { files.push_back({name, std::move(bytes)}); }
    void field(const std::string& name, size_t at, int width, std::vector<uint32_t> values)
    {
        for (const uint32_t value : values)
            add(named("%s %u", name.c_str(), value), patched(source, {{at, width, value}}));
    }
    // A size or count: nothing, the largest ones, and past the end of the file.
    void size(const std::string& name, size_t at)
    {
        field(name, at, 4,
              {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF,
               static_cast<uint32_t>(source.size() - at + 4096)});
    }
    // The file cut at many lengths (the header region byte by byte), and
    // single bits flipped, half of them in the first 512 bytes.
    void generic(const std::string& base, int truncations, int bitFlips, const char* prefix = "")
    {
        std::vector<size_t> lengths = {0, 1, 3, 4, 7, 8, 11, 12, 16, 20, 24, 36, 40, 44, 45, 64};
        for (int i = 1; i <= truncations; ++i)
            lengths.push_back(base.size() * i / (truncations + 1));
        lengths.push_back(base.size() - 1);
        std::sort(lengths.begin(), lengths.end());
        lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());
        for (const size_t length : lengths)
            if (length < base.size())
                add(named("%struncated at %zu", prefix, length), base.substr(0, length));
        for (int i = 0; i < bitFlips && !base.empty(); ++i) {
            const size_t at = random() % (i % 2 ? base.size() : std::min<size_t>(base.size(), 512));
            const int bit = static_cast<int>(random() % 8);
            add(named("%sbit %d of byte %zu flipped", prefix, bit, at),
                patched(base, {{at, 1, static_cast<uint32_t>(base[at] ^ (1 << bit))}}));
        }
    }

    const std::string& source;
    const CorpusScale& scale;
    std::mt19937 random;
    std::vector<CorpusFile> files;
};

void wavCorpus(Corpus& c)
{
    const std::string& source = c.source;
    c.generic(source, c.scale.truncations, c.scale.bitFlips);
    c.size("RIFF size", 4);
    std::string fmt, data;
    for (size_t at = 12; at + 8 <= source.size();) {
        const uint32_t size = le32(source, at + 4);
        const size_t end = std::min(source.size(), at + 8 + size + (size & 1));
        const std::string id = source.substr(at, 4);
        c.size(id + " size", at + 4);
        if (id == "fmt ") {
            const size_t body = at + 8;
            c.field("format tag", body, 2, {0, 2, 3, 0xFFFE, 0xFFFF});
            c.field("channels", body + 2, 2, {0, 1, 2, 3, 255, 65535});
            c.field("rate", body + 4, 4, {0, 1, 99, 100, 65535, 0x7FFFFFFF, 0xFFFFFFFF});
            c.field("bytes per second", body + 8, 4, {0, 1, 0xFFFFFFFF});
            c.field("block align", body + 12, 2, {0, 1, 3, 65535});
            c.field("bits", body + 14, 2, {0, 1, 7, 8, 12, 16, 24, 32, 65535});
            fmt = source.substr(at, end - at);
        } else if (id == "data") {
            data = source.substr(at, end - at);
        }
        at = end;
    }
    if (fmt.empty() || data.empty())
        return;
    const std::string junk("JUNK\x03\x00\x00\x00xyz\x00", 12);
    const std::string hugeList("LIST\xF0\xFF\xFF\xFF", 8);
    const std::string shortFmt = patched(fmt.substr(0, 8 + 14), {{4, 4, 14}});
    const std::string otherFmt = patched(fmt, {{8 + 2, 2, 1}, {8 + 14, 2, 8}});
    const std::pair<const char*, std::string> layouts[] = {
        {"data chunk before fmt chunk", data + fmt},
        {"no fmt chunk", data},
        {"no data chunk", fmt},
        {"no chunks", ""},
        {"odd-sized chunk before fmt", junk + fmt + data},
        {"LIST chunk of huge size first", hugeList + fmt + data},
        {"fmt chunk of 14 bytes", shortFmt + data},
        {"second fmt chunk after data", fmt + data + otherFmt},
        {"fmt chunk twice", otherFmt + fmt + data},
        {"data chunk twice", fmt + data + data},
    };
    for (const auto& [name, body] : layouts) {
        const std::string bytes = "RIFF____WAVE" + body;
        c.add(name, patched(bytes, {{4, 4, static_cast<uint32_t>(bytes.size() - 8)}}));
    }
    c.add("RIFX instead of RIFF", patched(source, {{3, 1, 'X'}}));
    c.add("form WAVX", patched(source, {{11, 1, 'X'}}));
}

// Writes value into width bits from bit offset at on, most significant first.
void setBits(std::string& bytes, size_t at, int width, uint32_t value)
{
    for (int i = 0; i < width; ++i, ++at) {
        const int mask = 0x80 >> (at % 8);
        char& byte = bytes[at / 8];
        byte = static_cast<char>((value >> (width - 1 - i)) & 1 ? byte | mask : byte & ~mask);
    }
}

// Offsets of the MPEG-1 layer III frames (those of the fixtures).
std::vector<size_t> mpegFrames(const std::string& bytes)
{
    static const int bitrates[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                     112, 128, 160, 192, 224, 256, 320, 0};
    static const int rates[4] = {44100, 48000, 32000, 0};
    std::vector<size_t> frames;
    for (size_t at = 0; at + 4 <= bytes.size();) {
        const auto* h = reinterpret_cast<const unsigned char*>(bytes.data() + at);
        const int bitrate = bitrates[h[2] >> 4];
        const int rate = rates[(h[2] >> 2) & 3];
        if (h[0] != 0xFF || (h[1] & 0xFE) != 0xFA || bitrate == 0 || rate == 0) {
            ++at;
            continue;
        }
        frames.push_back(at);
        at += 144000 * bitrate / rate + ((h[2] >> 1) & 1);
    }
    return frames;
}

void mp3Corpus(Corpus& c)
{
    const std::string& source = c.source;
    // An ID3v2.3 tag of 64 bytes: a title frame and padding.
    std::string tag("ID3\x03\x00\x00\x00\x00\x00\x36TIT2\x00\x00\x00\x06\x00\x00\x00tone!", 26);
    tag.resize(64, '\0');
    const std::string tagged = tag + source;
    c.generic(source, c.scale.truncations, c.scale.bitFlips, "untagged, ");
    c.generic(tagged, c.scale.truncations, c.scale.bitFlips, "tagged, ");
    // ID3v2 size bytes of 0x80 and over at each place, zero, huge and past the end.
    for (int place = 0; place < 4; ++place)
        for (const uint32_t value : {0x80, 0xC5, 0xFF})
            c.add(named("ID3 size byte %d = 0x%02X", place, value),
                  patched(tagged, {{6u + place, 1, value}}));
    c.add("ID3 size 0", patched(tagged, {{6, 4, 0}}));
    c.add("ID3 size 256 MB", patched(tagged, {{6, 4, 0x7F7F7F7F}}));
    c.add("ID3 size past the end", patched(tagged, {{6, 4, 0x7F7F7F00}})); // 2 MB
    c.add("ID3 tag without audio", tag);
    c.add("ID3 version 0xFF", patched(tagged, {{3, 1, 0xFF}}));
    c.add("ID3 header only", tagged.substr(0, 10));

    const std::vector<size_t> frames = mpegFrames(source);
    if (frames.size() < 4)
        return;
    // Header fields: the byte from the frame start, its value and mask.
    const std::pair<const char*, Patch> changes[] = {
        {"free-format bitrate", {2, 1, 0x00, 0xF0}},
        {"bitrate index 15", {2, 1, 0xF0, 0xF0}},
        {"lowest bitrate", {2, 1, 0x10, 0xF0}},
        {"reserved sample rate", {2, 1, 0x0C, 0x0C}},
        {"sample rate 32 kHz", {2, 1, 0x08, 0x0C}},
        {"padding toggled", {2, 1, 0x02, 0x02}},
        {"reserved layer", {1, 1, 0x00, 0x06}},
        {"layer I", {1, 1, 0x06, 0x06}},
        {"layer II", {1, 1, 0x04, 0x06}},
        {"reserved version", {1, 1, 0x08, 0x18}},
        {"MPEG-2", {1, 1, 0x10, 0x18}},
        {"MPEG-2.5", {1, 1, 0x00, 0x18}},
        {"CRC announced", {1, 1, 0x00, 0x01}},
        {"one channel", {3, 1, 0xC0, 0xC0}},
        {"dual channel", {3, 1, 0x80, 0xC0}},
        {"joint stereo with all modes", {3, 1, 0x70, 0xF0}},
        {"reserved emphasis", {3, 1, 0x02, 0x03}},
    };
    for (const size_t pick : {size_t{0}, size_t{1}, frames.size() / 2, frames.size() - 1}) {
        const size_t at = frames[pick];
        for (auto [name, patch] : changes) {
            patch.at += at;
            c.add(named("frame %zu: %s", pick, name), patched(source, {patch}));
        }
        // Side information: the back pointer at its largest (511 bytes into
        // data that was never there), then every field at its largest.
        c.add(named("frame %zu: main data 511 bytes back", pick),
              patched(source, {{at + 4, 1, 0xFF}, {at + 5, 1, 0x80, 0x80}}));
        // The first granule of the first channel: main data from this frame,
        // no Huffman bits at all, yet 288 value pairs to decode from the
        // largest table, which reads far past the granule's bits.
        std::string pairs = source;
        const size_t sideInfo = (at + 4) * 8;
        setBits(pairs, sideInfo, 9, 0);            // main_data_begin
        setBits(pairs, sideInfo + 20, 12, 0);      // part2_3_length
        setBits(pairs, sideInfo + 32, 9, 288);     // big_values
        setBits(pairs, sideInfo + 49, 4, 0);       // scalefac_compress: no scale factor bits
        setBits(pairs, sideInfo + 53, 1, 0);       // no window switching
        setBits(pairs, sideInfo + 54, 15, 0x7FFF); // table_select 31, 31, 31
        c.add(named("frame %zu: 288 value pairs in a granule without bits", pick),
              std::move(pairs));
    }
    // Headers and nothing else, and free-format frames whose side
    // information sends every granule far past its frame.
    std::string headersOnly, freeFormat, junk;
    for (int i = 0; i < 200; ++i)
        headersOnly += source.substr(frames[0], 4);
    for (int i = 0; i < 200000; ++i) // sync words by chance, after the last frame
        junk += static_cast<char>(c.random() % 4 ? c.random() : 0xFF);
    for (int i = 0; i < 50; ++i)
        freeFormat += std::string("\xFF\xFB\x00\x00", 4) + std::string(200, '\xFF');
    c.add("200 frame headers without bodies", std::move(headersOnly));
    c.add("free-format frames all ones", std::move(freeFormat));
    c.add("random bytes after the last frame", source + junk);
}

uint32_t oggPageChecksum(const std::string& bytes, size_t at, size_t length)
{
    uint32_t crc = 0;
    for (size_t i = 0; i < length; ++i) {
        crc ^= static_cast<uint32_t>(i >= 22 && i < 26 ? 0 : static_cast<uint8_t>(bytes[at + i]))
               << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x80000000 ? (crc << 1) ^ 0x04C11DB7 : crc << 1;
    }
    return crc;
}

void oggCorpus(Corpus& c)
{
    const std::string& source = c.source;
    c.generic(source, c.scale.truncations, c.scale.bitFlips);
    struct Page {
        size_t at, headerLength, length; // length: header and body
    };
    std::vector<Page> pages;
    for (size_t at = 0; at + 27 <= source.size() && source.compare(at, 4, "OggS") == 0;) {
        const size_t segments = static_cast<uint8_t>(source[at + 26]);
        size_t length = 27 + segments;
        for (size_t i = 0; i < segments && at + 27 + i < source.size(); ++i)
            length += static_cast<uint8_t>(source[at + 27 + i]);
        pages.push_back({at, 27 + segments, length});
        at += length;
    }
    if (pages.size() < 3)
        return;
    // A page changed and its checksum made right, so libvorbis sees the change.
    const auto page = [&](const std::string& name, const Page& p, std::vector<Patch> patches) {
        std::string bytes = patched(source, patches);
        const size_t length = std::min(p.length, bytes.size() - p.at);
        c.add(name, patched(bytes, {{p.at + 22, 4, oggPageChecksum(bytes, p.at, length)}}));
    };
    const auto pageField = [&](const char* name, const Page& p, size_t at, int width,
                               std::vector<uint32_t> values) {
        for (const uint32_t value : values)
            page(named("%s %u", name, value), p, {{at, width, value}});
    };
    const Page &first = pages[0], &second = pages[1], &audio = pages[2], &last = pages.back();
    const size_t ident = first.at + first.headerLength; // the identification packet
    pageField("channels", first, ident + 11, 1, {0, 1, 2, 9, 255});
    pageField("rate", first, ident + 12, 4, {0, 1, 99, 65535, 0x80000000, 0xFFFFFFFF});
    pageField("block sizes", first, ident + 28, 1, {0x00, 0x55, 0x66, 0xB6, 0xDD, 0xEE, 0xFF});
    pageField("identification framing bit", first, ident + 29, 1, {0});
    pageField("vorbis version", first, ident + 7, 4, {1});
    pageField("identification packet type", first, ident, 1, {5});
    const size_t comment = second.at + second.headerLength;
    const uint32_t vendorLength = le32(source, comment + 7);
    pageField("vendor length", second, comment + 7, 4, {0x7FFFFFFF, 0xFFFFFFFF, 4000});
    pageField("comment count", second, comment + 11 + vendorLength, 4, {0xFFFFFFFF});
    // The setup packet follows the comment packet: codebooks, floors,
    // residues and modes, parsed by libvorbis alone.
    const size_t setupFrom = comment + 11 + vendorLength;
    const size_t setupTo = std::min(source.size(), second.at + second.length);
    for (int i = 0; i < c.scale.bitFlips && setupTo > setupFrom; ++i) {
        const size_t at = setupFrom + c.random() % (setupTo - setupFrom);
        const int bit = static_cast<int>(c.random() % 8);
        page(named("header page bit %d of byte %zu flipped", bit, at), second,
             {{at, 1, static_cast<uint32_t>(source[at] ^ (1 << bit))}});
    }
    for (int i = 0; i < c.scale.bitFlips; ++i) {
        const Page& p = pages[2 + c.random() % (pages.size() - 2)];
        const size_t at = p.at + p.headerLength + c.random() % (p.length - p.headerLength);
        const uint8_t value = static_cast<uint8_t>(c.random());
        page(named("audio byte %zu = 0x%02X", at, value), p, {{at, 1, value}});
    }
    page("granule -1 on the first audio page", audio,
         {{audio.at + 6, 4, 0xFFFFFFFF}, {audio.at + 10, 4, 0xFFFFFFFF}});
    page("huge granule on the last page", last, {{last.at + 10, 4, 0x7FFFFFFF}});
    page("granule 0 on the last page", last, {{last.at + 6, 4, 0}, {last.at + 10, 4, 0}});
    page("other serial number on an audio page", audio,
         {{audio.at + 14, 1, static_cast<uint32_t>(source[audio.at + 14] ^ 0x5A)}});
    page("begin of stream flag on an audio page", audio, {{audio.at + 5, 1, 0x02}});
    page("end of stream flag on the first audio page", audio, {{audio.at + 5, 1, 0x04}});
    page("continued flag on the first page", first, {{first.at + 5, 1, 0x01}});
    page("stream structure version 1", audio, {{audio.at + 4, 1, 1}});
    page("lacing value 0 in the header page", second, {{second.at + 27, 1, 0}});
    std::vector<Patch> fullLacing;
    for (size_t at = audio.at + 27; at < audio.at + audio.headerLength; ++at)
        fullLacing.push_back({at, 1, 0xFF});
    page("lacing values all 255 in an audio page", audio, fullLacing);
    page("no segments in an audio page", audio, {{audio.at + 26, 1, 0}});
    c.add("header page and first audio page swapped",
          source.substr(0, second.at) + source.substr(audio.at, audio.length) +
              source.substr(second.at, second.length) + source.substr(audio.at + audio.length));
    c.add("without the identification page", source.substr(second.at));
    c.add("headers only", source.substr(0, audio.at));
}

// The Windows Media runtime parses ASF itself and is slow to start: fewer
// generic mutations, no structural ones.
void asfCorpus(Corpus& c)
{
    c.generic(c.source, std::max(4, c.scale.truncations / 4), std::max(4, c.scale.bitFlips / 3));
}

void genericCorpus(Corpus& c)
{
    c.generic(c.source, c.scale.truncations, c.scale.bitFlips);
}

CorpusScale scaleFromEnvironment()
{
    CorpusScale scale;
    if (const int soak = ScaledCount(1); soak > 1) {
        scale.truncations *= 4 * soak;
        scale.bitFlips *= 20 * soak;
        scale.seed = LoadSeed();
    }
    return scale;
}

} // namespace

std::vector<CorpusFile> MakeCorpus(CorpusFormat format, const std::string& source)
{
    static const CorpusScale scale = scaleFromEnvironment();
    using Maker = void (*)(Corpus&);
    const Maker makers[] = {wavCorpus,     mp3Corpus,     oggCorpus,    asfCorpus,
                            genericCorpus, genericCorpus, genericCorpus};
    Corpus corpus{
        source, scale, std::mt19937(scale.seed * 31 + static_cast<uint32_t>(format) + 1), {}};
    makers[static_cast<int>(format)](corpus);
    return std::move(corpus.files);
}
