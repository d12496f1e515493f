// A hundred files opened one after another in one process through the
// exported facade: what the component takes from the system for an open it
// gives back by the next, so a long session in the host does not run the
// process out of handles, GDI objects or windows.
#include "LoadRun.h"

#include "res/resource.h"
#include "support/AudioFixtures.h"
#include "support/FacadeFixture.h"
#include "support/MessageBoxWatcher.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A saw tone that differs per file: format and length change with n, and every
// file is long enough for a default cut.
std::string toneSamples(int n, uint16_t channels, uint32_t rate, uint16_t bits)
{
    const size_t samples = rate * (2100 + 37 * static_cast<size_t>(n % 50)) / 1000 * channels;
    std::string bytes;
    for (size_t i = 0; i < samples; ++i) {
        const int level = static_cast<int>((i * (n + 3)) % 200) - 100;
        const int16_t value = static_cast<int16_t>(level * 150);
        if (bits == 8)
            bytes += static_cast<char>(128 + level);
        else
            bytes.append(reinterpret_cast<const char*>(&value), 2);
    }
    return bytes;
}

class OpenLoad : public FacadeFixture {
protected:
    OpenLoad() : FacadeFixture(L"OpenLoad") {}

    void SetUp() override
    {
        FacadeFixture::SetUp();
        ASSERT_TRUE(tarvisk.init(info, nullptr));
    }

    // File n of the run: WAVs of every width, channel count and rate the
    // reader takes, with an MP3 and an Ogg Vorbis file among them.
    CString fileFor(int n)
    {
        CString name;
        if (n % 10 == 3 || n % 10 == 7) {
            const wchar_t* source = n % 10 == 3 ? L"tone.mp3" : L"mono22k.ogg";
            name.Format(L"song%03d%s", n, n % 10 == 3 ? L".mp3" : L".ogg");
            const CString path = songs.file(name);
            CopyFileW(FixturePath(source), path, FALSE);
            return path;
        }
        static const uint32_t rates[] = {8000, 11025, 22050, 44100};
        const uint16_t channels = static_cast<uint16_t>(1 + n % 2);
        const uint16_t bits = n % 5 == 0 ? 8 : 16;
        const uint32_t rate = rates[(n / 2) % 4];
        name.Format(L"song%03d.wav", n);
        const CString path = songs.file(name);
        WriteFileBytes(path, MakeWavBytes(WAVE_FORMAT_PCM, channels, rate, bits,
                                          toneSamples(n, channels, rate, bits)));
        return path;
    }

    // Opens the file, plays the cut a moment, stops and closes the editor,
    // as a user going through a folder of songs would.
    void openPlayAndClose(const CString& path)
    {
        tarvisk.openFile(path);
        const HWND dialog = tarvisk.getMainWindow();
        const HWND editor = GetDlgItem(dialog, 1);
        SendMessageW(editor, WM_COMMAND, MAKEWPARAM(ID_VIEW_PLAY_CUT, 0), 0);
        pump(30);
        SendMessageW(editor, WM_COMMAND, MAKEWPARAM(ID_VIEW_STOP, 0), 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_EXIT_BUTTON, 0), 0);
        pump(0);
    }

    static void pump(DWORD milliseconds)
    {
        const ULONGLONG until = GetTickCount64() + milliseconds;
        do {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (GetTickCount64() < until)
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        } while (GetTickCount64() < until);
    }

    // The counters themselves follow what the process takes and gives back,
    // so that equal counts after the run mean something.
    static void expectCountsFollowAHandleAGdiObjectAndAWindow()
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
        // Wine adds its input-method window to a thread's first window.
        EXPECT_GE(during.windows, before.windows + 1);
        EXPECT_EQ(after.kernelHandles, before.kernelHandles);
        EXPECT_EQ(after.windows, before.windows);
        ASSERT_TRUE(ResourceCounts::gdiTableReadable());
        EXPECT_EQ(during.gdiTableEntries, before.gdiTableEntries + 1);
        EXPECT_EQ(after.gdiTableEntries, before.gdiTableEntries);
        // Wine answers 0 here; on Windows the count follows the brush.
        if (before.guiGdi != 0) {
            EXPECT_EQ(during.guiGdi, before.guiGdi + 1);
            EXPECT_EQ(after.guiGdi, before.guiGdi);
        }
    }

    TempDir songs;
};

} // namespace

TEST_F(OpenLoad, HundredOpensGiveBackEveryHandleGdiObjectAndWindow)
{
    const int opens = ScaledCount(100);
    MessageBoxWatcher boxes;
    // The first opens load the decoders, the audio driver and the fonts,
    // which stay for the life of the process.
    for (int n = 0; n < 10; ++n)
        openPlayAndClose(fileFor(1000 + n));
    expectCountsFollowAHandleAGdiObjectAndAWindow();
    Watchdog watchdog(60);
    const ResourceCounts start = ResourceCounts::now();
    for (int n = 0; n < opens; ++n) {
        watchdog.arm("open " + std::to_string(n) + " of " + std::to_string(opens));
        const CString path = fileFor(n);
        openPlayAndClose(path);
        DeleteFileW(path);
    }
    watchdog.disarm();
    ASSERT_TRUE(boxes.texts().empty()) << Narrow(boxes.texts()[0]);
    const ResourceCounts end = ResourceCounts::now();

    std::printf("after warm-up: %s\nafter %d opens: %s\n", start.describe().c_str(), opens,
                end.describe().c_str());
    EXPECT_LE(end.kernelHandles, start.kernelHandles);
    EXPECT_LE(end.gdiTableEntries, start.gdiTableEntries);
    EXPECT_LE(end.windows, start.windows);
    EXPECT_LE(end.guiGdi, start.guiGdi);
    EXPECT_LE(end.guiUser, start.guiUser);
}
