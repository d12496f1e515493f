#include "Pixels.h"

#include "TempDir.h"

namespace {

BITMAPINFO topDownFormat(int width, int height)
{
    return BITMAPINFO{{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
}

Picture readPixels(HDC dc, HBITMAP bitmap, int width, int height)
{
    Picture picture{width, height, {}};
    std::vector<RGBQUAD> raw(static_cast<size_t>(width) * height);
    BITMAPINFO format = topDownFormat(width, height);
    GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), raw.data(), &format, DIB_RGB_COLORS);
    for (const RGBQUAD& pixel : raw)
        picture.pixels.push_back(RGB(pixel.rgbRed, pixel.rgbGreen, pixel.rgbBlue));
    return picture;
}

// The window and its visible children, bottom to top, each as it draws itself
// (WM_PRINT for a frame of its own, WM_PRINTCLIENT for the client area), so
// no other window on a shared display can show through.
void printTree(HWND top, HWND window, HDC dc, bool children)
{
    POINT client{0, 0};
    MapWindowPoints(window, top, &client, 1);
    if (window != top) {
        RECT bounds{};
        GetWindowRect(window, &bounds);
        POINT frame{bounds.left, bounds.top};
        ScreenToClient(top, &frame);
        SetViewportOrgEx(dc, frame.x, frame.y, nullptr);
        SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT);
    }
    SetViewportOrgEx(dc, client.x, client.y, nullptr);
    SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    if (!children)
        return;
    for (HWND child = GetWindow(GetWindow(window, GW_CHILD), GW_HWNDLAST); child;
         child = GetWindow(child, GW_HWNDPREV))
        if (IsWindowVisible(child))
            printTree(top, child, dc, true);
}

// Prints `top`, with its children if asked, into a bitmap of the given size,
// the top's client origin at `origin`.
Picture printToPicture(HWND top, SIZE size, POINT origin, bool frame, bool children)
{
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size.cx, size.cy);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    if (frame)
        SendMessageW(top, WM_PRINT, reinterpret_cast<WPARAM>(memory), PRF_NONCLIENT);
    // Children and the top are printed relative to the top's client origin.
    OffsetWindowOrgEx(memory, -origin.x, -origin.y, nullptr);
    printTree(top, top, memory, children);
    SelectObject(memory, previous);
    Picture picture = readPixels(memory, bitmap, size.cx, size.cy);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return picture;
}

} // namespace

int Picture::count(COLORREF colour, const RECT& area) const
{
    int found = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            found += at(x, y) == colour;
    return found;
}

std::vector<RECT> InkRuns(const Picture& picture, const RECT& band,
                          const std::function<bool(COLORREF)>& isInk, int maxGap)
{
    std::vector<RECT> runs;
    for (int x = band.left; x < band.right; ++x)
        for (int y = band.top; y < band.bottom; ++y) {
            if (!isInk(picture.at(x, y)))
                continue;
            if (runs.empty() || x - runs.back().right > maxGap)
                runs.push_back(RECT{x, y, x + 1, y + 1});
            RECT& run = runs.back();
            run.right = x + 1;
            run.top = std::min<LONG>(run.top, y);
            run.bottom = std::max<LONG>(run.bottom, y + 1);
        }
    return runs;
}

Picture ReadBitmap(HBITMAP bitmap)
{
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    HDC screen = GetDC(nullptr);
    Picture picture = readPixels(screen, bitmap, info.bmWidth, info.bmHeight);
    ReleaseDC(nullptr, screen);
    return picture;
}

Picture CaptureClientArea(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    return printToPicture(window, SIZE{client.right, client.bottom}, POINT{0, 0}, false, true);
}

Picture CaptureWindow(HWND window)
{
    RECT bounds{};
    GetWindowRect(window, &bounds);
    POINT client{0, 0};
    ClientToScreen(window, &client);
    return printToPicture(window, SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top},
                          POINT{client.x - bounds.left, client.y - bounds.top}, true, true);
}

Picture PrintClientArea(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    return printToPicture(window, SIZE{client.right, client.bottom}, POINT{0, 0}, false, false);
}

bool operator==(const Picture& a, const Picture& b)
{
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

HBITMAP CreatePatternBitmap(int width, int height,
                            const std::function<COLORREF(int x, int y)>& colourAt)
{
    std::vector<RGBQUAD> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF colour = colourAt(x, y);
            pixels.push_back(RGBQUAD{GetBValue(colour), GetGValue(colour), GetRValue(colour), 0});
        }
    BITMAPINFO format = topDownFormat(width, height);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    SetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

Picture PaintedPicture(SIZE size, COLORREF background, const std::function<void(HDC)>& paint)
{
    HBITMAP bitmap = CreatePatternBitmap(size.cx, size.cy, [=](int, int) { return background; });
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    paint(dc);
    SelectObject(dc, previous);
    DeleteDC(dc);
    Picture picture = ReadBitmap(bitmap);
    DeleteObject(bitmap);
    return picture;
}

void PumpMessages(DWORD forMilliseconds, const std::function<bool(MSG*)>& preTranslate)
{
    const ULONGLONG until = GetTickCount64() + forMilliseconds;
    for (MSG msg;;) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (preTranslate && preTranslate(&msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (GetTickCount64() >= until)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

void PostClick(HWND window)
{
    for (const UINT message : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP})
        PostMessageW(window, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(2, 2));
}
