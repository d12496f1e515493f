// The floor for an Ogg Vorbis open: libvorbisfile's read loop over the file,
// 16-bit little-endian samples, nothing written. Prints "decode_s SECONDS".
//
// Usage: BareVorbisDecode FILE.ogg

#include <windows.h>

#include <vorbis/vorbisfile.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: BareVorbisDecode FILE.ogg\n");
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
    char buffer[4096];
    long total = 0;
    int section = 0;
    long count = 0;
    while ((count = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &section)) > 0)
        total += count;
    ov_clear(&vf);
    QueryPerformanceCounter(&end);
    printf("decode_s %.6f\n",
           static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
    printf("bytes %ld\n", total);
    return count == 0 ? 0 : 1;
}
