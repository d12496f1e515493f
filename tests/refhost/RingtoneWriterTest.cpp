#include "refhost/RingtoneWriter.h"

#include "support/AudioFixtures.h"
#include "support/ProcessWindows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// Wine's translation of a Windows path to the Linux one a Linux program needs.
CString UnixPath(const CString& windowsPath)
{
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* path = toUnix ? toUnix(windowsPath) : nullptr;
    if (!path)
        return CString();
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_UTF8, 0, path, -1, wide, MAX_PATH);
    HeapFree(GetProcessHeap(), 0, path);
    return wide;
}

// Starts a Linux shell command line and returns without waiting for it. It
// must not inherit the test's output: ctest waits for every holder of that
// pipe, and such a command may outlive the test.
void StartUnixShell(const CString& script)
{
    CString command =
        L"start.exe /unix /bin/sh -c \"exec >/dev/null 2>&1 </dev/null; " + script + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, command.GetBuffer(command.GetLength()), nullptr, nullptr, FALSE,
                       CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, 10000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    command.ReleaseBuffer();
}

} // namespace

// Every hostile name gives a file inside the folder: HostileTrackNames.
TEST(RingtoneFileName, KeepsTheNamesLettersWithoutPathsOrReservedCharacters)
{
    const std::pair<const wchar_t*, const wchar_t*> names[] = {
        {L"My Song", L"My Song"},
        {L"..\\..\\Windows\\evil", L"Windowsevil"},
        {L"../x", L"x"},
        {L"C:\\temp\\a", L"Ctempa"},
        {L"a<b>c|d?e*\"f", L"abcdef"},
        {L"...", L"Ringtone"},
        {L"name. ", L"name"}};
    for (const auto& [name, file] : names)
        EXPECT_EQ(RingtoneFileName(name), file) << Narrow(name);
}

// A stream that cannot be read, a folder that cannot be used or a format
// that refuses the stream leaves nothing.
TEST(RingtoneWriter, CopiesTheCutWithLinearFadesUpToTheStreamsEndOrLeavesNothing)
{
    TempDir dir;
    // Three seconds of 16-bit stereo at 1000 frames per second, every sample 10000.
    WriteFileBytes(dir.file(L"temp.in"),
                   MakeWavBytes(1, 2, 1000, 16, Pcm16(std::vector<int16_t>(6000, 10000))));
    std::wstring path, error;
    RingtoneRequest request{
        dir.file(L"temp.in").str(), dir.path().str(), L"tone", 1000, 2000, 100, 200};
    ASSERT_TRUE(WriteRingtone(request, path, error)) << std::string(error.begin(), error.end());
    EXPECT_EQ(path, dir.file(L"tone.wav").str());
    const std::vector<int16_t> out = Samples16(ReadWavFile(path.c_str()).samples);
    ASSERT_EQ(out.size(), 2000u) << "1000 frames of two channels";
    EXPECT_EQ(out[0], 0) << "the fade-in starts silent";
    EXPECT_EQ(out[2 * 50], 5000) << "halfway through the fade-in";
    EXPECT_EQ(out[2 * 100], 10000);
    EXPECT_EQ(out[2 * 500 + 1], 10000);
    EXPECT_EQ(out[2 * 900], 5000) << "halfway through the fade-out";
    EXPECT_EQ(out[2 * 999], 50);
    EXPECT_EQ(GetFileAttributesW((path + L".part").c_str()), INVALID_FILE_ATTRIBUTES);

    // A cut past the end of the stream stops there; a name without letters gives the default.
    request.trackName = L"";
    request.end = 9000;
    request.fadeIn = request.fadeOut = 0;
    ASSERT_TRUE(WriteRingtone(request, path, error));
    EXPECT_EQ(path, dir.file(L"Ringtone.wav").str());
    EXPECT_EQ(Samples16(ReadWavFile(path.c_str()).samples), std::vector<int16_t>(4000, 10000));

    WriteFileBytes(dir.file(L"text.in"), "not a wave file at all, just text");
    WriteFileBytes(dir.file(L"six.in"), MakeWavBytes(1, 6, 44100, 16, std::string(529200, 0)));
    const std::tuple<const wchar_t*, CString, RingtoneFormat> cases[] = {
        {L"none.in", dir.path(), RingtoneFormat::Wav},
        {L"temp.in", dir.file(L"no\\such\\folder"), RingtoneFormat::Wav},
        {L"text.in", dir.path(), RingtoneFormat::Wav},
        {L"six.in", dir.path(), RingtoneFormat::Mp3}}; // MP3 has one or two channels
    for (const auto& [stream, folder, format] : cases) {
        SCOPED_TRACE(Narrow(stream));
        const RingtoneRequest refused{
            dir.file(stream).str(), folder.str(), L"x", 0, 1000, 0, 0, format};
        error.clear();
        EXPECT_FALSE(WriteRingtone(refused, path, error));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(FileNames(dir.file(L"x.*")).empty());
    }
}

// Each compressed ringtone decoded by ffprobe and ffmpeg, which share no code
// with its encoder: a sine of constant level cut from 1 s to 3 s with fades
// of 0.5 s comes back with its codec, its title, its length within one
// frame of its codec and its level along the fades.
TEST(RingtoneWriter, CompressedFormatsKeepTheCutsLengthFadesAndTitle)
{
    TempDir dir;
    std::vector<int16_t> pcm;
    for (int i = 0; i < 3 * 44100; ++i)
        pcm.insert(pcm.end(), 2,
                   static_cast<int16_t>(10000 * std::sin(i * 2 * M_PI * 441 / 44100)));
    WriteFileBytes(dir.file(L"temp.in"), MakeWavBytes(WAVE_FORMAT_PCM, 2, 44100, 16, Pcm16(pcm)));
    const std::tuple<RingtoneFormat, std::string, int> formats[] = {
        {RingtoneFormat::Ogg, "vorbis", 0},
        {RingtoneFormat::Mp3, "mp3", 1152},
        {RingtoneFormat::M4r, "aac", 1024}};
    const std::wstring stream = dir.file(L"temp.in").str(), title = L"Mein T\u00F6n \u260E";
    for (const auto& [format, codec, frame] : formats) {
        SCOPED_TRACE(codec);
        std::wstring path, error;
        const RingtoneRequest request{stream, dir.path().str(), title, 1000, 3000, 500, 500,
                                      format};
        ASSERT_TRUE(WriteRingtone(request, path, error)) << Narrow(error.c_str());
        const CString file = UnixPath(path.c_str()), probe = dir.file(L"probe.txt");
        const CString decoded = UnixPath(dir.file(L"decoded.raw"));
        DeleteFileW(probe);
        StartUnixShell(L"ffprobe -v error -of default=nw=1 -show_entries "
                       L"stream=codec_name:stream_tags=title:format_tags=title '" +
                       file + L"' >'" + decoded + L".txt'; ffmpeg -v error -i '" + file +
                       L"' -ac 1 -f s16le - >'" + decoded + L"'; mv '" + decoded + L".txt' '" +
                       UnixPath(probe) + L"'");
        ASSERT_TRUE(WaitFor([&] { return GetFileAttributesW(probe) != INVALID_FILE_ATTRIBUTES; }));
        std::string found = ReadFileBytes(probe);
        // Ogg Vorbis keeps a comment's name as written: TITLE.
        std::transform(found.begin(), found.end(), found.begin(), ::tolower);
        EXPECT_NE(found.find("codec_name=" + codec + "\n"), std::string::npos) << found;
        EXPECT_NE(found.find("tag:title=mein t\xC3\xB6n \xE2\x98\x8E\n"), std::string::npos)
            << found;
        const std::vector<int16_t> samples = Samples16(ReadFileBytes(dir.file(L"decoded.raw")));
        ASSERT_NEAR(double(samples.size()), 2 * 44100, frame);
        // The level of the 10 ms around a time of the cut, as a share of the sine's.
        const auto level = [&](int ms) {
            double sum = 0;
            for (int i = ms * 441 / 10 - 220; i < ms * 441 / 10 + 220; ++i)
                sum += std::pow(samples[std::min<size_t>(i, samples.size() - 1)], 2);
            return std::sqrt(sum / 440) / (10000 / std::sqrt(2.0));
        };
        // An encoder may lose a little of the level, the same all through.
        const double full = level(1000);
        EXPECT_NEAR(full, 1.0, 0.1);
        for (const auto& [ms, share] : {std::pair{5, 0.0}, {250, 0.5}, {1750, 0.5}, {1995, 0.0}})
            EXPECT_NEAR(level(ms) / full, share, 0.05) << ms << " ms into the cut";
    }
}
