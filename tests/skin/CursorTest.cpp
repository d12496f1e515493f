#include "res/resource.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The stream view's own cursors, one per role, from the component's
// resources that every test carries.
const int kCursors[] = {IDC_CURSOR_STREAM_OVER, IDC_CURSOR_STREAM_DRAG, IDC_CURSOR_CUT_OVER,
                        IDC_CURSOR_CUT_DRAG,    IDC_CURSOR_CUT_RESIZE,  IDC_CURSOR_SLIDER_SET};

constexpr COLORREF kBackdrop = RGB(255, 0, 255);
constexpr int kSize = 32;

// The cursor as it shows over a magenta backdrop.
Picture rendered(HCURSOR cursor)
{
    HBITMAP target = CreatePatternBitmap(kSize, kSize, [](int, int) { return kBackdrop; });
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, target);
    DrawIconEx(dc, 0, 0, cursor, kSize, kSize, 0, nullptr, DI_NORMAL);
    SelectObject(dc, previous);
    DeleteDC(dc);
    Picture picture = ReadBitmap(target);
    DeleteObject(target);
    return picture;
}

TEST(StreamViewCursors, EachLoadsWithItsHotspotOnTheDrawnShape)
{
    std::vector<std::vector<COLORREF>> images;
    for (int id : kCursors) {
        HCURSOR cursor = static_cast<HCURSOR>(LoadImageW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_CURSOR, kSize, kSize, 0));
        ASSERT_NE(cursor, nullptr) << "cursor " << id;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(cursor, &info));
        EXPECT_FALSE(info.fIcon);
        BITMAP mask{};
        GetObjectW(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, kSize);
        const Picture picture = rendered(cursor);
        ASSERT_LT(info.xHotspot, static_cast<DWORD>(kSize));
        ASSERT_LT(info.yHotspot, static_cast<DWORD>(kSize));
        EXPECT_NE(picture.at(info.xHotspot, info.yHotspot), kBackdrop)
            << "cursor " << id << ": hotspot off the shape";
        // Transparent around the shape, so it does not hide the waveform.
        EXPECT_EQ(picture.at(0, 0), kBackdrop);
        images.push_back(picture.pixels);
        DeleteObject(info.hbmMask);
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
        DestroyCursor(cursor);
    }
    for (size_t a = 0; a < images.size(); ++a)
        for (size_t b = a + 1; b < images.size(); ++b)
            EXPECT_NE(images[a], images[b])
                << "cursors " << kCursors[a] << " and " << kCursors[b] << " look the same";
}

} // namespace
