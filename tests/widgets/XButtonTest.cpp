#include "widgets/XButton.h"

#include "ToolTipCtrl.h"
#include "WidgetTestWindow.h"
#include "WidgetsTestResources.h"
#include "support/TestSkinParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace {

constexpr SIZE kSize{60, 24};
constexpr COLORREF kAny = CLR_INVALID;
constexpr COLORREF kUp = RGB(200, 0, 0), kDown = RGB(0, 0, 200), kMouseOver = RGB(0, 200, 0),
                   kDisabled = RGB(128, 128, 128), kOnUp = RGB(200, 200, 0),
                   kOnDown = RGB(0, 200, 200), kOnMouseOver = RGB(100, 0, 100),
                   kOnDisabled = RGB(90, 60, 30);
const CPoint kInside(10, 10);
const CPoint kOutside(200, 100);
constexpr int kId = IDC_TEST_BUTTON;
using Commands = std::vector<std::pair<int, int>>;

class RecordingListener : public IXActionListener {
public:
    void pointerEntered(int id) override { events.push_back(id); }
    void pointerLeft(int id) override { events.push_back(-id); }
    std::vector<int> events;
};

// A button with a picture of its own colour for each state, in a window.
class SkinnedButton : public testing::Test {
protected:
    SkinnedButton()
    {
        auto& section = skin.section(L"[mv_btn_test]");
        section.positions[L"position"] = {POINT{10, 10}, POINT{0, 0}};
        section.sizes[L"size"] = kSize;
        const wchar_t* keys[] = {L"bitmap_up",    L"bitmap_do",    L"bitmap_mo",
                                 L"bitmap_da",    L"bitmap_on_up", L"bitmap_on_do",
                                 L"bitmap_on_mo", L"bitmap_on_da"};
        const COLORREF colours[] = {kUp,   kDown,   kMouseOver,   kDisabled,
                                    kOnUp, kOnDown, kOnMouseOver, kOnDisabled};
        for (int i = 0; i < 8; ++i)
            section.bitmaps[keys[i]] = {colours[i], kSize};
        button.create(WS_CHILD, CRect(0, 0, 1, 1), &window, kId, 0);
        button.addListener(&listener);
    }

    void load(int kind) { ASSERT_TRUE(button.load(skin, L"[mv_btn_test]", kind)); }
    LRESULT send(UINT msg, CPoint point = kInside, WPARAM flags = 0)
    {
        return button.SendMessage(msg, flags, MAKELPARAM(point.x, point.y));
    }
    void clickInside()
    {
        send(WM_LBUTTONDOWN, kInside, MK_LBUTTON);
        send(WM_LBUTTONUP);
    }
    // The colour of the whole face, or CLR_INVALID when it is not one colour.
    COLORREF face()
    {
        const Picture shot = CaptureClientArea(button);
        const COLORREF first = shot.at(0, 0);
        return shot.count(first) == shot.width * shot.height ? first : CLR_INVALID;
    }

    WidgetTestWindow window;
    TestSkinParser skin;
    CXButton button;
    RecordingListener listener;
};

// A message to the button, or one of the owner's calls, and the face shown
// afterwards (kAny: not checked).
struct Step {
    UINT msg;
    COLORREF face = kAny;
    CPoint at = kInside;
    WPARAM flags = 0;
};
constexpr UINT kDisable = WM_APP, kClearHover = WM_APP + 1, kClearNoHover = WM_APP + 2;

struct Scenario {
    const char* name;
    int kind;
    bool mouseOver;
    std::vector<Step> steps;
    Commands commands;
    std::optional<bool> on; // a click flips it for every kind
    int entered;            // pointer-entered notifications
};

// Names the scenario in the case's description.
void PrintTo(const Scenario& scenario, std::ostream* out)
{
    *out << scenario.name;
}

constexpr UINT kMove = WM_MOUSEMOVE, kLeave = WM_MOUSELEAVE, kRelease = WM_LBUTTONUP;
Step press(COLORREF face = kAny)
{
    return {WM_LBUTTONDOWN, face, kInside, MK_LBUTTON};
}
Step space(UINT msg, COLORREF face = kAny)
{
    return {msg, face, kInside, VK_SPACE};
}
Commands clicks(int count)
{
    Commands commands;
    for (int i = 0; i < count; ++i)
        commands.insert(commands.end(),
                        {{kId, XBN_PRESSED}, {kId, XBN_CLICKED}, {kId, XBN_RELEASED}});
    return commands;
}
const Commands kPressAndRelease = {{kId, XBN_PRESSED}, {kId, XBN_RELEASED}};

// clang-format off
const Scenario kScenarios[] = {
    // Releasing the capture ends the hover until the pointer moves again; a
    // disabled button shows its picture and sends nothing.
    {"push", XBUTTON_PUSH, true,
     {{0, kUp}, {kMove, kMouseOver}, press(kDown), {kRelease, kUp}, {kMove, kMouseOver},
      {kLeave, kUp}, {kDisable, kDisabled}, {kMove}, press(kDisabled), {kRelease, kDisabled}},
     clicks(1), true, 3},
    {"press, drag out and release: no click", XBUTTON_TOGGLE, true,
     {{kMove}, press(), {kMove, kAny, kOutside, MK_LBUTTON}, {kRelease, kAny, kOutside}},
     kPressAndRelease, false, 1},
    {"disabled while held: no click", XBUTTON_PUSH, true,
     {press(), {kDisable}, {kRelease}}, kPressAndRelease, false, 0},
    {"toggle: on and off pictures", XBUTTON_TOGGLE, true,
     {press(), {kRelease, kOnUp}, {kMove, kOnMouseOver}, press(kOnDown), {kRelease},
      {kMove, kMouseOver}, press(kDown), {kRelease}, {kDisable, kOnDisabled}},
     clicks(3), true, 2},
    {"indicator ignores the mouse", XBUTTON_INDICATOR, true,
     {{kMove}, press(), {kRelease, kUp}, {kClearNoHover}}, {}, false, 1},
    {"without mouse-over no hover picture", XBUTTON_TOGGLE, false,
     {{kMove, kUp}, press(), {kRelease}, {kMove, kOnUp}}, clicks(1), true, 0},
    {"clearing the hover", XBUTTON_PUSH, true,
     {{kMove, kMouseOver}, {kClearHover, kUp}}, {}, false, 1},
    {"space bar clicks, right button notifies, a disabled button ignores the keys", XBUTTON_PUSH, true,
     {space(WM_KEYDOWN, kDown), space(WM_KEYUP), {WM_RBUTTONDOWN}, {kDisable}, space(WM_KEYDOWN),
      space(WM_KEYUP)},
     {{kId, XBN_CLICKED}, {kId, XBN_RIGHT_PRESSED}}, std::nullopt, 0},
};
// clang-format on

} // namespace

TEST_F(SkinnedButton, LoadPlacesAndShowsTheButtonAtItsSkinSize)
{
    EXPECT_FALSE(button.load(skin, L"[mv_btn_test]", 5));
    EXPECT_FALSE(button.load(skin, L"[mv_btn_none]", XBUTTON_PUSH));
    // Anchored in percent of the 300 x 200 parent, plus the offset.
    skin.section(L"[mv_btn_test]").positions[L"position"] = {POINT{-20, -30}, POINT{50, 100}};
    load(XBUTTON_PUSH);
    CRect placed;
    button.GetWindowRect(&placed);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed, CRect(CPoint(130, 170), kSize));
    EXPECT_TRUE(button.IsWindowVisible());
    EXPECT_TRUE(button.GetStyle() & SS_NOTIFY);

    skin.section(L"[mv_btn_test]").bools[L"not_used"] = true;
    load(XBUTTON_PUSH);
    EXPECT_FALSE(button.IsWindowVisible());
    clickInside();
    EXPECT_EQ(window.commands, Commands{}) << "a button that is not used ignores clicks";
}

class SkinnedButtonStates : public SkinnedButton, public testing::WithParamInterface<Scenario> {};

TEST_P(SkinnedButtonStates, EveryKindShowsTheFaceAndSendsTheCommandsOfItsState)
{
    const Scenario& scenario = GetParam();
    SCOPED_TRACE(scenario.name);
    skin.section(L"[mv_btn_test]").bools[L"mouseover"] = scenario.mouseOver;
    load(scenario.kind);
    for (const Step& step : scenario.steps) {
        if (step.msg == kDisable) {
            button.setEnabled(false);
        } else if (step.msg == kClearHover || step.msg == kClearNoHover) {
            EXPECT_EQ(button.clearMouseOver(), step.msg == kClearHover);
        } else if (step.msg == kMove && step.flags == MK_LBUTTON) {
            EXPECT_EQ(::GetCapture(), button.GetSafeHwnd()) << "held buttons capture";
        }
        if (step.msg && step.msg < WM_APP)
            button.SendMessage(step.msg, step.flags, MAKELPARAM(step.at.x, step.at.y));
        if (step.face != kAny) {
            EXPECT_EQ(face(), step.face) << "after step " << (&step - &scenario.steps[0]);
        }
    }
    EXPECT_EQ(window.commands, scenario.commands);
    if (scenario.on) {
        EXPECT_EQ(button.isOn(), *scenario.on);
    }
    EXPECT_EQ(::GetCapture(), nullptr);
    const auto& events = listener.events;
    EXPECT_EQ(std::count(events.begin(), events.end(), kId), scenario.entered);
    // The hover is entered once until it ends.
    EXPECT_EQ(std::adjacent_find(events.begin(), events.end(),
                                 [](int a, int b) { return a == kId && b == kId; }),
              events.end());
}

INSTANTIATE_TEST_SUITE_P(, SkinnedButtonStates, testing::ValuesIn(kScenarios));

TEST_F(SkinnedButton, CaptionsShowInTheColourOfTheStateAndOnTheirLines)
{
    auto& section = skin.section(L"[mv_btn_test]");
    section.texts[L"caption"] = L"Save";
    section.horizontalAlignments[L"textHorizontalAlignment"] = DT_CENTER;
    for (const wchar_t* key : {L"font_color_up", L"font_color_mo", L"font_color_do"})
        section.colours[key] = RGB(255, 255, 255);
    load(XBUTTON_PUSH);
    const Picture up = CaptureClientArea(button);
    button.setEnabled(false);
    const Picture disabled = CaptureClientArea(button);
    EXPECT_GT(up.count(RGB(255, 255, 255)), 10) << "caption in its up colour";
    EXPECT_GT(disabled.count(RGB(114, 128, 141)), 10) << "caption in the default disabled colour";
    EXPECT_EQ(disabled.count(RGB(255, 255, 255)), 0);

    // A toggle with captions shows the caption of its state.
    button.setEnabled(true);
    section.texts[L"caption_up"] = L"Off";
    section.texts[L"caption_do"] = L"On";
    section.colours[L"font_color_do"] = RGB(255, 255, 1);
    load(XBUTTON_TOGGLE_CAPTIONS);
    ASSERT_FALSE(button.isOn());
    const Picture off = CaptureClientArea(button);
    EXPECT_GT(off.count(RGB(255, 255, 255)), 0);
    EXPECT_EQ(off.count(RGB(255, 255, 1)), 0);
    clickInside();
    send(WM_MOUSELEAVE);
    const Picture on = CaptureClientArea(button);
    EXPECT_EQ(on.count(RGB(255, 255, 255)), 0);
    EXPECT_GT(on.count(RGB(255, 255, 1)), 0);

    // A multiline label: rows with caption pixels form two bands.
    section.sizes[L"size"] = SIZE{60, 60};
    section.bitmaps[L"bitmap_up"] = {RGB(0, 0, 0), SIZE{60, 60}};
    section.texts[L"caption"] = L"Line1\\nLine2";
    section.bools[L"multiline"] = true;
    load(XBUTTON_LABEL);
    const Picture shot = CaptureClientArea(button);
    int bands = 0;
    bool inBand = false;
    for (int y = 0; y < shot.height; ++y) {
        const bool written = shot.count(RGB(255, 255, 255), CRect(0, y, shot.width, y + 1)) > 0;
        bands += written && !inBand;
        inBand = written;
    }
    EXPECT_EQ(bands, 2);
}

TEST_F(SkinnedButton, TooltipTextIsCutTo299CharactersAndGoesToTheThreadsTooltip)
{
    load(XBUTTON_PUSH);
    button.setTooltip(IDS_TEST_TOOLTIP_LONG, 0);
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    EXPECT_EQ(button.OnToolHitTest(kInside, &info), kId);
    EXPECT_EQ(info.hwnd, button.GetSafeHwnd());
    EXPECT_EQ(wcslen(info.lpszText), 299u);
    EXPECT_EQ(info.lpszText[298], L'a' + 298 % 26);
    free(info.lpszText);
    EXPECT_EQ(button.OnToolHitTest(kOutside, &info), -1);

    // The mouse move hands itself to the framework, which shows the tool.
    send(WM_MOUSEMOVE);
    CToolTipCtrl* toolTip = AfxGetThreadToolTip();
    ASSERT_NE(toolTip, nullptr);
    EXPECT_EQ(toolTip->SendMessage(TTM_GETTOOLCOUNT), 1);
}

// Keyboard focus shows a 2-pixel ring: inverted over a skin without a focus
// colour, in the colour of one that has it. A click's focus shows none until
// the next key.
TEST_F(SkinnedButton, KeyboardFocusShowsARingInTheSkinsColourOrInvertedAndAClicksFocusNone)
{
    load(XBUTTON_PUSH);
    const auto ring = [this] {
        const Picture shot = CaptureClientArea(button);
        EXPECT_EQ(shot.at(2, 2), kUp) << "inside the ring";
        return std::make_pair(shot.at(0, 0), shot.at(1, kSize.cy - 2));
    };
    button.SetFocus();
    const COLORREF inverted = RGB(255 - 200, 255, 255);
    EXPECT_EQ(ring(), std::make_pair(inverted, inverted));
    const COLORREF amber = RGB(255, 204, 0);
    skin.section(L"[mv_btn_test]").colours[L"color_focus"] = amber;
    load(XBUTTON_PUSH);
    EXPECT_EQ(ring(), std::make_pair(amber, amber));
    clickInside();
    EXPECT_EQ(face(), kUp) << "no ring after a click";
    send(WM_KEYDOWN, CPoint(), VK_TAB);
    EXPECT_EQ(ring(), std::make_pair(amber, amber)) << "a key shows it again";
    ::SetFocus(nullptr);
    EXPECT_EQ(face(), kUp) << "none without the focus";
}
