// The editor driven with the messages a user's actions produce.
#include "support/FacadeFixture.h"

#include <string>
#include <tuple>

namespace {

constexpr int kZoomIn = 11;
constexpr int kFadeIn = 41;
constexpr int kRemoveFades = 43;
constexpr int kScrollLeft = 51;

class EditorSlips : public FacadeFixture {
protected:
    EditorSlips() : FacadeFixture(L"EditorSlips") {}

    // A 70-second song open in the editor: the whole stream is visible, the
    // position in its middle, the default cut from 10 s to 20 s.
    void SetUp() override
    {
        FacadeFixture::SetUp();
        ASSERT_TRUE(tarvisk.init(info, &saveCounter));
        tarvisk.openFile(writeSong(L"song.wav", 70));
        ASSERT_NE(streamView(), nullptr);
    }

    void command(int id) { SendMessageW(editor(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    // A click in the view's slider zone at a time while the whole stream is
    // visible, which moves the position there.
    void clickSliderAt(int milliseconds)
    {
        RECT range{}, client{};
        ASSERT_TRUE(skin.selectSection(L"[mv_stream_view]") &&
                    skin.getRect(L"slider_range", range));
        GetClientRect(streamView(), &client);
        const int margin =
            SkinPicture(BuiltSkin(L"default"), L"[mv_stream_view]", L"bitmap_margin").width;
        const int x = margin + (client.right - 2 * margin) * milliseconds / 70000;
        SendMessageW(streamView(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, range.top + 2));
        SendMessageW(streamView(), WM_LBUTTONUP, 0, MAKELPARAM(x, range.top + 2));
    }

    std::string shown(int id, const wchar_t* section)
    {
        const Picture face = PrintClientArea(GetDlgItem(editor(), id));
        if (face == SkinPicture(BuiltSkin(L"default"), section, L"bitmap_up"))
            return "enabled";
        if (face == SkinPicture(BuiltSkin(L"default"), section, L"bitmap_da"))
            return "disabled";
        return "neither face";
    }
};

TEST_F(EditorSlips, WheelScrollUpdatesTheButtons)
{
    command(kZoomIn);
    for (int i = 0; i < 20 && shown(kScrollLeft, L"[mv_btn_scroll_left]") == "enabled"; ++i)
        command(kScrollLeft);
    ASSERT_EQ(shown(kScrollLeft, L"[mv_btn_scroll_left]"), "disabled") << "at the stream start";

    SendMessageW(streamView(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(shown(kScrollLeft, L"[mv_btn_scroll_left]"), "enabled")
        << "the wheel moved the view and the position to later times";
}

TEST_F(EditorSlips, RemoveFadingIsOfferedAtAPositionInACutWithAFade)
{
    // Where the position is, whether the cut has a fade, what the button shows.
    const std::tuple<const char*, bool, int, const char*> cases[] = {
        {"in a cut without fades", false, 15000, "disabled"},
        {"in a cut with a fade", true, 15000, "enabled"},
        {"after a cut with a fade", true, 35000, "disabled"},
    };
    for (const auto& [where, fade, position, face] : cases) {
        SCOPED_TRACE(where);
        clickSliderAt(15000);
        command(kRemoveFades);
        if (fade)
            command(kFadeIn);
        clickSliderAt(position);
        EXPECT_EQ(shown(kRemoveFades, L"[mv_btn_fading_remove]"), face);
    }
}

} // namespace
