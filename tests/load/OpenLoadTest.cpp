#include "LoadRun.h"

#include "res/resource.h"
#include "support/AudioFixtures.h"
#include "support/FacadeFixture.h"
#include "support/MessageBoxWatcher.h"

namespace {

class OpenLoad : public FacadeFixture {
protected:
    // File n of the run: WAVs of every width, channel count and rate the
    // reader takes and of changing lengths, with MP3 and Ogg Vorbis among them.
    CString fileFor(int n)
    {
        CString name;
        if (n % 10 == 3 || n % 10 == 7) {
            name.Format(L"song%03d%s", n, n % 10 == 3 ? L".mp3" : L".ogg");
            CopyFileW(FixturePath(n % 10 == 3 ? L"tone.mp3" : L"mono22k.ogg"), temp.file(name),
                      FALSE);
            return temp.file(name);
        }
        static const uint32_t rates[] = {8000, 11025, 22050, 44100};
        const uint16_t channels = static_cast<uint16_t>(1 + n % 2);
        const uint16_t bits = n % 5 == 0 ? 8 : 16;
        const uint32_t rate = rates[(n / 2) % 4];
        const size_t bytes = rate * (2100 + 37 * static_cast<size_t>(n % 50)) / 1000 * channels;
        name.Format(L"song%03d.wav", n);
        return WriteFileBytes(temp.file(name), MakeWavBytes(WAVE_FORMAT_PCM, channels, rate, bits,
                                                            std::string(bytes * bits / 8, '\x30')));
    }

    // Opens the file, plays the cut a moment, stops and closes the editor,
    // as a user going through a folder of songs would.
    void openPlayAndClose(const CString& path)
    {
        tarvisk.openFile(path);
        SendMessageW(editor(), WM_COMMAND, MAKEWPARAM(ID_VIEW_PLAY_CUT, 0), 0);
        PumpMessages(30);
        SendMessageW(editor(), WM_COMMAND, MAKEWPARAM(ID_VIEW_STOP, 0), 0);
        SendMessageW(tarvisk.getMainWindow(), WM_COMMAND, MAKEWPARAM(IDC_EXIT_BUTTON, 0), 0);
        PumpMessages();
    }
};

} // namespace

// The counters follow what the process takes and gives back, so that equal
// counts after the run mean something.
TEST(ResourceCounts, FollowAHandleAGdiObjectAndAWindow)
{
    const ResourceCounts before = ResourceCounts::now();
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    const ResourceCounts during = ResourceCounts::now();
    DestroyWindow(window);
    DeleteObject(brush);
    CloseHandle(event);
    const ResourceCounts after = ResourceCounts::now();
    EXPECT_EQ(during.kernelHandles, before.kernelHandles + 1);
    EXPECT_EQ(during.gdiObjects, before.gdiObjects + 1);
    // Wine adds its input-method window to a thread's first window.
    EXPECT_GE(during.windows.size(), before.windows.size() + 1);
    EXPECT_EQ(after.kernelHandles, before.kernelHandles);
    EXPECT_EQ(after.gdiObjects, before.gdiObjects);
    EXPECT_EQ(after.windows, before.windows);
}

TEST_F(OpenLoad, HundredOpensGiveBackEveryHandleGdiObjectAndWindow)
{
    ASSERT_TRUE(tarvisk.init(info, nullptr));
    const int opens = ScaledCount(100);
    MessageBoxWatcher boxes;
    // The first opens load the decoders, the audio driver, the fonts and
    // the watchdog's timer thread, which stay for the life of the process.
    Watchdog watchdog(60);
    ResourceCounts start;
    for (int n = -10; n < opens; ++n) {
        if (n == 0)
            start = ResourceCounts::settled();
        watchdog.arm("open " + std::to_string(n) + " of " + std::to_string(opens));
        const CString path = fileFor(n < 0 ? 1000 - n : n);
        openPlayAndClose(path);
        DeleteFileW(path);
    }
    watchdog.disarm();
    ASSERT_TRUE(boxes.texts().empty()) << Narrow(boxes.texts()[0]);
    const ResourceCounts end = ResourceCounts::settled();
    EXPECT_LE(end.kernelHandles, start.kernelHandles);
    EXPECT_LE(end.gdiObjects, start.gdiObjects);
    EXPECT_LE(end.windows.size(), start.windows.size())
        << "before: " << testing::PrintToString(start.windows)
        << "\nafter: " << testing::PrintToString(end.windows);
}
