#pragma once

#include "refhost/RingtoneEncoder.h"

#include <cstdint>
#include <string>

// What the reference host does with a saved cut: takes that stretch of the
// component's decoded 16-bit PCM WAV, with linear fades, and writes it in
// the chosen format as "<folder>\<name>.<format>", titled with the track
// name, through a temporary file so a failure leaves nothing behind.
struct RingtoneRequest {
    std::wstring decodedWav;
    std::wstring outputFolder;
    std::wstring trackName;
    int64_t begin;
    int64_t end;
    int32_t fadeIn;
    int32_t fadeOut;
    RingtoneFormat format = RingtoneFormat::Wav;
};

// The file name a track name gives: path separators, reserved characters and
// leading dots removed, so the file stays inside the output folder; cut to
// 200 characters; a device name (CON, NUL, COM1...) gets a leading "_" so it
// names a file; "Ringtone" when nothing is left.
std::wstring RingtoneFileName(const std::wstring& trackName);

// The 16-bit PCM WAV the component cut from: a WAV input of that format
// itself, which the component reads in place, otherwise the stream it decoded
// or converted the input into in its work folder (workFolderStream).
std::wstring DecodedStream(const std::wstring& input, const std::wstring& workFolderStream);

// Writes the ringtone; on failure returns false and describes why in error.
bool WriteRingtone(const RingtoneRequest& request, std::wstring& path, std::wstring& error);
