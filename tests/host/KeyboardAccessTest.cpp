#include "support/FacadeFixture.h"

#include <oleacc.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kViewId = 999999;

// What a screen reader reads of a window's client object, or of one of the
// parts it draws, asked as another program asks: through WM_GETOBJECT.
struct Heard {
    std::wstring name, value, description, shortcut;
    long role = 0;
    long state = 0;
};

Heard hear(HWND window, long child = CHILDID_SELF)
{
    Heard heard;
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return heard;
    VARIANT part{};
    part.vt = VT_I4;
    part.lVal = child;
    auto text = [&](HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
        BSTR answer = nullptr;
        (object->*get)(part, &answer);
        std::wstring copy = answer ? answer : L"";
        SysFreeString(answer);
        return copy;
    };
    heard.name = text(&IAccessible::get_accName);
    heard.value = text(&IAccessible::get_accValue);
    heard.description = text(&IAccessible::get_accDescription);
    heard.shortcut = text(&IAccessible::get_accKeyboardShortcut);
    VARIANT number{};
    if (object->get_accRole(part, &number) == S_OK)
        heard.role = number.lVal;
    if (object->get_accState(part, &number) == S_OK)
        heard.state = number.lVal;
    object->Release();
    return heard;
}

class KeyboardAccess : public FacadeFixture {
protected:
    void open(const wchar_t* language)
    {
        store.set(L"Common", L"Language", language);
        ASSERT_TRUE(tarvisk.init(info, &saveCounter));
        // Opened with the default cut, 0:10 to 0:20.
        tarvisk.openFile(writeSong(L"song.wav", 40));
    }

    // A key as the host's loop hands it over: to the focused window through
    // PreTranslateMessage, dispatched when the component leaves it.
    void press(UINT key, bool shift = false)
    {
        BYTE keys[256] = {};
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        for (const UINT message : {WM_KEYDOWN, WM_KEYUP}) {
            MSG msg{GetFocus(), message, key, message == WM_KEYUP ? 0xC0000001 : 1, 0, {}};
            if (!tarvisk.PreTranslateMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
    }

    HWND control(int id)
    {
        return id == kViewId ? streamView()
               : id >= 1000  ? GetDlgItem(tarvisk.getMainWindow(), id)
                             : GetDlgItem(editor(), id);
    }
};

} // namespace

// Each key does to the document what its button does; the view's value and
// description tell the position, the cut and the fades.
TEST_F(KeyboardAccess, EachKeyOfTheWaveformChangesTheDocumentAsItsButtonDoes)
{
    open(L"en");
    ASSERT_EQ(GetFocus(), streamView()) << "an opened song gives the waveform the focus";
    const struct {
        UINT key;
        bool shift;
        const wchar_t* value;
        const wchar_t* description;
        int removable = -1; // whether "remove fades" is offered; -1: not asked
    } steps[] = {
        {VK_HOME, false, L"0:00.000 of 0:40.000", L"cut 0:10.0 to 0:20.0"},
        {VK_RIGHT, false, L"0:00.400 of 0:40.000", L"cut 0:10.0 to 0:20.0"},
        {VK_RIGHT, true, L"0:04.400 of 0:40.000", L"cut 0:10.0 to 0:20.0"},
        {'I', false, L"0:04.400 of 0:40.000", L"cut 0:04.4 to 0:20.0"},
        {VK_END, false, L"0:39.999 of 0:40.000", L"cut 0:04.4 to 0:20.0"},
        {VK_LEFT, true, L"0:35.999 of 0:40.000", L"cut 0:04.4 to 0:20.0"},
        {VK_LEFT, true, L"0:31.999 of 0:40.000", L"cut 0:04.4 to 0:20.0"},
        {'O', false, L"0:31.999 of 0:40.000", L"cut 0:04.4 to 0:31.9"},
        {VK_LEFT, true, L"0:27.999 of 0:40.000", L"cut 0:04.4 to 0:31.9"},
        {'F', true, L"0:27.999 of 0:40.000", L"cut 0:04.4 to 0:31.9, fade out 4.0 s", 1},
        {VK_HOME, false, L"0:00.000 of 0:40.000", L"cut 0:04.4 to 0:31.9, fade out 4.0 s", 0},
        {VK_RIGHT, true, L"0:04.000 of 0:40.000", L"cut 0:04.4 to 0:31.9, fade out 4.0 s"},
        {VK_RIGHT, true, L"0:08.000 of 0:40.000", L"cut 0:04.4 to 0:31.9, fade out 4.0 s"},
        {'F', false, L"0:08.000 of 0:40.000",
         L"cut 0:04.4 to 0:31.9, fade in 3.6 s, fade out 4.0 s"},
        {VK_DELETE, false, L"0:08.000 of 0:40.000", L"cut 0:04.4 to 0:31.9", 0},
        // Zoomed in to half the window, a step is half as long.
        {VK_OEM_PLUS, true, L"0:08.000 of 0:40.000", L"cut 0:04.4 to 0:31.9"},
        {VK_RIGHT, false, L"0:08.200 of 0:40.000", L"cut 0:04.4 to 0:31.9"},
        // Zooming out widens each side by half the window, up to the stream's
        // ends: 4 to 24 s becomes 0 to 34 s.
        {VK_SUBTRACT, false, L"0:08.200 of 0:40.000", L"cut 0:04.4 to 0:31.9"},
        {VK_RIGHT, false, L"0:08.540 of 0:40.000", L"cut 0:04.4 to 0:31.9"},
        // Zoomed in to 4.27 to 21.27 s, Page Down scrolls a quarter of that
        // window and takes the position along.
        {VK_ADD, false, L"0:08.540 of 0:40.000", L"cut 0:04.4 to 0:31.9"},
        {VK_NEXT, false, L"0:12.790 of 0:40.000", L"cut 0:04.4 to 0:31.9"},
        {VK_PRIOR, false, L"0:08.540 of 0:40.000", L"cut 0:04.4 to 0:31.9"},
        {VK_OEM_MINUS, false, L"0:08.540 of 0:40.000", L"cut 0:04.4 to 0:31.9"},
        {VK_RIGHT, false, L"0:08.837 of 0:40.000", L"cut 0:04.4 to 0:31.9"},
    };
    for (const auto& step : steps) {
        press(step.key, step.shift);
        const Heard view = hear(streamView());
        EXPECT_EQ(view.value, step.value) << "after key " << step.key;
        EXPECT_EQ(view.description, step.description) << "after key " << step.key;
        if (step.removable >= 0) {
            EXPECT_EQ(!(hear(control(43)).state & STATE_SYSTEM_UNAVAILABLE), step.removable == 1)
                << "remove fades after key " << step.key;
        }
    }
    press(VK_HOME);
    ASSERT_TRUE(hear(control(51)).state & STATE_SYSTEM_UNAVAILABLE) << "scroll left at the start";
    SendMessageW(streamView(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_FALSE(hear(control(51)).state & STATE_SYSTEM_UNAVAILABLE) << "the wheel moved on";
    const HWND stop = control(24);
    press(VK_SPACE);
    EXPECT_FALSE(hear(stop).state & STATE_SYSTEM_UNAVAILABLE) << "Space plays";
    press(VK_SPACE);
    EXPECT_TRUE(hear(stop).state & STATE_SYSTEM_UNAVAILABLE) << "Space again stops";
    press(VK_SPACE, true);
    EXPECT_FALSE(hear(stop).state & STATE_SYSTEM_UNAVAILABLE) << "Shift+Space plays the cut";
    EXPECT_EQ(hear(streamView()).value.substr(0, 6), L"0:04.4") << "from the cut's start";
    press(VK_SPACE);
}

// Tab goes through the enabled controls in reading order and round again;
// Space and Enter press the focused button.
TEST_F(KeyboardAccess, TabTakesTheReadingOrderAndSpaceAndEnterPressTheFocusedButton)
{
    open(L"en");
    press(VK_HOME);
    std::vector<int> order;
    for (int i = 0; i < 16 && (order.empty() || order.back() != kViewId); ++i) {
        press(VK_TAB);
        order.push_back(GetDlgCtrlID(GetFocus()));
    }
    // At the start, before the default cut: no zoom out, stop, cut end,
    // fades or scroll left.
    const std::vector<int> expected{11, 23, 21, 31, 52, 101, 102, 1004, 1002, 1001, 1000, kViewId};
    EXPECT_EQ(order, expected);
    press(VK_TAB, true);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), 1000) << "Shift+Tab goes back";

    press(VK_TAB);
    press(VK_TAB);
    ASSERT_EQ(GetDlgCtrlID(GetFocus()), 11);
    press(VK_SPACE);
    EXPECT_FALSE(hear(control(12)).state & STATE_SYSTEM_UNAVAILABLE) << "Space zoomed in";
    press(VK_RETURN);
    press(VK_TAB, true);
    press(VK_RIGHT);
    EXPECT_EQ(hear(streamView()).value, L"0:00.100 of 0:40.000") << "Enter zoomed in again";
}

// Every control as a screen reader hears it, in two languages.
TEST_F(KeyboardAccess, ScreenReaderHearsNamesRolesStatesAndKeysInTheUiLanguage)
{
    open(L"de");
    press(VK_HOME);
    const struct {
        int id;
        const wchar_t* name;
        long role;
        bool available;
        const wchar_t* shortcut;
    } controls[] = {
        {1004, L"Hilfe", ROLE_SYSTEM_PUSHBUTTON, true, L""},
        {1000, L"beenden", ROLE_SYSTEM_PUSHBUTTON, true, L""},
        {11, L"vergrößern", ROLE_SYSTEM_PUSHBUTTON, true, L"+"},
        {12, L"verkleinern", ROLE_SYSTEM_PUSHBUTTON, false, L"-"},
        {23, L"abspielen", ROLE_SYSTEM_PUSHBUTTON, true, L"Leertaste"},
        {21, L"Ausschnitt abspielen", ROLE_SYSTEM_PUSHBUTTON, true, L"Umschalt+Leertaste"},
        {31, L"Klingelton-Anfang setzen", ROLE_SYSTEM_PUSHBUTTON, true, L"I"},
        {42, L"Ausblenden setzen", ROLE_SYSTEM_PUSHBUTTON, false, L"Umschalt+F"},
        {43, L"Blenden entfernen", ROLE_SYSTEM_PUSHBUTTON, false, L"Entf"},
        {51, L"nach links blättern", ROLE_SYSTEM_PUSHBUTTON, false, L"Bild auf"},
        {101, L"Klingelton speichern", ROLE_SYSTEM_PUSHBUTTON, true, L""},
        {102, L"Klingelton speichern und schließen", ROLE_SYSTEM_PUSHBUTTON, true, L""},
        {kViewId, L"Position", ROLE_SYSTEM_SLIDER, true, L""},
    };
    for (const auto& expected : controls) {
        const Heard heard = hear(control(expected.id));
        EXPECT_EQ(heard.name, expected.name) << expected.id;
        EXPECT_EQ(heard.role, expected.role) << expected.id;
        EXPECT_EQ((heard.state & STATE_SYSTEM_UNAVAILABLE) == 0, expected.available) << expected.id;
        EXPECT_EQ(heard.shortcut, expected.shortcut) << expected.id;
    }
    const Heard view = hear(streamView());
    EXPECT_EQ(view.value, L"0:00.000 von 0:40.000");
    EXPECT_EQ(view.description, L"Ausschnitt 0:10.0 bis 0:20.0");
    EXPECT_EQ(hear(streamView(), 1).name, L"Aktuelle Position: 00:00:00.000");
    EXPECT_EQ(hear(streamView(), 1).role, ROLE_SYSTEM_STATICTEXT);
    const Heard label = hear(control(20));
    EXPECT_EQ(label.name, L"VORHÖREN") << "a label, named by the skin's caption in the language";
    EXPECT_EQ(label.role, ROLE_SYSTEM_STATICTEXT);
}

// A key that moves the position is heard as a new value of the waveform, a
// button that becomes available as a change of its state, Tab as a focus.
TEST_F(KeyboardAccess, MovesAndNewButtonStatesAreAnnouncedToAListeningReader)
{
    open(L"en");
    press(VK_HOME);
    static std::vector<std::pair<DWORD, HWND>> events;
    const HWINEVENTHOOK hook = SetWinEventHook(
        EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE, nullptr,
        [](HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG, DWORD, DWORD) {
            if (object == OBJID_CLIENT)
                events.emplace_back(event, window);
        },
        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    press(VK_RIGHT);
    press(VK_TAB);
    PumpMessages();
    UnhookWinEvent(hook);
    const auto heard = [](DWORD event, HWND window) {
        return std::find(events.begin(), events.end(), std::make_pair(event, window)) !=
               events.end();
    };
    EXPECT_TRUE(heard(EVENT_OBJECT_VALUECHANGE, streamView()));
    EXPECT_TRUE(heard(EVENT_OBJECT_STATECHANGE, control(51))) << "scroll left became available";
    EXPECT_FALSE(heard(EVENT_OBJECT_STATECHANGE, control(23))) << "play stayed as it was";
    EXPECT_TRUE(heard(EVENT_OBJECT_FOCUS, control(11))) << "Tab gave zoom in the focus";
}
