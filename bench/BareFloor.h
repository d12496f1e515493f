// What every floor does around its library's loop: checks its arguments,
// opens the input, and times the loop together with the WAV file it writes
// when one is named. Prints "decode_s SECONDS".
#pragma once

#include "BareWavFile.h"

#include <windows.h>

#include <cstdio>
#include <memory>

// The stream the loop found, for the WAV file's header.
struct BareFormat {
    WORD channels = 0;
    DWORD rate = 0;
};

// decode(file, wav, format) runs the loop over the input and closes it (the
// libraries close what they are given); it adds the samples to wav unless
// wav is null, and returns whether the whole file decoded.
template <class Decode>
int runFloor(int argc, wchar_t** argv, const char* program, const char* extension, Decode&& decode)
{
    if (argc != 2 && argc != 3) {
        fprintf(stderr, "usage: %s FILE.%s [OUT.wav]\n", program, extension);
        return 2;
    }
    FILE* file = _wfopen(argv[1], L"rb");
    if (!file) {
        fprintf(stderr, "%s: cannot open the file\n", program);
        return 1;
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    std::unique_ptr<BareWavFile> wav;
    if (argc == 3) {
        wav = std::make_unique<BareWavFile>(argv[2]);
        if (!wav->isOpen()) {
            fprintf(stderr, "%s: cannot create the WAV file\n", program);
            fclose(file);
            return 1;
        }
    }
    BareFormat format;
    const bool decoded = decode(file, wav.get(), format);
    const bool written = !wav || wav->finish(format.channels, format.rate);
    wav.reset();
    QueryPerformanceCounter(&end);
    printf("decode_s %.6f\n",
           static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
    return decoded && written ? 0 : 1;
}
