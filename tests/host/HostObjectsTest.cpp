// The component's application object and control container, linked in.
#include "host/CustomControlSite.h"
#include "host/CustomOccManager.h"
#include "host/ImpIDispatch.h"
#include "host/TarviskApp.h"
#include "infra/SystemInfo.h"
#include "res/resource.h"
#include "support/TestText.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class CommandRecorder : public CWnd {
public:
    std::vector<WPARAM> commands;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_COMMAND)
            commands.push_back(wParam);
        return CWnd::WindowProc(msg, wParam, lParam);
    }
};

} // namespace

TEST(ExternalDispatch, KnowsOneNameAndIsFreedOnlyByItsOwner)
{
    CImpIDispatch dispatch;
    const std::pair<const wchar_t*, HRESULT> names[] = {
        {L"xxyyzz", S_OK}, {L"xxyANYTHING", S_OK}, {L"xxz", DISP_E_UNKNOWNNAME}};
    for (const auto& [name, expected] : names) {
        LPOLESTR one[] = {const_cast<LPOLESTR>(name)};
        DISPID id = 0;
        EXPECT_EQ(dispatch.GetIDsOfNames(IID_NULL, one, 1, LOCALE_USER_DEFAULT, &id), expected);
        EXPECT_EQ(id, expected == S_OK ? 12345 : DISPID_UNKNOWN) << Narrow(name);
    }
    LPOLESTR both[] = {const_cast<LPOLESTR>(L"abc"), const_cast<LPOLESTR>(L"xxy")};
    DISPID ids[2] = {};
    EXPECT_EQ(dispatch.GetIDsOfNames(IID_NULL, both, 2, LOCALE_USER_DEFAULT, ids),
              DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
    EXPECT_EQ(ids[1], 12345);

    void* object = nullptr;
    EXPECT_EQ(dispatch.QueryInterface(IID_IDispatch, &object), S_OK);
    EXPECT_EQ(object, static_cast<IDispatch*>(&dispatch));
    EXPECT_EQ(dispatch.QueryInterface(IID_IUnknown, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(dispatch.Release(), 0u);
    EXPECT_EQ(dispatch.Release(), static_cast<ULONG>(-1)) << "nothing is freed at zero";
    UINT count = 0;
    EXPECT_EQ(dispatch.GetTypeInfoCount(&count), E_NOTIMPL);
}

TEST(ControlSite, ManagerMakesSitesThatHostHtmlPlainly)
{
    CCustomOccManager manager;
    COleControlSite* site = manager.CreateSite(nullptr);
    auto* custom = dynamic_cast<CCustomControlSite*>(site);
    ASSERT_NE(custom, nullptr);

    IDocHostUIHandler* handler = nullptr;
    ASSERT_EQ(
        custom->ExternalQueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&handler)),
        S_OK);
    DOCHOSTUIINFO info{};
    info.cbSize = sizeof info;
    info.dwDoubleClick = 99;
    EXPECT_EQ(handler->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, 12u);
    EXPECT_EQ(info.dwDoubleClick, 0u);
    EXPECT_EQ(handler->ShowContextMenu(0, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(handler->TranslateAccelerator(nullptr, nullptr, 0), S_FALSE);
    EXPECT_EQ(handler->EnableModeless(TRUE), E_NOTIMPL);
    EXPECT_EQ(handler->GetDropTarget(nullptr, nullptr), E_NOTIMPL);

    IDispatch* external = nullptr;
    EXPECT_EQ(handler->GetExternal(&external), S_OK);
    EXPECT_EQ(external, &custom->m_dispatch);
    EXPECT_EQ(external->AddRef(), 2u) << "GetExternal added the first reference";

    handler->Release();
    site->ExternalRelease();
}

// The framework's help command, given to the application or arriving at
// any window of the component, becomes the main window's help button.
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
