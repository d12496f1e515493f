// The editor at the display scale of its window, and again at another scale
// when the system says the window has moved to a monitor of that scale. Run
// in the standard prefix and in one at 192 DPI (CMakeLists.txt).
#include "support/FacadeFixture.h"

namespace {

int Scaled(int designPixels, UINT dpi)
{
    return MulDiv(designPixels, static_cast<int>(dpi), 96);
}

// The bounds of what is not the background in the picture, right of `left`.
RECT InkBounds(const Picture& picture, int left, COLORREF background)
{
    const auto runs = InkRuns(
        picture, RECT{left, 0, picture.width, picture.height},
        [&](COLORREF c) { return c != background; }, picture.width);
    return runs.empty() ? RECT{} : runs[0];
}

class DisplayScale : public FacadeFixture {
protected:
    // The title's letters as the editor drew them, and as the skin's font
    // made at the scale draws them: the same size.
    void expectTitleDrawnAt(UINT dpi)
    {
        CString caption;
        CFont font;
        COLORREF ink = 0;
        int textLeft = 0;
        ASSERT_TRUE(skin.selectSection(L"[mv_lbl_title_main]") &&
                    skin.getText(L"caption", caption) && skin.getFont(L"font", font) &&
                    skin.getColor(L"font_color_up", ink) &&
                    skin.getInt(L"textLeftMargin", textLeft));
        const Picture drawn = PrintClientArea(GetDlgItem(tarvisk.getMainWindow(), 1005));
        const COLORREF background = drawn.at(drawn.width - 1, drawn.height / 2);
        const RECT shown = InkBounds(drawn, Scaled(textLeft, dpi), background);
        LOGFONTW scaledFont{};
        GetObjectW(font.GetSafeHandle(), sizeof scaledFont, &scaledFont);
        scaledFont.lfHeight = Scaled(scaledFont.lfHeight, dpi);
        const HFONT made = CreateFontIndirectW(&scaledFont);
        const Picture reference =
            PaintedPicture({drawn.width, drawn.height}, background, [&](HDC dc) {
                SelectObject(dc, made);
                SetBkMode(dc, TRANSPARENT);
                SetTextColor(dc, ink);
                TextOutW(dc, 0, 0, caption, caption.GetLength());
            });
        DeleteObject(made);
        const RECT expected = InkBounds(reference, 0, background);
        EXPECT_NEAR(shown.bottom - shown.top, expected.bottom - expected.top, 1) << "letter height";
        EXPECT_NEAR(shown.right - shown.left, expected.right - expected.left, 2) << "text width";
    }

    // Where the view draws the cut's left edge: the first column of the mark
    // colour in the row.
    int cutLeftEdge(int row)
    {
        COLORREF mark = 0;
        EXPECT_TRUE(skin.selectSection(L"[mv_stream_view]") &&
                    skin.getColor(L"color_mark_rect", mark));
        const Picture view = PrintClientArea(streamView());
        for (int x = 0; x < view.width; ++x)
            if (view.at(x, row) == mark)
                return x;
        return -1;
    }
};

} // namespace

TEST_F(DisplayScale, EditorIsDrawnAtItsWindowsScaleAndAgainAtTheScaleOfAMonitorItMovesTo)
{
    ASSERT_TRUE(tarvisk.init(info, &saveCounter));
    tarvisk.openFile(writeSong(L"song.wav", 70));
    const HWND dialog = tarvisk.getMainWindow();
    HDC screen = GetDC(nullptr);
    const UINT windowDpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    if (const char* prefixDpi = getenv("TARVISK_PREFIX_DPI")) {
        ASSERT_EQ(windowDpi, static_cast<UINT>(atoi(prefixDpi))) << "the prefix's scale";
    }
    // A row between the top of the mark band and the waveform.
    int markTop = 0, waveTop = 0;
    ASSERT_TRUE(skin.selectSection(L"[mv_stream_view]") &&
                skin.getInt(L"y_mark_rect_top", markTop) && skin.getInt(L"y_wave_top", waveTop));
    const auto rowAt = [&](UINT dpi) { return Scaled((markTop + waveTop) / 2, dpi); };

    // The window's own scale first, then each one as a move would bring it;
    // 175 % has no pictures of its own.
    UINT previous = windowDpi;
    int direction = 1;
    for (const UINT dpi : {windowDpi, 144u, 192u, 168u, 96u}) {
        SCOPED_TRACE(testing::Message() << dpi << " DPI");
        const int row = rowAt(dpi);
        if (dpi != previous) {
            const int edgeBefore = cutLeftEdge(rowAt(previous));
            RECT window{};
            GetWindowRect(dialog, &window);
            const RECT suggested{window.left + 10, window.top + 20,
                                 window.left + 10 + Scaled(800, dpi),
                                 window.top + 20 + Scaled(320, dpi)};
            SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                         reinterpret_cast<LPARAM>(&suggested));
            GetWindowRect(dialog, &window);
            EXPECT_TRUE(EqualRect(&window, &suggested)) << "the suggested place and size";
            EXPECT_NEAR(cutLeftEdge(row), MulDiv(edgeBefore, dpi, previous), 2)
                << "the cut stays where it was in the stream";
            previous = dpi;
        }
        RECT client{};
        GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, Scaled(800, dpi));
        EXPECT_EQ(client.bottom, Scaled(320, dpi));
        expectTitleDrawnAt(dpi);

        // A drag that starts on the drawn edge takes that edge along, to
        // later and earlier times in turn, so the cut keeps its length.
        const int edge = cutLeftEdge(row);
        const int to = edge + direction * Scaled(30, dpi);
        direction = -direction;
        const HWND view = streamView();
        SendMessageW(view, WM_MOUSEMOVE, 0, MAKELPARAM(edge, row));
        SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(edge, row));
        SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to, row));
        SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(to, row));
        EXPECT_NEAR(cutLeftEdge(row), to, 1) << "the left edge follows the drag from " << edge;
    }
}
