#include "Corpus.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

void add(std::vector<CorpusFile>& corpus, std::string name, std::string bytes)
{
    corpus.push_back({std::move(name), std::move(bytes)});
}

// The values a size or count field is set to: nothing, the largest ones,
// and one that points past the end of the file.
std::vector<uint32_t> sizeValues(const std::string& source, size_t fieldAt)
{
    const uint32_t pastEnd = static_cast<uint32_t>(source.size() - fieldAt + 4096);
    return {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, pastEnd};
}

uint32_t envNumber(const char* name, uint32_t fallback)
{
    char text[32] = {};
    if (GetEnvironmentVariableA(name, text, sizeof(text)) == 0)
        return fallback;
    return static_cast<uint32_t>(strtoul(text, nullptr, 10));
}

// ---- RIFF WAVE ----

struct Chunk {
    std::string id;
    size_t at;  // offset of the chunk header
    size_t end; // offset after its body and padding
};

std::vector<Chunk> riffChunks(const std::string& bytes)
{
    std::vector<Chunk> chunks;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const uint32_t size = ReadLe32(bytes, at + 4);
        const size_t end = std::min(bytes.size(), at + 8 + size + (size & 1));
        chunks.push_back({bytes.substr(at, 4), at, end});
        at = end;
    }
    return chunks;
}

std::string chunkBytes(const std::string& bytes, const Chunk& chunk)
{
    return bytes.substr(chunk.at, chunk.end - chunk.at);
}

std::string riffOf(const std::string& body)
{
    std::string bytes = "RIFF____WAVE" + body;
    WriteLe32(bytes, 4, static_cast<uint32_t>(bytes.size() - 8));
    return bytes;
}

// ---- MPEG audio ----

int frameLength(const unsigned char* h)
{
    static const int bitrates[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                     112, 128, 160, 192, 224, 256, 320, 0};
    static const int rates[4] = {44100, 48000, 32000, 0};
    if (h[0] != 0xFF || (h[1] & 0xFE) != 0xFA) // MPEG-1 layer III only: the fixtures are
        return 0;
    const int bitrate = bitrates[h[2] >> 4];
    const int rate = rates[(h[2] >> 2) & 3];
    if (bitrate == 0 || rate == 0)
        return 0;
    return 144000 * bitrate / rate + ((h[2] >> 1) & 1);
}

std::vector<size_t> mpegFrames(const std::string& bytes)
{
    std::vector<size_t> frames;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t at = 0; at + 4 <= bytes.size();) {
        const int length = frameLength(data + at);
        if (length == 0) {
            ++at;
            continue;
        }
        frames.push_back(at);
        at += length;
    }
    return frames;
}

// Writes value into width bits from bit offset at on, most significant first.
void setBits(std::string& bytes, size_t at, int width, uint32_t value)
{
    for (int i = 0; i < width; ++i, ++at) {
        const int bit = (value >> (width - 1 - i)) & 1;
        char& byte = bytes[at / 8];
        const int mask = 0x80 >> (at % 8);
        byte = static_cast<char>(bit ? byte | mask : byte & ~mask);
    }
}

std::string id3Tag(const unsigned char size[4])
{
    std::string tag = "ID3";
    tag += std::string("\x03\x00\x00", 3);
    tag.append(reinterpret_cast<const char*>(size), 4);
    return tag;
}

// A tag of 64 bytes: a title frame and padding.
std::string id3TagWithBody()
{
    const unsigned char size[4] = {0, 0, 0, 54};
    std::string frame = "TIT2";
    frame += std::string("\x00\x00\x00\x06\x00\x00\x00", 7) + "tone!";
    return id3Tag(size) + frame + std::string(54 - frame.size(), '\0');
}

// ---- Ogg ----

struct Page {
    size_t at;
    size_t headerLength;
    size_t length; // header and body
};

std::vector<Page> oggPages(const std::string& bytes)
{
    std::vector<Page> pages;
    for (size_t at = 0; at + 27 <= bytes.size() && bytes.compare(at, 4, "OggS") == 0;) {
        const size_t segments = static_cast<unsigned char>(bytes[at + 26]);
        if (at + 27 + segments > bytes.size())
            break;
        size_t body = 0;
        for (size_t i = 0; i < segments; ++i)
            body += static_cast<unsigned char>(bytes[at + 27 + i]);
        pages.push_back({at, 27 + segments, 27 + segments + body});
        at += 27 + segments + body;
    }
    return pages;
}

void fixChecksum(std::string& bytes, const Page& page)
{
    const size_t length = std::min(page.length, bytes.size() - page.at);
    WriteLe32(bytes, page.at + 22, OggPageChecksum(bytes.substr(page.at, length)));
}

// ---- ASF ----

std::vector<size_t> asfHeaderObjects(const std::string& bytes)
{
    std::vector<size_t> objects;
    if (bytes.size() < 30)
        return objects;
    const size_t headerEnd = std::min<size_t>(bytes.size(), ReadLe32(bytes, 16));
    for (size_t at = 30; at + 24 <= headerEnd && objects.size() < 32;) {
        objects.push_back(at);
        const uint32_t size = ReadLe32(bytes, at + 16);
        if (size < 24)
            break;
        at += size;
    }
    return objects;
}

} // namespace

CorpusScale CorpusScale::fromEnvironment()
{
    CorpusScale scale;
    const uint32_t soak = envNumber("TARVISK_SOAK", 0);
    if (soak == 0)
        return scale;
    scale.truncations *= 4 * static_cast<int>(soak);
    scale.bitFlips *= 20 * static_cast<int>(soak);
    scale.seed = envNumber("TARVISK_SOAK_SEED", GetTickCount());
    printf("soak: scale %u, seed %u (TARVISK_SOAK_SEED repeats it)\n", soak, scale.seed);
    return scale;
}

uint32_t ReadLe32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    if (at + 4 <= bytes.size())
        memcpy(&value, bytes.data() + at, 4);
    return value;
}

void WriteLe32(std::string& bytes, size_t at, uint32_t value)
{
    if (at + 4 <= bytes.size())
        memcpy(&bytes[at], &value, 4);
}

void WriteLe16(std::string& bytes, size_t at, uint16_t value)
{
    if (at + 2 <= bytes.size())
        memcpy(&bytes[at], &value, 2);
}

void AddTruncations(std::vector<CorpusFile>& corpus, const std::string& source,
                    const CorpusScale& scale)
{
    // The header region byte by byte, then points spread over the whole file.
    std::vector<size_t> lengths = {0, 1, 3, 4, 7, 8, 11, 12, 16, 20, 24, 36, 40, 44, 45, 64};
    for (int i = 1; i <= scale.truncations; ++i)
        lengths.push_back(source.size() * i / (scale.truncations + 1));
    lengths.push_back(source.size() - 1);
    std::sort(lengths.begin(), lengths.end());
    lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());
    for (const size_t length : lengths) {
        if (length < source.size())
            add(corpus, named("truncated at %zu", length), source.substr(0, length));
    }
}

void AddBitFlips(std::vector<CorpusFile>& corpus, const std::string& source,
                 const CorpusScale& scale, std::mt19937& random)
{
    if (source.empty())
        return;
    for (int i = 0; i < scale.bitFlips; ++i) {
        const size_t range = i % 2 ? source.size() : std::min<size_t>(source.size(), 512);
        const size_t at = random() % range;
        const int bit = static_cast<int>(random() % 8);
        std::string bytes = source;
        bytes[at] = static_cast<char>(bytes[at] ^ (1 << bit));
        add(corpus, named("bit %d of byte %zu flipped", bit, at), std::move(bytes));
    }
}

std::vector<CorpusFile> WavCorpus(const std::string& source, const CorpusScale& scale)
{
    std::vector<CorpusFile> corpus;
    std::mt19937 random(scale.seed * 31 + 1);
    AddTruncations(corpus, source, scale);
    AddBitFlips(corpus, source, scale, random);

    for (const uint32_t value : sizeValues(source, 4)) {
        std::string bytes = source;
        WriteLe32(bytes, 4, value);
        add(corpus, named("RIFF size %u", value), std::move(bytes));
    }
    const std::vector<Chunk> chunks = riffChunks(source);
    for (const Chunk& chunk : chunks) {
        for (const uint32_t value : sizeValues(source, chunk.at + 4)) {
            std::string bytes = source;
            WriteLe32(bytes, chunk.at + 4, value);
            add(corpus, named("%s size %u", chunk.id.c_str(), value), std::move(bytes));
        }
    }

    const auto fmt =
        std::find_if(chunks.begin(), chunks.end(), [](const Chunk& c) { return c.id == "fmt "; });
    const auto data =
        std::find_if(chunks.begin(), chunks.end(), [](const Chunk& c) { return c.id == "data"; });
    if (fmt == chunks.end() || data == chunks.end())
        return corpus;
    const size_t body = fmt->at + 8;
    struct Field {
        const char* name;
        size_t offset;
        int width;
        std::vector<uint32_t> values;
    };
    const Field fields[] = {
        {"format tag", 0, 2, {0, 2, 3, 0xFFFE, 0xFFFF}},
        {"channels", 2, 2, {0, 1, 2, 3, 255, 65535}},
        {"rate", 4, 4, {0, 1, 99, 100, 65535, 0x7FFFFFFF, 0xFFFFFFFF}},
        {"bytes per second", 8, 4, {0, 1, 0xFFFFFFFF}},
        {"block align", 12, 2, {0, 1, 3, 65535}},
        {"bits", 14, 2, {0, 1, 7, 8, 12, 16, 24, 32, 65535}},
    };
    for (const Field& field : fields) {
        for (const uint32_t value : field.values) {
            std::string bytes = source;
            if (field.width == 2)
                WriteLe16(bytes, body + field.offset, static_cast<uint16_t>(value));
            else
                WriteLe32(bytes, body + field.offset, value);
            add(corpus, named("%s %u", field.name, value), std::move(bytes));
        }
    }

    const std::string fmtBytes = chunkBytes(source, *fmt);
    const std::string dataBytes = chunkBytes(source, *data);
    std::string junk = "JUNK";
    junk += std::string("\x03\x00\x00\x00xyz\x00", 8);
    std::string hugeList = "LIST";
    hugeList += std::string("\xF0\xFF\xFF\xFF", 4);
    std::string shortFmt = fmtBytes.substr(0, 8 + 14);
    WriteLe32(shortFmt, 4, 14);
    std::string otherFmt = fmtBytes;
    WriteLe16(otherFmt, 8 + 2, 1);
    WriteLe16(otherFmt, 8 + 14, 8);
    add(corpus, "data chunk before fmt chunk", riffOf(dataBytes + fmtBytes));
    add(corpus, "no fmt chunk", riffOf(dataBytes));
    add(corpus, "no data chunk", riffOf(fmtBytes));
    add(corpus, "no chunks", riffOf(""));
    add(corpus, "odd-sized chunk before fmt", riffOf(junk + fmtBytes + dataBytes));
    add(corpus, "LIST chunk of huge size first", riffOf(hugeList + fmtBytes + dataBytes));
    add(corpus, "fmt chunk of 14 bytes", riffOf(shortFmt + dataBytes));
    add(corpus, "second fmt chunk after data", riffOf(fmtBytes + dataBytes + otherFmt));
    add(corpus, "fmt chunk twice", riffOf(otherFmt + fmtBytes + dataBytes));
    add(corpus, "data chunk twice", riffOf(fmtBytes + dataBytes + dataBytes));
    std::string rifx = source;
    rifx[3] = 'X';
    add(corpus, "RIFX instead of RIFF", std::move(rifx));
    std::string notWave = source;
    notWave[11] = 'X';
    add(corpus, "form WAVX", std::move(notWave));
    return corpus;
}

std::vector<CorpusFile> Mp3Corpus(const std::string& source, const CorpusScale& scale)
{
    std::vector<CorpusFile> corpus;
    std::mt19937 random(scale.seed * 31 + 2);
    const std::string tagged = id3TagWithBody() + source;
    for (const std::string* base : {&source, &tagged}) {
        AddTruncations(corpus, *base, scale);
        AddBitFlips(corpus, *base, scale, random);
    }
    for (CorpusFile& file : corpus)
        file.name = (file.bytes.compare(0, 3, "ID3") == 0 ? "tagged, " : "untagged, ") + file.name;

    // ID3v2 size bytes of 0x80 and over at each place, zero, huge and past the end.
    for (int place = 0; place < 4; ++place) {
        for (const unsigned char value : {0x80, 0xC5, 0xFF}) {
            unsigned char size[4] = {0, 0, 0, 54};
            size[place] = value;
            add(corpus, named("ID3 size byte %d = 0x%02X", place, value),
                id3Tag(size) + tagged.substr(10));
        }
    }
    const unsigned char zero[4] = {0, 0, 0, 0};
    const unsigned char huge[4] = {0x7F, 0x7F, 0x7F, 0x7F};
    const unsigned char pastEnd[4] = {0x00, 0x7F, 0x7F, 0x7F}; // 2 MB, more than the file
    add(corpus, "ID3 size 0", id3Tag(zero) + tagged.substr(10));
    add(corpus, "ID3 size 256 MB", id3Tag(huge) + tagged.substr(10));
    add(corpus, "ID3 size past the end", id3Tag(pastEnd) + tagged.substr(10));
    add(corpus, "ID3 tag without audio", id3TagWithBody());
    std::string badVersion = tagged;
    badVersion[3] = '\xFF';
    add(corpus, "ID3 version 0xFF", std::move(badVersion));
    add(corpus, "ID3 header only", tagged.substr(0, 10));

    const std::vector<size_t> frames = mpegFrames(source);
    if (frames.size() < 4)
        return corpus;
    struct HeaderChange {
        const char* name;
        int byte;
        unsigned char mask;
        unsigned char value;
    };
    const HeaderChange changes[] = {
        {"free-format bitrate", 2, 0xF0, 0x00},
        {"bitrate index 15", 2, 0xF0, 0xF0},
        {"lowest bitrate", 2, 0xF0, 0x10},
        {"reserved sample rate", 2, 0x0C, 0x0C},
        {"sample rate 32 kHz", 2, 0x0C, 0x08},
        {"padding toggled", 2, 0x02, 0x02},
        {"reserved layer", 1, 0x06, 0x00},
        {"layer I", 1, 0x06, 0x06},
        {"layer II", 1, 0x06, 0x04},
        {"reserved version", 1, 0x18, 0x08},
        {"MPEG-2", 1, 0x18, 0x10},
        {"MPEG-2.5", 1, 0x18, 0x00},
        {"CRC announced", 1, 0x01, 0x00},
        {"one channel", 3, 0xC0, 0xC0},
        {"dual channel", 3, 0xC0, 0x80},
        {"joint stereo with all modes", 3, 0xF0, 0x70},
        {"reserved emphasis", 3, 0x03, 0x02},
    };
    const size_t picks[] = {0, 1, frames.size() / 2, frames.size() - 1};
    for (const size_t pick : picks) {
        const size_t at = frames[pick];
        for (const HeaderChange& change : changes) {
            std::string bytes = source;
            bytes[at + change.byte] =
                static_cast<char>((bytes[at + change.byte] & ~change.mask) | change.value);
            add(corpus, named("frame %zu: %s", pick, change.name), std::move(bytes));
        }
        // Side information: the back pointer at its largest (511 bytes into
        // data that was never there), then every field at its largest.
        std::string backPointer = source;
        backPointer[at + 4] = '\xFF';
        backPointer[at + 5] = static_cast<char>(backPointer[at + 5] | 0x80);
        add(corpus, named("frame %zu: main data 511 bytes back", pick), std::move(backPointer));
        std::string allOnes = source;
        std::fill_n(allOnes.begin() + at + 4, 32, '\xFF');
        add(corpus, named("frame %zu: side information all ones", pick), std::move(allOnes));
        std::string allOnesBody = source;
        const size_t next = pick + 1 < frames.size() ? frames[pick + 1] : source.size();
        std::fill(allOnesBody.begin() + at + 4, allOnesBody.begin() + next, '\xFF');
        add(corpus, named("frame %zu: whole frame all ones", pick), std::move(allOnesBody));
        std::string randomBody = source;
        for (size_t i = at + 4; i < next; ++i)
            randomBody[i] = static_cast<char>(random());
        add(corpus, named("frame %zu: random body", pick), std::move(randomBody));
    }
    // MPEG-1 side information of the first granule of the first channel,
    // in bits after the header: main data from this frame, no Huffman bits
    // at all, yet 288 value pairs to decode from the largest table. The
    // decoder reads the pairs far past the granule's bits.
    for (const size_t pick : picks) {
        std::string bytes = source;
        const size_t sideInfo = (frames[pick] + 4) * 8;
        setBits(bytes, sideInfo, 9, 0);            // main_data_begin
        setBits(bytes, sideInfo + 20, 12, 0);      // part2_3_length
        setBits(bytes, sideInfo + 32, 9, 288);     // big_values
        setBits(bytes, sideInfo + 49, 4, 0);       // scalefac_compress: no scale factor bits
        setBits(bytes, sideInfo + 53, 1, 0);       // no window switching
        setBits(bytes, sideInfo + 54, 15, 0x7FFF); // table_select 31, 31, 31
        add(corpus, named("frame %zu: 288 value pairs in a granule without bits", pick),
            std::move(bytes));
    }
    // Headers and nothing else, and headers followed by side information
    // that sends every granule far past its frame.
    std::string headersOnly;
    for (int i = 0; i < 200; ++i)
        headersOnly += source.substr(frames[0], 4);
    add(corpus, "200 frame headers without bodies", std::move(headersOnly));
    std::string freeFormat;
    for (int i = 0; i < 50; ++i)
        freeFormat += std::string("\xFF\xFB\x00\x00", 4) + std::string(200, '\xFF');
    add(corpus, "free-format frames all ones", std::move(freeFormat));
    return corpus;
}

std::vector<CorpusFile> OggCorpus(const std::string& source, const CorpusScale& scale)
{
    std::vector<CorpusFile> corpus;
    std::mt19937 random(scale.seed * 31 + 3);
    AddTruncations(corpus, source, scale);
    AddBitFlips(corpus, source, scale, random);

    const std::vector<Page> pages = oggPages(source);
    if (pages.size() < 3)
        return corpus;
    // A page changed and its checksum made right, so libvorbis sees the change.
    auto changed = [&](const char* name, const Page& page, auto&& change) {
        std::string bytes = source;
        change(bytes);
        fixChecksum(bytes, page);
        add(corpus, name, std::move(bytes));
    };
    const Page& first = pages[0];
    const size_t ident = first.at + first.headerLength; // the identification packet
    for (const uint32_t channels : {0u, 1u, 2u, 9u, 255u}) {
        changed(named("%u channels", channels).c_str(), first,
                [&](std::string& b) { b[ident + 11] = static_cast<char>(channels); });
    }
    for (const uint32_t rate : {0u, 1u, 99u, 65535u, 0x80000000u, 0xFFFFFFFFu}) {
        changed(named("rate %u", rate).c_str(), first,
                [&](std::string& b) { WriteLe32(b, ident + 12, rate); });
    }
    for (const int blocksizes : {0x00, 0x55, 0x66, 0xB6, 0xDD, 0xEE, 0xFF}) {
        changed(named("block sizes 0x%02X", blocksizes).c_str(), first,
                [&](std::string& b) { b[ident + 28] = static_cast<char>(blocksizes); });
    }
    changed("identification framing bit 0", first, [&](std::string& b) { b[ident + 29] = 0; });
    changed("vorbis version 1", first, [&](std::string& b) { WriteLe32(b, ident + 7, 1); });
    changed("identification packet type 5", first, [&](std::string& b) { b[ident] = 5; });

    const Page& second = pages[1];
    const size_t comment = second.at + second.headerLength;
    for (const uint32_t length : {0x7FFFFFFFu, 0xFFFFFFFFu, 4000u}) {
        changed(named("vendor length %u", length).c_str(), second,
                [&](std::string& b) { WriteLe32(b, comment + 7, length); });
    }
    const uint32_t vendorLength = ReadLe32(source, comment + 7);
    changed("comment count 0xFFFFFFFF", second,
            [&](std::string& b) { WriteLe32(b, comment + 11 + vendorLength, 0xFFFFFFFF); });
    // The setup packet follows the comment packet: codebooks, floors,
    // residues and modes, parsed by libvorbis alone.
    const size_t setupFrom = comment + 11 + vendorLength;
    const size_t setupTo = std::min(source.size(), second.at + second.length);
    for (int i = 0; i < scale.bitFlips && setupTo > setupFrom; ++i) {
        const size_t at = setupFrom + random() % (setupTo - setupFrom);
        const int bit = static_cast<int>(random() % 8);
        changed(named("header page bit %d of byte %zu flipped", bit, at).c_str(), second,
                [&](std::string& b) { b[at] = static_cast<char>(b[at] ^ (1 << bit)); });
        const unsigned char value = static_cast<unsigned char>(random());
        changed(named("header page byte %zu = 0x%02X", at, value).c_str(), second,
                [&](std::string& b) { b[at] = static_cast<char>(value); });
    }
    for (int i = 0; i < scale.bitFlips; ++i) {
        const Page& page = pages[2 + random() % (pages.size() - 2)];
        const size_t at =
            page.at + page.headerLength + random() % (page.length - page.headerLength);
        const unsigned char value = static_cast<unsigned char>(random());
        changed(named("audio byte %zu = 0x%02X", at, value).c_str(), page,
                [&](std::string& b) { b[at] = static_cast<char>(value); });
    }

    const Page& audio = pages[2];
    const Page& last = pages.back();
    changed("granule -1 on the first audio page", audio, [&](std::string& b) {
        WriteLe32(b, audio.at + 6, 0xFFFFFFFF);
        WriteLe32(b, audio.at + 10, 0xFFFFFFFF);
    });
    changed("huge granule on the last page", last,
            [&](std::string& b) { WriteLe32(b, last.at + 10, 0x7FFFFFFF); });
    changed("granule 0 on the last page", last, [&](std::string& b) {
        WriteLe32(b, last.at + 6, 0);
        WriteLe32(b, last.at + 10, 0);
    });
    changed("other serial number on an audio page", audio,
            [&](std::string& b) { b[audio.at + 14] = static_cast<char>(b[audio.at + 14] ^ 0x5A); });
    changed("begin of stream flag on an audio page", audio,
            [&](std::string& b) { b[audio.at + 5] = 0x02; });
    changed("end of stream flag on the first audio page", audio,
            [&](std::string& b) { b[audio.at + 5] = 0x04; });
    changed("continued flag on the first page", first,
            [&](std::string& b) { b[first.at + 5] = 0x01; });
    changed("stream structure version 1", audio, [&](std::string& b) { b[audio.at + 4] = 1; });
    changed("lacing value 0 in the header page", second,
            [&](std::string& b) { b[second.at + 27] = 0; });
    changed("lacing values all 255 in an audio page", audio, [&](std::string& b) {
        std::fill_n(b.begin() + audio.at + 27, audio.headerLength - 27, '\xFF');
    });
    changed("no segments in an audio page", audio, [&](std::string& b) { b[audio.at + 26] = 0; });
    std::string swapped =
        source.substr(0, pages[1].at) + source.substr(pages[2].at, pages[2].length) +
        source.substr(pages[1].at, pages[1].length) + source.substr(pages[2].at + pages[2].length);
    add(corpus, "header page and first audio page swapped", std::move(swapped));
    add(corpus, "without the identification page", source.substr(pages[1].at));
    add(corpus, "headers only", source.substr(0, pages[2].at));
    return corpus;
}

std::vector<CorpusFile> AsfCorpus(const std::string& source, const CorpusScale& scale)
{
    std::vector<CorpusFile> corpus;
    std::mt19937 random(scale.seed * 31 + 4);
    // The Windows Media runtime under test is slow to start: fewer of the
    // generic mutations, all of the structural ones.
    CorpusScale generic = scale;
    generic.truncations = std::max(4, scale.truncations / 4);
    generic.bitFlips = std::max(4, scale.bitFlips / 3);
    AddTruncations(corpus, source, generic);
    AddBitFlips(corpus, source, generic, random);
    if (source.size() < 30)
        return corpus;
    for (const uint32_t value : sizeValues(source, 16)) {
        std::string bytes = source;
        WriteLe32(bytes, 16, value);
        add(corpus, named("header object size %u", value), std::move(bytes));
    }
    for (const uint32_t count : {0u, 1u, 0xFFFFFFFFu}) {
        std::string bytes = source;
        WriteLe32(bytes, 24, count);
        add(corpus, named("header object count %u", count), std::move(bytes));
    }
    const std::vector<size_t> objects = asfHeaderObjects(source);
    for (size_t i = 0; i < objects.size() && i < 6; ++i) {
        for (const uint32_t value : {0u, 1u, 0xFFFFFFFFu}) {
            std::string bytes = source;
            WriteLe32(bytes, objects[i] + 16, value);
            add(corpus, named("object %zu size %u", i, value), std::move(bytes));
        }
    }
    // The data object follows the header; its size and packet count.
    const size_t dataObject = ReadLe32(source, 16);
    if (dataObject + 50 <= source.size()) {
        for (const uint32_t value : {0u, 0xFFFFFFFFu}) {
            std::string size = source;
            WriteLe32(size, dataObject + 16, value);
            add(corpus, named("data object size %u", value), std::move(size));
            std::string packets = source;
            WriteLe32(packets, dataObject + 40, value);
            add(corpus, named("data packet count %u", value), std::move(packets));
        }
    }
    return corpus;
}

uint32_t OggPageChecksum(const std::string& page)
{
    static const auto table = [] {
        std::vector<uint32_t> entries(256);
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t r = i << 24;
            for (int bit = 0; bit < 8; ++bit)
                r = r & 0x80000000 ? (r << 1) ^ 0x04C11DB7 : r << 1;
            entries[i] = r;
        }
        return entries;
    }();
    uint32_t crc = 0;
    for (size_t i = 0; i < page.size(); ++i) {
        const unsigned char byte = i >= 22 && i < 26 ? 0 : static_cast<unsigned char>(page[i]);
        crc = (crc << 8) ^ table[((crc >> 24) & 0xFF) ^ byte];
    }
    return crc;
}
