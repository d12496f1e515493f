#include "Afx.h"

#include "WidgetTestWindow.h"

#include <gtest/gtest.h>

namespace {

constexpr int kNameId = 5;
constexpr int kBoundId = 6;

class NameForm : public WidgetTestWindow {
public:
    NameForm()
    {
        for (int id : {kNameId, kBoundId})
            CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 10, 10 + 30 * (id - kNameId),
                            100, 20, m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            nullptr, nullptr);
    }

    CString name;
    CEdit bound;

protected:
    void DoDataExchange(CDataExchange* exchange) override
    {
        DDX_Control(exchange, kBoundId, bound);
        DDX_Text(exchange, kNameId, name);
    }
};

} // namespace

TEST(DataExchange, TextGoesToTheControlAndBackAndControlsAreBoundOnce)
{
    NameForm form;
    form.name = L"Ringtone 1";
    ASSERT_TRUE(form.UpdateData(FALSE));
    EXPECT_EQ(AfxGetWindowText(form.GetDlgItem(kNameId)), L"Ringtone 1");
    EXPECT_EQ(form.bound.GetSafeHwnd(), form.GetDlgItem(kBoundId));

    ::SetWindowTextW(form.GetDlgItem(kNameId), L"Chorus");
    ASSERT_TRUE(form.UpdateData(TRUE));
    EXPECT_EQ(form.name, L"Chorus");
    EXPECT_EQ(CWnd::FromHandlePermanent(form.GetDlgItem(kBoundId)), &form.bound);
}
