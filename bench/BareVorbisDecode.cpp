// The floors for an Ogg Vorbis open: libvorbisfile's read loop over the
// file, 16-bit little-endian samples, and either nothing written or the
// samples written to a WAV file. Prints "decode_s SECONDS".
//
// Usage: BareVorbisDecode FILE.ogg [OUT.wav]

#include "BareWavFile.h"

#include <windows.h>

#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <memory>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2 && argc != 3) {
        fprintf(stderr, "usage: BareVorbisDecode FILE.ogg [OUT.wav]\n");
        return 2;
    }
    FILE* file = _wfopen(argv[1], L"rb");
    if (!file) {
        fprintf(stderr, "BareVorbisDecode: cannot open the file\n");
        return 1;
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    OggVorbis_File vf;
    if (ov_open_callbacks(file, &vf, nullptr, 0, OV_CALLBACKS_DEFAULT) < 0) {
        fprintf(stderr, "BareVorbisDecode: not an Ogg Vorbis file\n");
        fclose(file);
        return 1;
    }
    std::unique_ptr<BareWavFile> wav;
    if (argc == 3) {
        wav = std::make_unique<BareWavFile>(argv[2]);
        if (!wav->isOpen()) {
            fprintf(stderr, "BareVorbisDecode: cannot create the WAV file\n");
            ov_clear(&vf);
            return 1;
        }
    }
    const vorbis_info* info = ov_info(&vf, 0);
    char buffer[4096];
    long total = 0;
    int section = 0;
    long count = 0;
    while ((count = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &section)) > 0) {
        total += count;
        if (wav)
            wav->add(buffer, static_cast<size_t>(count));
    }
    const bool written =
        !wav || wav->finish(static_cast<WORD>(info->channels), static_cast<DWORD>(info->rate));
    wav.reset();
    ov_clear(&vf);
    QueryPerformanceCounter(&end);
    printf("decode_s %.6f\n",
           static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
    printf("bytes %ld\n", total);
    return count == 0 && written ? 0 : 1;
}
