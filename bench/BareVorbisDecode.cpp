// The floors for an Ogg Vorbis open: libvorbisfile's read loop over the
// file, 16-bit little-endian samples, and either nothing written or the
// samples written to a WAV file. Prints "decode_s SECONDS".
//
// Usage: BareVorbisDecode FILE.ogg [OUT.wav]

#include "BareFloor.h"

#include <windows.h>

#include <vorbis/vorbisfile.h>

#include <cstdio>

namespace {

bool decode(FILE* file, BareWavFile* wav, BareFormat& format)
{
    OggVorbis_File vf;
    if (ov_open_callbacks(file, &vf, nullptr, 0, OV_CALLBACKS_DEFAULT) < 0) {
        fprintf(stderr, "BareVorbisDecode: not an Ogg Vorbis file\n");
        fclose(file);
        return false;
    }
    const vorbis_info* info = ov_info(&vf, 0);
    format = {static_cast<WORD>(info->channels), static_cast<DWORD>(info->rate)};
    char buffer[4096];
    long total = 0;
    int section = 0;
    long count = 0;
    while ((count = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &section)) > 0) {
        total += count;
        if (wav)
            wav->add(buffer, static_cast<size_t>(count));
    }
    // Closes the file.
    ov_clear(&vf);
    printf("bytes %ld\n", total);
    return count == 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    return runFloor(argc, argv, "BareVorbisDecode", "ogg", decode);
}
