#include "import/Mp3Segment.h"

#include "import/Decoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Read past a piece's end: its last frame, the guard libmad wants after it,
// and the next frame's header, which Layer III peeks at.
constexpr uint64_t kLookahead = 16 * 1024;
constexpr int kRunFrames = 4;
constexpr unsigned kFramesBetweenStopChecks = 64;

// Kilobits per second by table and index: MPEG-1 Layers I, II, III, then
// MPEG-2 and 2.5 Layer I, then their Layers II and III.
constexpr unsigned short kBitrates[5][15] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
};
constexpr DWORD kSampleRates[3] = {44100, 48000, 32000};

struct FrameHeader {
    int version; // the header's two version bits
    int layer;
    WORD channels;
    DWORD sampleRate;
    DWORD bitrate;
    size_t length;
    unsigned slots; // subband samples per channel: what the frame turns the phase by
};

// A header of fixed bitrate that libmad would take; free-format frames have
// no length in their header and are left to the one-pass decode.
bool parseHeader(const BYTE* p, FrameHeader& header)
{
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return false;
    const int version = (p[1] >> 3) & 3;
    const int layerBits = (p[1] >> 1) & 3;
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    if (version == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 ||
        rateIndex == 3 || (p[3] & 3) == 2)
        return false;
    const bool mpeg1 = version == 3;
    header.version = version;
    header.layer = 4 - layerBits;
    const int table = mpeg1 ? header.layer - 1 : (header.layer == 1 ? 3 : 4);
    header.bitrate = kBitrates[table][bitrateIndex] * 1000u;
    header.sampleRate = kSampleRates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    header.channels = (p[3] >> 6) == 3 ? 1 : 2;
    const DWORD padding = (p[2] >> 1) & 1;
    header.slots = header.layer == 1 ? 12 : header.layer == 3 && !mpeg1 ? 18 : 36;
    if (header.layer == 1)
        header.length = (12 * header.bitrate / header.sampleRate + padding) * 4;
    else
        header.length =
            (header.layer == 3 && !mpeg1 ? 72 : 144) * header.bitrate / header.sampleRate + padding;
    return true;
}

bool readAll(HANDLE file, uint64_t offset, BYTE* data, size_t length)
{
    return length <= MAXDWORD && ReadAt(file, offset, data, static_cast<DWORD>(length)) == length;
}

constexpr size_t kOverlapValues = 2 * 32 * 18;
constexpr size_t kSubbandValues = 2 * 36 * 32;
constexpr size_t kFilterValues = 2 * 2 * 2 * 16 * 8;

// One libmad decoder, as its synchronous loop holds it.
struct Decoder {
    mad_stream stream;
    mad_frame frame;
    mad_synth synth;
    int badLastFrame = 0;

    Decoder()
    {
        mad_stream_init(&stream);
        mad_frame_init(&frame);
        mad_synth_init(&synth);
        mad_stream_options(&stream, 0);
        ClearReservoir(stream);
    }
    ~Decoder()
    {
        mad_synth_finish(&synth);
        mad_frame_finish(&frame);
        mad_stream_finish(&stream);
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    Mp3DecoderState capture(uint64_t position) const
    {
        Mp3DecoderState state;
        state.position = position;
        state.sync = stream.sync;
        state.freerate = stream.freerate;
        state.badLastFrame = badLastFrame;
        if (stream.main_data)
            state.mainData.assign(*stream.main_data, *stream.main_data + stream.md_len);
        if (frame.overlap)
            state.overlap.assign(&(*frame.overlap)[0][0][0],
                                 &(*frame.overlap)[0][0][0] + kOverlapValues);
        state.subbands.assign(&frame.sbsample[0][0][0], &frame.sbsample[0][0][0] + kSubbandValues);
        state.filter.assign(&synth.filter[0][0][0][0][0],
                            &synth.filter[0][0][0][0][0] + kFilterValues);
        state.phase = synth.phase;
        return state;
    }

    // libmad frees these buffers with free(), so they come from malloc.
    bool restore(const Mp3DecoderState& state)
    {
        stream.freerate = state.freerate;
        badLastFrame = state.badLastFrame;
        if (!stream.main_data)
            return false;
        memcpy(*stream.main_data, state.mainData.data(), state.mainData.size());
        stream.md_len = static_cast<unsigned>(state.mainData.size());
        if (!state.overlap.empty()) {
            frame.overlap = static_cast<mad_fixed_t(*)[2][32][18]>(
                malloc(kOverlapValues * sizeof(mad_fixed_t)));
            if (!frame.overlap)
                return false;
            memcpy(frame.overlap, state.overlap.data(), kOverlapValues * sizeof(mad_fixed_t));
        }
        memcpy(frame.sbsample, state.subbands.data(), kSubbandValues * sizeof(mad_fixed_t));
        memcpy(synth.filter, state.filter.data(), kFilterValues * sizeof(mad_fixed_t));
        synth.phase = state.phase;
        return true;
    }
};

int16_t convertSample(mad_fixed_t sample)
{
    if (sample >= MAD_F_ONE)
        return 32767;
    if (sample <= -MAD_F_ONE)
        return -32767;
    return static_cast<int16_t>(sample >> (MAD_F_FRACBITS + 1 - 16));
}

} // namespace

bool Mp3DecoderState::operator==(const Mp3DecoderState& other) const
{
    // A frame's main data begins at most 511 bytes back (9 bits); a
    // reservoir of that much or more is kept to the reach of the next frame.
    constexpr size_t kReach = 511;
    const size_t kept = std::min(mainData.size(), other.mainData.size());
    const bool sameReservoir =
        (mainData.size() == other.mainData.size() || kept >= kReach) &&
        std::equal(mainData.end() - kept, mainData.end(), other.mainData.end() - kept);
    return sameReservoir && position == other.position && sync == other.sync &&
           freerate == other.freerate && badLastFrame == other.badLastFrame &&
           overlap == other.overlap && subbands == other.subbands && filter == other.filter &&
           phase == other.phase;
}

uint64_t FrameAfter(const BYTE* data, size_t length, uint64_t offset, int frames)
{
    size_t at = 0;
    for (FrameHeader header; frames > 0; --frames) {
        if (at + 4 > length || !parseHeader(data + at, header))
            return 0;
        at += header.length;
    }
    return offset + at;
}

std::vector<unsigned> SynthesisPhases(HANDLE file, uint64_t first, unsigned firstPhase,
                                      uint64_t fileSize, const std::vector<uint64_t>& at)
{
    std::vector<unsigned> phases(at.size(), 0);
    constexpr size_t kChunk = 1024 * 1024;
    std::vector<BYTE> chunk(kChunk);
    uint64_t chunkStart = 0, chunkEnd = 0, frame = first;
    unsigned phase = firstPhase;
    size_t next = 0;
    while (next < at.size() && at[next] < frame)
        ++next;
    while (next < at.size() && frame + 4 <= fileSize) {
        if (frame + 4 > chunkEnd) {
            chunkStart = frame;
            chunkEnd = std::min<uint64_t>(fileSize, frame + kChunk);
            if (!readAll(file, chunkStart, chunk.data(),
                         static_cast<size_t>(chunkEnd - chunkStart)))
                break;
        }
        FrameHeader header;
        if (!parseHeader(chunk.data() + (frame - chunkStart), header))
            break;
        while (next < at.size() && at[next] == frame)
            phases[next++] = phase;
        if (next < at.size() && at[next] < frame)
            break; // a start the walk stepped over: not a frame of this chain
        phase = (phase + header.slots) % 16;
        frame += header.length;
    }
    return phases;
}

bool FindFrameRun(const BYTE* data, size_t length, uint64_t offset, Mp3FrameRun& run)
{
    for (size_t at = 0; at + 4 <= length; ++at) {
        FrameHeader first;
        if (!parseHeader(data + at, first))
            continue;
        size_t next = at + first.length;
        int frames = 1;
        FrameHeader header;
        while (frames < kRunFrames && next + 4 <= length && parseHeader(data + next, header) &&
               header.version == first.version && header.layer == first.layer &&
               header.sampleRate == first.sampleRate) {
            next += header.length;
            ++frames;
        }
        if (frames == kRunFrames) {
            run = {offset + at, first.channels, first.sampleRate, first.bitrate};
            return true;
        }
    }
    return false;
}

void ClearReservoir(mad_stream& stream)
{
    if (!stream.main_data)
        stream.main_data =
            static_cast<unsigned char(*)[MAD_BUFFER_MDLEN]>(calloc(1, MAD_BUFFER_MDLEN));
}

unsigned AppendPcm(const mad_pcm& pcm, WORD channels, int16_t* out)
{
    // Frames take the first frame's channel layout, so a change of mode
    // inside the file cannot interleave mono into a stereo stream.
    const mad_fixed_t* left = pcm.samples[0];
    const mad_fixed_t* right = pcm.channels == 2 ? pcm.samples[1] : left;
    const unsigned length = std::min<unsigned>(pcm.length, 1152);
    if (channels == 2) {
        for (unsigned i = 0; i < length; ++i) {
            out[2 * i] = convertSample(left[i]);
            out[2 * i + 1] = convertSample(right[i]);
        }
    } else if (pcm.channels == 2) {
        for (unsigned i = 0; i < length; ++i)
            out[i] = convertSample((left[i] >> 1) + (right[i] >> 1));
    } else {
        for (unsigned i = 0; i < length; ++i)
            out[i] = convertSample(left[i]);
    }
    return length * channels;
}

Mp3SegmentResult DecodeMp3Segment(HANDLE file, uint64_t fileSize, const Mp3SegmentJob& job,
                                  const std::function<bool()>& stopping,
                                  std::vector<int16_t> memory)
{
    Mp3SegmentResult result{std::move(memory)};
    result.samples.resize(result.samples.capacity());
    const uint64_t readEnd =
        job.end == UINT64_MAX ? fileSize : std::min(fileSize, job.end + kLookahead);
    const bool reachesEnd = readEnd == fileSize;
    const size_t length = static_cast<size_t>(readEnd - job.decodeFrom);
    // At the file's end the one-pass decode offers MAD_BUFFER_GUARD zeros, so
    // that libmad decodes the last frame; so does the piece that ends there.
    std::vector<unsigned char> input(length + (reachesEnd ? MAD_BUFFER_GUARD : 0), 0);
    if (!readAll(file, job.decodeFrom, input.data(), length)) {
        result.readFailed = true;
        return result;
    }
    Decoder decoder;
    mad_stream& stream = decoder.stream;
    if (job.state && !decoder.restore(*job.state)) {
        result.readFailed = true;
        return result;
    }
    mad_stream_buffer(&stream, input.data(), input.size());
    if (job.state)
        stream.sync = job.state->sync;
    else
        decoder.synth.phase = job.phase;

    size_t count = 0;
    bool keeping = job.decodeFrom >= job.keepFrom;
    // Once the sync is lost, where it is found again depends on the buffers.
    bool lostSync = job.state && !job.state->sync;
    unsigned frames = 0;
    for (;;) {
        const uint64_t position = job.decodeFrom + (stream.next_frame - input.data());
        if (!keeping && position >= job.keepFrom) {
            keeping = true;
            result.start = decoder.capture(position);
        }
        if (keeping && position >= job.end) {
            result.end = decoder.capture(position);
            break;
        }
        if (++frames % kFramesBetweenStopChecks == 0 && stopping()) {
            result.stopped = true;
            break;
        }
        if (mad_frame_decode(&decoder.frame, &stream) == -1) {
            // The buffer ran out: the file's end, or a piece cut too short.
            if (!MAD_RECOVERABLE(stream.error)) {
                result.exact = result.exact && reachesEnd;
                break;
            }
            if (keeping && !stream.sync)
                lostSync = true;
            // Before the piece, frames fail for want of the bytes before
            // the warm-up; one pass played them and turned the phase.
            constexpr int kHeaderErrors = 0x0100;
            if (!keeping && (stream.error & 0xff00) != kHeaderErrors)
                decoder.synth.phase =
                    (decoder.synth.phase + MAD_NSBSAMPLES(&decoder.frame.header)) % 16;
            // libmad's own loop plays a frame that fails its check once, and
            // mutes it when the one before failed too; it skips other errors.
            if (stream.error != MAD_ERROR_BADCRC)
                continue;
            if (decoder.badLastFrame)
                mad_frame_mute(&decoder.frame);
            else
                decoder.badLastFrame = 1;
        } else {
            decoder.badLastFrame = 0;
        }
        mad_synth_frame(&decoder.synth, &decoder.frame);
        if (!keeping)
            continue;
        if (lostSync || (decoder.frame.header.flags & MAD_FLAG_FREEFORMAT))
            result.exact = false;
        if (result.firstChannels == 0) {
            result.firstChannels = decoder.synth.pcm.channels;
            result.firstRate = decoder.synth.pcm.samplerate;
        }
        if (result.samples.size() < count + kMaxFrameSamples)
            result.samples.resize(std::max(2 * result.samples.size(), count + kMaxFrameSamples));
        count += AppendPcm(decoder.synth.pcm, job.channels, &result.samples[count]);
    }
    result.samples.resize(count);
    return result;
}
