#include "Afx.h"
#include "res/resource.h"
#include "support/AudioFixtures.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

AFX_MODULE_STATE otherModule{};

class StateProbe : public CWnd {
public:
    static constexpr UINT kProbe = WM_APP + 1;
    AFX_MODULE_STATE* seen = nullptr;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == kProbe) {
            seen = AfxGetModuleState();
            return 42;
        }
        return CWnd::WindowProc(msg, wParam, lParam);
    }
};

class ProbeDialog : public CDialog {
public:
    ProbeDialog() : CDialog(IDD_TARVISK_DIALOG) {}
    bool initialised = false;

protected:
    BOOL OnInitDialog() override
    {
        initialised = true;
        return TRUE;
    }
};

} // namespace

TEST(ModuleState, GuardRestoresThePreviousStateOnEveryWayOut)
{
    AFX_MODULE_STATE* const outer = AfxGetModuleState();
    {
        AFX_MANAGE_STATE(&otherModule);
        EXPECT_EQ(AfxGetModuleState(), &otherModule);
        {
            AFX_MANAGE_STATE(AfxGetStaticModuleState());
            EXPECT_EQ(AfxGetModuleState(), AfxGetStaticModuleState());
        }
        EXPECT_EQ(AfxGetModuleState(), &otherModule);
    }
    EXPECT_EQ(AfxGetModuleState(), outer);

    EXPECT_THROW(
        {
            AFX_MANAGE_STATE(&otherModule);
            throw std::runtime_error("way out");
        },
        std::runtime_error);
    EXPECT_EQ(AfxGetModuleState(), outer);
}

TEST(WindowDispatch, MessagesRunInTheModuleThatMadeTheWindowAndDeletingTheObjectDestroysIt)
{
    HWND hwnd = nullptr;
    {
        StateProbe probe;
        {
            AFX_MANAGE_STATE(&otherModule);
            otherModule.m_hCurrentInstanceHandle = GetModuleHandleW(nullptr);
            ASSERT_TRUE(
                probe.CreateEx(0, L"STATIC", L"", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
        }
        hwnd = probe.m_hWnd;
        EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), &probe);
        EXPECT_EQ(probe.SendMessage(StateProbe::kProbe), 42);
        EXPECT_EQ(probe.seen, &otherModule);
        EXPECT_NE(AfxGetModuleState(), &otherModule);
    }
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(Resources, TextsAndDialogsComeInTheModulesResourceLanguage)
{
    AFX_MODULE_STATE* state = AfxGetModuleState();
    CString text;
    const struct {
        LANGID language;
        const wchar_t* expected;
    } texts[] = {{0, L"Error loading skin"},
                 {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), L"Fehler beim Laden des Skins"},
                 {MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), L"スキンを読み込めませんでした"},
                 // A language the module lacks falls back to what it has.
                 {MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN), nullptr}};
    for (const auto& row : texts) {
        state->m_resourceLanguage = row.language;
        EXPECT_TRUE(text.LoadString(IDS_ERROR_LOADING_SKIN));
        if (row.expected) {
            EXPECT_EQ(text, CString(row.expected));
        }
        EXPECT_FALSE(text.IsEmpty());
    }
    EXPECT_FALSE(text.LoadString(64000));
    EXPECT_TRUE(text.IsEmpty());

    state->m_resourceLanguage = MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH);
    CDialog about(IDD_ABOUTBOX);
    ASSERT_TRUE(about.Create(IDD_ABOUTBOX));
    EXPECT_EQ(about.GetWindowText(), L"À propos");
    // Neutral templates serve every language; a modeless dialog starts hidden.
    ProbeDialog main;
    ASSERT_TRUE(main.Create(IDD_TARVISK_DIALOG));
    EXPECT_TRUE(main.initialised);
    EXPECT_FALSE(main.IsWindowVisible());
    wchar_t className[32] = {};
    GetClassNameW(main.m_hWnd, className, 32);
    EXPECT_STREQ(className, L"#32770");
    state->m_resourceLanguage = 0;
}
