// The "?" button of the editor opens the compiled help that lies beside the
// host, in an HTML Help window of the host's process with the help's contents.
#include "Wnd.h"
#include "support/FacadeFixture.h"
#include "support/ProcessWindows.h"
#include "support/AudioFixtures.h"

#include <commctrl.h>

namespace {

std::vector<HWND> helpWindows()
{
    return ProcessWindows(GetCurrentProcessId(), [](HWND w) {
        wchar_t name[16] = {};
        GetClassNameW(w, name, 16);
        return std::wstring(name) == L"HH Parent";
    });
}

HWND findChild(HWND parent, const wchar_t* windowClass)
{
    HWND child = FindWindowExW(parent, nullptr, windowClass, nullptr);
    for (HWND inner = FindWindowExW(parent, nullptr, nullptr, nullptr); !child && inner;
         inner = FindWindowExW(parent, inner, nullptr, nullptr))
        child = findChild(inner, windowClass);
    return child;
}

std::vector<CString> treeTitles(HWND tree)
{
    std::vector<CString> titles;
    for (HTREEITEM item = TreeView_GetRoot(tree); item;
         item = TreeView_GetNextSibling(tree, item)) {
        wchar_t text[128] = {};
        TVITEMW query{};
        query.mask = TVIF_TEXT;
        query.hItem = item;
        query.pszText = text;
        query.cchTextMax = 128;
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
        titles.push_back(text);
    }
    return titles;
}

class HelpWindow : public FacadeFixture {
protected:
    void TearDown() override
    {
        for (HWND help : helpWindows())
            DestroyWindow(help);
        FacadeFixture::TearDown();
    }
};

} // namespace

TEST_F(HelpWindow, HelpButtonOpensTheCompiledHelpWithItsContents)
{
    info.helpLink = ExecutableFolder() + L"\\Tarvisk.chm";
    ASSERT_NE(GetFileAttributesW(info.helpLink), INVALID_FILE_ATTRIBUTES)
        << "built beside the host";
    ASSERT_TRUE(tarvisk.init(info, &saveCounter));
    ASSERT_TRUE(helpWindows().empty());

    // A click on "?" as the host's loop hands it on: posted input, offered
    // to PreTranslateMessage before it is dispatched.
    PostClick(GetDlgItem(tarvisk.getMainWindow(), 1004));
    PumpMessages(0, [&](MSG* msg) { return tarvisk.PreTranslateMessage(msg); });

    const std::vector<HWND> help = helpWindows();
    ASSERT_EQ(help.size(), 1u) << "one visible HTML Help window";
    EXPECT_EQ(AfxGetWindowText(help[0]), L"Tarvisk Ringtone Editor Help");
    const HWND contents = findChild(help[0], WC_TREEVIEWW);
    ASSERT_NE(contents, nullptr) << "the contents pane";
    const std::vector<CString> expected{L"Tarvisk Ringtone Editor",
                                        L"Opening a file",
                                        L"Zoom and scroll",
                                        L"Marking the cut",
                                        L"Fades",
                                        L"Play and play cut",
                                        L"Saving the ringtone",
                                        L"Using the keyboard",
                                        L"Error messages"};
    EXPECT_EQ(treeTitles(contents), expected);

    // Nothing of the component runs while the help is open, so destroy is
    // done at once and takes the help with it.
    EXPECT_EQ(tarvisk.destroy(), 0);
    EXPECT_TRUE(helpWindows().empty());
}
