#include "widgets/XButton.h"

#include "ToolTipCtrl.h"
#include "WidgetTestWindow.h"
#include "WidgetsTestResources.h"
#include "support/TestSkinParser.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr SIZE kSize{60, 24};
constexpr COLORREF kUp = RGB(200, 0, 0);
constexpr COLORREF kDown = RGB(0, 0, 200);
constexpr COLORREF kMouseOver = RGB(0, 200, 0);
constexpr COLORREF kDisabled = RGB(128, 128, 128);
constexpr COLORREF kOnUp = RGB(200, 200, 0);
constexpr COLORREF kOnDown = RGB(0, 200, 200);
constexpr COLORREF kOnMouseOver = RGB(100, 0, 100);
constexpr COLORREF kOnDisabled = RGB(90, 60, 30);
const CPoint kInside(10, 10);
const CPoint kOutside(200, 100);

class RecordingListener : public IXActionListener {
public:
    void pointerEntered(int id) override { events.push_back(id); }
    void pointerLeft(int id) override { events.push_back(-id); }
    std::vector<int> events;
};

class SkinnedButton : public testing::Test {
protected:
    SkinnedButton()
    {
        auto& section = skin.section(L"[mv_btn_test]");
        section.positions[L"position"] = {POINT{10, 10}, POINT{0, 0}};
        section.sizes[L"size"] = kSize;
        const std::pair<const wchar_t*, COLORREF> bitmaps[] = {
            {L"bitmap_up", kUp},         {L"bitmap_do", kDown},
            {L"bitmap_mo", kMouseOver},  {L"bitmap_da", kDisabled},
            {L"bitmap_on_up", kOnUp},    {L"bitmap_on_do", kOnDown},
            {L"bitmap_on_mo", kOnMouseOver}, {L"bitmap_on_da", kOnDisabled}};
        for (const auto& [key, colour] : bitmaps)
            section.bitmaps[key] = {colour, kSize};
        button.create(WS_CHILD, CRect(0, 0, 1, 1), &window, IDC_TEST_BUTTON, 0);
        button.addListener(&listener);
    }

    void load(int kind) { ASSERT_TRUE(button.load(skin, L"[mv_btn_test]", kind)); }
    LRESULT send(UINT msg, CPoint point = kInside, WPARAM flags = 0)
    {
        return button.SendMessage(msg, flags, MAKELPARAM(point.x, point.y));
    }
    // A complete click: press and release inside.
    void clickInside()
    {
        send(WM_LBUTTONDOWN, kInside, MK_LBUTTON);
        send(WM_LBUTTONUP);
    }
    // The colour of the whole face, or 0xFFFFFFFF when it is not one colour.
    COLORREF face()
    {
        const Picture shot = CaptureClientArea(button);
        const COLORREF first = shot.at(0, 0);
        return shot.count(first) == shot.width * shot.height ? first : CLR_INVALID;
    }
    std::vector<std::pair<int, int>> takeCommands()
    {
        auto commands = window.commands;
        window.commands.clear();
        return commands;
    }

    WidgetTestWindow window;
    TestSkinParser skin;
    CXButton button;
    RecordingListener listener;
};

using Commands = std::vector<std::pair<int, int>>;
constexpr int kId = IDC_TEST_BUTTON;

} // namespace

TEST_F(SkinnedButton, LoadPlacesAndShowsTheButtonAtItsSkinSize)
{
    EXPECT_FALSE(button.load(skin, L"[mv_btn_test]", 5));
    EXPECT_FALSE(button.load(skin, L"[mv_btn_none]", XBUTTON_PUSH));
    load(XBUTTON_PUSH);
    CRect placed;
    button.GetWindowRect(&placed);
    window.ScreenToClient(reinterpret_cast<POINT*>(&placed.left));
    window.ScreenToClient(reinterpret_cast<POINT*>(&placed.right));
    EXPECT_EQ(placed, CRect(CPoint(10, 10), kSize));
    EXPECT_TRUE(button.IsWindowVisible());
    EXPECT_TRUE(button.GetStyle() & SS_NOTIFY);

    skin.section(L"[mv_btn_test]").bools[L"not_used"] = true;
    load(XBUTTON_PUSH);
    EXPECT_FALSE(button.IsWindowVisible());
    send(WM_LBUTTONDOWN);
    send(WM_LBUTTONUP);
    EXPECT_EQ(takeCommands(), Commands{}) << "a button that is not used ignores clicks";
}

TEST_F(SkinnedButton, PushButtonShowsEachStateOfTheTable)
{
    load(XBUTTON_PUSH);

    EXPECT_EQ(face(), kUp);
    send(WM_MOUSEMOVE);
    EXPECT_EQ(face(), kMouseOver);
    send(WM_LBUTTONDOWN, kInside, MK_LBUTTON);
    EXPECT_EQ(face(), kDown);
    send(WM_LBUTTONUP);
    // Releasing the capture ends the hover until the pointer moves again.
    EXPECT_EQ(face(), kUp);
    send(WM_MOUSEMOVE);
    EXPECT_EQ(face(), kMouseOver);
    send(WM_MOUSELEAVE);
    EXPECT_EQ(face(), kUp);
    button.setEnabled(false);
    EXPECT_EQ(face(), kDisabled);
    send(WM_MOUSEMOVE);
    send(WM_LBUTTONDOWN, kInside, MK_LBUTTON);
    EXPECT_EQ(face(), kDisabled);
    send(WM_LBUTTONUP);
    EXPECT_EQ(face(), kDisabled);
    EXPECT_EQ(takeCommands(), (Commands{{kId, XBN_PRESSED}, {kId, XBN_CLICKED}, {kId, XBN_RELEASED}}))
        << "the disabled button sent nothing";
    EXPECT_EQ(listener.events, (std::vector<int>{kId, -kId, kId, -kId, kId}));
}

TEST_F(SkinnedButton, ScreenshotsOfTheStatesWithACaption)
{
    auto& section = skin.section(L"[mv_btn_test]");
    section.texts[L"caption"] = L"Save";
    section.horizontalAlignments[L"textHorizontalAlignment"] = DT_CENTER;
    const wchar_t* colourKeys[] = {L"font_color_up", L"font_color_mo", L"font_color_do"};
    for (const wchar_t* key : colourKeys)
        section.colours[key] = RGB(255, 255, 255);
    load(XBUTTON_PUSH);
    const Picture up = CaptureClientArea(button);
    SaveScreenshot(up, L"button_push_up");
    send(WM_MOUSEMOVE);
    SaveScreenshot(CaptureClientArea(button), L"button_push_mouseover");
    send(WM_LBUTTONDOWN, kInside, MK_LBUTTON);
    SaveScreenshot(CaptureClientArea(button), L"button_push_down");
    send(WM_LBUTTONUP);
    send(WM_MOUSELEAVE);
    button.setEnabled(false);
    const Picture disabled = CaptureClientArea(button);
    SaveScreenshot(disabled, L"button_push_disabled");
    EXPECT_GT(up.count(RGB(255, 255, 255)), 10) << "caption in its up colour";
    EXPECT_GT(disabled.count(RGB(114, 128, 141)), 10) << "caption in the default disabled colour";
    EXPECT_EQ(disabled.count(RGB(255, 255, 255)), 0);
}

TEST_F(SkinnedButton, PressDragOutAndReleaseSendsPressedAndReleasedButNoClick)
{
    load(XBUTTON_TOGGLE);
    send(WM_MOUSEMOVE);
    send(WM_LBUTTONDOWN, kInside, MK_LBUTTON);
    EXPECT_EQ(::GetCapture(), button.GetSafeHwnd());
    send(WM_MOUSEMOVE, kOutside, MK_LBUTTON);
    send(WM_LBUTTONUP, kOutside);
    EXPECT_EQ(takeCommands(), (Commands{{kId, XBN_PRESSED}, {kId, XBN_RELEASED}}));
    EXPECT_FALSE(button.isOn());
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(SkinnedButton, ButtonDisabledWhileHeldDoesNotClick)
{
    load(XBUTTON_PUSH);
    send(WM_LBUTTONDOWN, kInside, MK_LBUTTON);
    button.setEnabled(false);
    send(WM_LBUTTONUP);
    EXPECT_EQ(takeCommands(), (Commands{{kId, XBN_PRESSED}, {kId, XBN_RELEASED}}));
}

TEST_F(SkinnedButton, ToggleFlipsAtEachClickAndShowsItsOnBitmaps)
{
    load(XBUTTON_TOGGLE);
    clickInside();
    EXPECT_TRUE(button.isOn());
    EXPECT_EQ(face(), kOnUp) << "no hover without a mouse move";
    send(WM_MOUSEMOVE);
    EXPECT_EQ(face(), kOnMouseOver);
    send(WM_LBUTTONDOWN, kInside, MK_LBUTTON);
    EXPECT_EQ(face(), kOnDown);
    send(WM_LBUTTONUP);
    EXPECT_FALSE(button.isOn());
    send(WM_MOUSEMOVE);
    EXPECT_EQ(face(), kMouseOver);
    send(WM_LBUTTONDOWN, kInside, MK_LBUTTON);
    EXPECT_EQ(face(), kDown);
    send(WM_LBUTTONUP);
    EXPECT_TRUE(button.isOn());
    button.setEnabled(false);
    EXPECT_EQ(face(), kOnDisabled);
    EXPECT_EQ(takeCommands().size(), 9u) << "three clicks, each pressed, click, released";
}

TEST_F(SkinnedButton, ToggleWithCaptionsShowsTheCaptionOfItsState)
{
    auto& section = skin.section(L"[mv_btn_test]");
    section.texts[L"caption_up"] = L"Off";
    section.texts[L"caption_do"] = L"On";
    section.colours[L"font_color_up"] = RGB(255, 255, 255);
    section.colours[L"font_color_do"] = RGB(255, 255, 1);
    load(XBUTTON_TOGGLE_CAPTIONS);
    EXPECT_GT(CaptureClientArea(button).count(RGB(255, 255, 255)), 0);
    clickInside();
    send(WM_MOUSELEAVE);
    const Picture on = CaptureClientArea(button);
    EXPECT_EQ(on.count(RGB(255, 255, 255)), 0);
    EXPECT_GT(on.count(RGB(255, 255, 1)), 0);
}

TEST_F(SkinnedButton, IndicatorIgnoresTheMouse)
{
    load(XBUTTON_INDICATOR);
    send(WM_MOUSEMOVE);
    clickInside();
    EXPECT_EQ(takeCommands(), Commands{});
    EXPECT_FALSE(button.isOn());
    EXPECT_EQ(face(), kUp);
    EXPECT_FALSE(button.clearMouseOver());
}

TEST_F(SkinnedButton, WithoutMouseOverTheHoverBitmapsAreNeverShown)
{
    skin.section(L"[mv_btn_test]").bools[L"mouseover"] = false;
    load(XBUTTON_TOGGLE);
    send(WM_MOUSEMOVE);
    EXPECT_EQ(face(), kUp);
    clickInside();
    send(WM_MOUSEMOVE);
    EXPECT_EQ(face(), kOnUp);
    EXPECT_EQ(std::count(listener.events.begin(), listener.events.end(), kId), 0)
        << "no hover, no pointer-entered";
}

TEST_F(SkinnedButton, ClearMouseOverEndsTheHoverLook)
{
    load(XBUTTON_PUSH);
    send(WM_MOUSEMOVE);
    EXPECT_EQ(face(), kMouseOver);
    EXPECT_TRUE(button.clearMouseOver());
    EXPECT_EQ(face(), kUp);
}

TEST_F(SkinnedButton, SpaceBarClicksAndRightButtonNotifies)
{
    load(XBUTTON_PUSH);
    button.SendMessage(WM_KEYDOWN, VK_SPACE);
    EXPECT_EQ(face(), kDown);
    button.SendMessage(WM_KEYUP, VK_SPACE);
    send(WM_RBUTTONDOWN);
    EXPECT_EQ(takeCommands(), (Commands{{kId, XBN_CLICKED}, {kId, XBN_RIGHT_PRESSED}}));

    button.setEnabled(false);
    button.SendMessage(WM_KEYDOWN, VK_SPACE);
    button.SendMessage(WM_KEYUP, VK_SPACE);
    EXPECT_EQ(takeCommands(), Commands{}) << "a disabled button is not clicked by the keyboard";
}

TEST_F(SkinnedButton, MultilineCaptionIsDrawnOnTwoLines)
{
    auto& section = skin.section(L"[mv_btn_test]");
    section.sizes[L"size"] = SIZE{60, 60};
    section.bitmaps[L"bitmap_up"] = {RGB(0, 0, 0), SIZE{60, 60}};
    section.texts[L"caption"] = L"Line1\\nLine2";
    section.colours[L"font_color_up"] = RGB(255, 255, 255);
    section.bools[L"multiline"] = true;
    load(XBUTTON_LABEL);
    const Picture shot = CaptureClientArea(button);
    SaveScreenshot(shot, L"button_multiline_label");
    // Rows with caption pixels form two bands with empty rows between.
    int bands = 0;
    bool inBand = false;
    for (int y = 0; y < shot.height; ++y) {
        const bool written = shot.count(RGB(255, 255, 255), CRect(0, y, shot.width, y + 1)) > 0;
        bands += written && !inBand;
        inBand = written;
    }
    EXPECT_EQ(bands, 2);
}

TEST_F(SkinnedButton, TooltipTextIsCutTo299CharactersAndFollowsTheToggle)
{
    load(XBUTTON_TOGGLE);
    button.setTooltip(IDS_TEST_TOOLTIP_LONG, IDS_TEST_TOOLTIP_ON);
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    EXPECT_EQ(button.OnToolHitTest(kInside, &info), kId);
    EXPECT_EQ(info.hwnd, button.GetSafeHwnd());
    EXPECT_EQ(wcslen(info.lpszText), 299u);
    EXPECT_EQ(info.lpszText[298], L'a' + 298 % 26);
    free(info.lpszText);
    EXPECT_EQ(button.OnToolHitTest(kOutside, &info), -1);

    CToolTipCtrl* toolTip = AfxGetThreadToolTip();
    ASSERT_NE(toolTip, nullptr);
    EXPECT_EQ(toolTip->SendMessage(TTM_GETMAXTIPWIDTH), 1000);
    EXPECT_TRUE(toolTip->GetStyle() & TTS_NOPREFIX);

    clickInside();
    wchar_t text[80] = {};
    info = TOOLINFOW{};
    info.cbSize = sizeof info;
    info.lpszText = text;
    // The mouse move hands itself to the framework, which shows the tool.
    send(WM_MOUSEMOVE);
    EXPECT_EQ(toolTip->SendMessage(TTM_GETTOOLCOUNT), 1);
    ASSERT_TRUE(toolTip->SendMessage(TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ(info.uId, static_cast<UINT_PTR>(kId + 1)) << "the on state is a tool of its own";
    EXPECT_STREQ(text, L"Pause");

    button.setTooltip(0, 0);
    info.lpszText = nullptr;
    button.OnToolHitTest(kInside, &info);
    EXPECT_STREQ(info.lpszText, L"Button without a tip of its own");
    free(info.lpszText);
}
