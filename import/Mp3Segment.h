#pragma once

#include <windows.h>

#include <mad.h>

#include <cstdint>
#include <functional>
#include <vector>

// What an MPEG audio decode carries from one frame to the next, taken at a
// frame start: two decodes in equal states at the same place decode the rest
// of the file alike.
struct Mp3DecoderState {
    uint64_t position = 0; // file offset of the next frame
    int sync = 0;
    unsigned long freerate = 0;
    int badLastFrame = 0;
    std::vector<unsigned char> mainData; // the Layer III bit reservoir
    std::vector<mad_fixed_t> overlap;    // empty until a Layer III frame
    std::vector<mad_fixed_t> subbands;
    std::vector<mad_fixed_t> filter;
    unsigned phase = 0;

    // Equal for decoding: the reservoirs may hold different amounts of old
    // bytes, as long as both hold all that a frame can reach back to.
    bool operator==(const Mp3DecoderState& other) const;
};

// Where four frames of one layout follow each other, from a search start.
struct Mp3FrameRun {
    uint64_t start = 0;
    WORD channels = 0;
    DWORD sampleRate = 0;
    DWORD bitrate = 0; // bits per second
};
// Searches length bytes read at file offset `offset`; false when no run starts there.
bool FindFrameRun(const BYTE* data, size_t length, uint64_t offset, Mp3FrameRun& run);

// One piece of the file: decoded from decodeFrom, its samples kept from the
// first frame at or after keepFrom, up to the first frame at or after end.
struct Mp3SegmentJob {
    uint64_t decodeFrom = 0;
    uint64_t keepFrom = 0;
    uint64_t end = UINT64_MAX; // UINT64_MAX: to the end of the file
    // The state at decodeFrom; a fresh decoder when null.
    const Mp3DecoderState* state = nullptr;
    WORD channels = 0; // the output layout: the first frame's
    // The synthesis filter's phase at decodeFrom, for a fresh decoder: one
    // pass turns it by every frame it plays.
    unsigned phase = 0;
};

// The synthesis phase one pass has at each of the given frame starts
// (ascending), walking the frames from first, where it has firstPhase; 0
// before first and where the walk breaks off.
std::vector<unsigned> SynthesisPhases(HANDLE file, uint64_t first, unsigned firstPhase,
                                      uint64_t fileSize, const std::vector<uint64_t>& at);
// The offset of the frame `frames` frames after the one that data, read at
// offset, begins with; 0 when the walk leaves the data or meets no frame.
uint64_t FrameAfter(const BYTE* data, size_t length, uint64_t offset, int frames);

struct Mp3SegmentResult {
    std::vector<int16_t> samples;
    Mp3DecoderState start; // at the first kept frame
    Mp3DecoderState end;   // at end
    // False when the decode lost the frame sync and found it again: where it
    // finds it depends on how the input is cut into buffers.
    bool exact = true;
    bool readFailed = false;
    bool stopped = false;
    WORD firstChannels = 0; // of the first frame kept, 0 when none
    DWORD firstRate = 0;
};

// Decodes a piece as libmad's own decoder loop decodes it, reading through
// `file` at offsets (threads may share the handle). stopping is asked now and
// then, to give up early. The samples go to memory, reused: fresh memory costs
// a page fault per page.
Mp3SegmentResult DecodeMp3Segment(HANDLE file, uint64_t fileSize, const Mp3SegmentJob& job,
                                  const std::function<bool()>& stopping,
                                  std::vector<int16_t> memory = {});

// libmad allocates its bit reservoir without clearing it, and a damaged frame
// can read past the bytes it holds: cleared first, a file decodes alike on
// every run. Does nothing once the stream has one.
void ClearReservoir(mad_stream& stream);

// The most samples AppendPcm writes for one frame: two channels of 1152.
constexpr unsigned kMaxFrameSamples = 2 * 1152;
// Appends a synthesized frame in the given layout, as 16-bit samples; returns
// how many samples it wrote (at most kMaxFrameSamples).
unsigned AppendPcm(const mad_pcm& pcm, WORD channels, int16_t* out);
