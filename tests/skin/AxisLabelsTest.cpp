// The time axis of each skin as a user sees it: the editor opened on a
// song, its stream view read back, the labels under the axis looked at.
#include "support/AudioFixtures.h"
#include "support/FacadeFixture.h"

#include <cmath>

namespace {

double luminance(COLORREF colour)
{
    auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(GetRValue(colour)) + 0.7152 * channel(GetGValue(colour)) +
           0.0722 * channel(GetBValue(colour));
}

// Contrast ratio of two colours, 1 to 21; text wants 4.5 or more.
double contrast(COLORREF a, COLORREF b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool inkLike(COLORREF a, COLORREF b)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= 24 &&
           std::abs(GetGValue(a) - GetGValue(b)) <= 24 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 24;
}

COLORREF mostCommon(const Picture& frame, const RECT& area)
{
    std::map<COLORREF, int> counts;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            ++counts[frame.at(x, y)];
    return std::max_element(counts.begin(), counts.end(),
                            [](const auto& a, const auto& b) { return a.second < b.second; })
        ->first;
}

using AxisLabels = FacadeFixture;

TEST_F(AxisLabels, EachSkinLabelsTheAxisReadablyAtEveryZoom)
{
    for (const wchar_t* name : {L"default", L"light"}) {
        SCOPED_TRACE(Narrow(name));
        CFolderSkinParser parser(BuiltSkin(name));
        int axisLine = 0, labelTop = 0;
        COLORREF ink = 0;
        ASSERT_TRUE(parser.selectSection(L"[mv_stream_view]"));
        ASSERT_TRUE(parser.getInt(L"y_pos_axis_line", axisLine));
        ASSERT_TRUE(parser.getInt(L"y_pos_axis_text", labelTop));
        ASSERT_TRUE(parser.getColor(L"color_axis", ink));
        const int margin =
            SkinPicture(BuiltSkin(name), L"[mv_stream_view]", L"bitmap_margin").width;

        info.skinParser = &parser;
        ASSERT_TRUE(tarvisk.init(info, &saveCounter));
        tarvisk.openFile(writeSong(L"seventy seconds.wav", 70));
        const HWND view = streamView();
        ASSERT_NE(view, nullptr);
        for (const char* zoom : {"whole stream", "zoomed in once", "zoomed in twice"}) {
            SCOPED_TRACE(zoom);
            const Picture frame = PrintClientArea(view);
            const RECT band{margin, axisLine, frame.width - margin, frame.height};
            // Ink of the axis colour, runs farther apart than two glyphs.
            const std::vector<RECT> labels = InkRuns(
                frame, RECT{band.left, labelTop, band.right, band.bottom},
                [&](COLORREF c) { return inkLike(c, ink); }, 8);
            ASSERT_GE(labels.size(), 2u) << "the axis carries labels";
            const COLORREF background = mostCommon(frame, band);
            EXPECT_GE(contrast(ink, background), 4.5) << "the labels stand out from the axis band";
            for (const RECT& label : labels) {
                EXPECT_GE(label.bottom - label.top, 7)
                    << "a label at x " << label.left << " has glyphs of a readable height";
                EXPECT_GE(label.right - label.left, 20)
                    << "a label at x " << label.left << " shows a time, not a fragment";
                EXPECT_LT(label.bottom, frame.height)
                    << "a label at x " << label.left << " is not cut off at the bottom";
            }
            SendMessageW(editor(), WM_COMMAND, MAKEWPARAM(11, 0), 0);
        }
        tarvisk.destroy();
    }
}

} // namespace
