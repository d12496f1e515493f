#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The file formats the reference host saves a ringtone in. Each is named as
// on the command line and in the INI file, and that name is the file's
// extension.
enum class RingtoneFormat { Wav, Ogg, Mp3, M4r };

const wchar_t* RingtoneFormatName(RingtoneFormat format);
// False when the name is none of "wav", "ogg", "mp3", "m4r" (in any case).
bool ParseRingtoneFormat(const std::wstring& name, RingtoneFormat& format);
// The longest ringtone, in ms, that the phones which want the format take;
// 0 when they take any length.
int64_t RingtoneLengthLimit(RingtoneFormat format);

// Where an encoder's bytes go: the ringtone's file, written front to back,
// with one way back for what an encoder can only fill in at the end.
class IRingtoneSink {
public:
    virtual ~IRingtoneSink() = default;
    virtual bool append(const void* data, size_t size) = 0;
    virtual bool overwrite(int64_t offset, const void* data, size_t size) = 0;
};

// The cut as an encoder gets it: 16-bit frames of the decoded stream's
// channels and rate, this many in all, and the title the file carries.
struct RingtoneStream {
    uint16_t channels;
    uint32_t rate;
    int64_t frames;
    std::wstring title;
};

// One file format. `start` refuses a stream the format cannot carry (error
// says why); `encode` takes the frames in order, `finish` once after the last.
class IRingtoneEncoder {
public:
    virtual ~IRingtoneEncoder() = default;
    virtual bool start(const RingtoneStream& stream, IRingtoneSink& sink, std::wstring& error) = 0;
    virtual bool encode(const int16_t* samples, int frames) = 0;
    virtual bool finish() = 0;
};

std::unique_ptr<IRingtoneEncoder> MakeRingtoneEncoder(RingtoneFormat format);
