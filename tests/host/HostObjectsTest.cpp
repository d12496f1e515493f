#include "host/TarviskApp.h"
#include "infra/SystemInfo.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class CommandRecorder : public CWnd {
public:
    std::vector<WPARAM> commands;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_COMMAND)
            commands.push_back(wParam);
        return CWnd::WindowProc(msg, wParam, lParam);
    }
};

} // namespace

// Given to the application or arriving at any window of the component.
TEST(Application, HelpCommandReachesTheMainWindowAsButton1004)
{
    CommandRecorder window;
    ASSERT_TRUE(window.CreateEx(0, L"STATIC", L"", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
    CTarviskApp& app = GetTarviskApp();
    app.m_pMainWnd = &window;
    EXPECT_TRUE(app.OnCmdMsg(ID_HELP));
    EXPECT_FALSE(app.OnCmdMsg(ID_HELP + 1));
    CommandRecorder other;
    ASSERT_TRUE(other.CreateEx(0, L"STATIC", L"", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
    other.SendMessage(WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0);
    app.m_pMainWnd = nullptr;
    EXPECT_EQ(window.commands, std::vector<WPARAM>(2, MAKEWPARAM(1004, 0)));
    EXPECT_EQ(other.commands, std::vector<WPARAM>{MAKEWPARAM(ID_HELP, 0)});
}

TEST(HostVersion, ReadFromTheExecutablesVersionResource)
{
    EXPECT_EQ(GetHostVersion(), CString(L"2.3.4.5"));
    EXPECT_EQ(GetHostProductName(), CString(L"Facade Test Host"));
}
