#include "import/ProgressDlg.h"
#include "res/resource.h"

#include "support/Pixels.h"

#include <gtest/gtest.h>

namespace {

CString itemText(const CWnd& dialog, int id)
{
    wchar_t text[512] = L"";
    GetDlgItemTextW(dialog.GetSafeHwnd(), id, text, 512);
    return text;
}

void pressCancel(CProgressDlg& dialog)
{
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                       reinterpret_cast<LPARAM>(dialog.GetDlgItem(IDCANCEL)));
}

} // namespace

TEST(ProgressDlg, TitleTextsBarAndCancelWhileShown)
{
    CProgressDlg dialog;
    ASSERT_TRUE(dialog.create(IDS_OPEN_FILE_TITLE, nullptr));
    wchar_t title[64] = L"";
    GetWindowTextW(dialog.GetSafeHwnd(), title, 64);
    EXPECT_STREQ(title, L"Open file");
    EXPECT_FALSE(dialog.IsWindowVisible());

    dialog.setTextId(IDS_DECODING_FILE);
    EXPECT_EQ(itemText(dialog, IDC_PROGRESS_TEXT), L"decoding file");
    dialog.setSubText(L"song.mp3");
    EXPECT_EQ(itemText(dialog, IDC_PROGRESS_TEXT), L"decoding file\r\nsong.mp3");
    dialog.setText(L"next step");
    EXPECT_EQ(itemText(dialog, IDC_PROGRESS_TEXT), L"next step") << "setText clears the sub text";
    dialog.setSubTextId(IDS_CREATING_DAT);
    EXPECT_EQ(itemText(dialog, IDC_PROGRESS_TEXT), L"next step\r\ncreating visualization file");

    pressCancel(dialog);
    EXPECT_FALSE(dialog.isCancelled()) << "a hidden dialog ignores Cancel";
    dialog.show(true);
    dialog.setRange(5000);
    const HWND bar = dialog.GetDlgItem(IDC_PROGRESS_BAR);
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 5000);
    dialog.setPos(1200);
    dialog.offsetPos(300);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 1500);
    dialog.setRange(100);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 0) << "a new range starts at 0";

    pressCancel(dialog);
    EXPECT_TRUE(dialog.isCancelled());
    EXPECT_TRUE(dialog.IsWindowVisible()) << "Cancel neither closes nor hides";
    dialog.show(false);
    EXPECT_TRUE(dialog.isCancelled()) << "once cancelled, always cancelled";
}

TEST(ProgressDlg, HalfwayShowsHalfABarUnderTheTwoLineText)
{
    CProgressDlg dialog;
    ASSERT_TRUE(dialog.create(IDS_OPEN_FILE_TITLE, nullptr));
    dialog.setTextId(IDS_DECODING_FILE);
    dialog.setSubText(L"C:\\music\\song.mp3");
    dialog.show(true);
    dialog.setRange(1000);
    dialog.setPos(500);
    PumpMessages();

    const HWND bar = dialog.GetDlgItem(IDC_PROGRESS_BAR);
    const Picture shot = CaptureClientArea(bar);
    ASSERT_GT(shot.width, 60);
    // Bands on either side, clear of the centred "50%".
    const COLORREF fill = GetSysColor(COLOR_ACTIVECAPTION);
    const int middle = shot.width / 2;
    const RECT filledBand{2, 2, middle - 20, shot.height - 2};
    const RECT emptyBand{middle + 20, 2, shot.width - 2, shot.height - 2};
    const int bandArea =
        (filledBand.right - filledBand.left) * (filledBand.bottom - filledBand.top);
    EXPECT_EQ(shot.count(fill, filledBand), bandArea);
    EXPECT_EQ(shot.count(fill, emptyBand), 0);
    SaveWindowScreenshot(dialog.GetSafeHwnd(), L"progress_dialog_halfway");
}
