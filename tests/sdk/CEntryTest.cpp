// A host through the C entry of Tarvisk.dll: a session, and what the entry refuses.
#include "TarviskC.h"

#include "res/resource.h"
#include "support/ComponentLog.h"
#include "support/MessageBoxWatcher.h"
#include "support/Pixels.h"
#include "support/ProcessWindows.h"
#include "support/AudioFixtures.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <thread>
#include <tuple>

namespace {

// A host window that on WM_APP calls the entries that change the editor, as a
// host's might while one of the component's loops dispatches its messages, and
// then ends the component's modal dialog if one runs. So does the save.
struct ReentrantHost : CWnd {
    CString song;
    CString skin;
    // Of each open, skin switch and destroy.
    std::vector<std::array<int, 3>> results;

    ReentrantHost() { CreateEx(0, L"STATIC", L"", WS_POPUP, RECT{}, nullptr, 0); }

    void callIn()
    {
        results.push_back({tarvisk_open_file(song), tarvisk_switch_skin(skin), tarvisk_destroy()});
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_APP)
            return CWnd::WindowProc(message, wParam, lParam);
        callIn();
        for (const HWND dialog : ThreadWindows())
            if (GetWindow(dialog, GW_OWNER) == tarvisk_main_window())
                ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return 0;
    }
};

class CEntry : public testing::Test {
protected:
    CEntry()
    {
        setup.size = sizeof setup;
        setup.skinFolder = skin;
        setup.settingsFile = settings;
        setup.edition = edition.name;
        setup.save = [](void*, const TarviskSaveRequest*) { return 1; };
        // The log of the first good init takes the refusals that follow.
        WritePrivateProfileStringW(L"Common", L"TraceLevel", L"Error", settings);
        WritePrivateProfileStringW(L"Common", L"TempFolder", temp.path(), settings);
    }
    ~CEntry() override { tarvisk_destroy(); }

    TempDir temp;
    CString skin = ExecutableFolder() + L"\\skins\\default";
    CString settings = temp.file(L"host.ini");
    TestEdition edition;
    TarviskHostSetup setup{};
};

TEST_F(CEntry, BadSetupsAreRefusedWithTheirResultAndALogLine)
{
    ASSERT_EQ(tarvisk_init(&setup), TARVISK_OK);
    ASSERT_EQ(tarvisk_destroy(), TARVISK_OK);

    const CString locked = temp.file(L"locked.ini");
    HANDLE holder = CreateFileW(locked, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const CString missingFolder = temp.file(L"missing\\host.ini");
    const wchar_t* unwritable = L"cannot be written";
    const auto settingsIn = [](const CString& file) {
        return [file](TarviskHostSetup& s) { s.settingsFile = file; };
    };
    // What is wrong, how the setup is spoilt, the result, what the log line says.
    using Spoil = std::function<void(TarviskHostSetup&)>;
    const std::tuple<const char*, Spoil, int, const wchar_t*> cases[] = {
        {"wrong size", [](auto& s) { s.size -= 8; }, TARVISK_ERROR_ARGUMENT, L"setup size"},
        {"no skin", [](auto& s) { s.skinFolder = nullptr; }, TARVISK_ERROR_ARGUMENT,
         L"are required"},
        {"no save", [](auto& s) { s.save = nullptr; }, TARVISK_ERROR_ARGUMENT, L"are required"},
        {"skin folder without skin.ini", [&](auto& s) { s.skinFolder = temp.path(); },
         TARVISK_ERROR_SKIN, L"has no skin.ini"},
        {"settings folder missing", settingsIn(missingFolder), TARVISK_ERROR_SETTINGS, unwritable},
        {"settings file is a folder", settingsIn(temp.path()), TARVISK_ERROR_SETTINGS, unwritable},
        {"settings file held", settingsIn(locked), TARVISK_ERROR_SETTINGS, unwritable},
    };
    for (const auto& [what, spoil, result, logged] : cases) {
        SCOPED_TRACE(what);
        TarviskHostSetup spoilt = setup;
        spoil(spoilt);
        // Only this case's own lines: three cases log the same text.
        const size_t logEnd = edition.logText().size();
        EXPECT_EQ(tarvisk_init(&spoilt), result);
        EXPECT_EQ(tarvisk_main_window(), nullptr);
        EXPECT_NE(edition.logText().find(logged, logEnd), std::wstring::npos);
    }
    EXPECT_EQ(tarvisk_init(nullptr), TARVISK_ERROR_ARGUMENT);
    EXPECT_NE(edition.logText().find(L"tarvisk_init: no setup"), std::wstring::npos);
    CloseHandle(holder);
    EXPECT_EQ(GetFileAttributesW(missingFolder), INVALID_FILE_ATTRIBUTES) << "nothing made";

    EXPECT_EQ(tarvisk_open_file(L"x.mp3"), TARVISK_ERROR_STATE);
    EXPECT_EQ(tarvisk_switch_skin(skin), TARVISK_ERROR_STATE);
    MSG message{nullptr, WM_KEYDOWN, VK_SPACE, 0, 0, {}};
    EXPECT_EQ(tarvisk_pretranslate_message(&message), 0);
    EXPECT_EQ(tarvisk_destroy(), TARVISK_OK) << "nothing to end";
}

TEST_F(CEntry, CallsAfterInitKeepToItsThreadAndItsRules)
{
    ASSERT_EQ(tarvisk_init(&setup), TARVISK_OK);
    HWND editor = tarvisk_main_window();
    ASSERT_TRUE(IsWindow(editor));
    EXPECT_EQ(tarvisk_init(&setup), TARVISK_ERROR_STATE);

    std::thread([&] {
        EXPECT_EQ(tarvisk_init(&setup), TARVISK_ERROR_THREAD);
        EXPECT_EQ(tarvisk_main_window(), editor) << "any thread may ask";
        EXPECT_EQ(tarvisk_open_file(L"x.mp3"), TARVISK_ERROR_THREAD);
        EXPECT_EQ(tarvisk_switch_skin(skin), TARVISK_ERROR_THREAD);
        MSG message{editor, WM_KEYDOWN, VK_SPACE, 0, 0, {}};
        EXPECT_EQ(tarvisk_pretranslate_message(&message), 0);
        EXPECT_EQ(tarvisk_destroy(), TARVISK_ERROR_THREAD);
    }).join();
    const std::wstring log = edition.logText();
    EXPECT_NE(log.find(L"tarvisk_destroy: called on thread"), std::wstring::npos)
        << Narrow(log.c_str());
    EXPECT_TRUE(IsWindow(editor)) << "the editor outlives a destroy from another thread";

    EXPECT_EQ(tarvisk_switch_skin(temp.path()), TARVISK_ERROR_SKIN);
    // A skin.ini whose bitmaps are missing fails part way; the skin the
    // editor had comes back whole.
    const Picture shown = CaptureClientArea(editor);
    const CString broken = temp.file(L"broken");
    CreateDirectoryW(broken, nullptr);
    CopyFileW(skin + L"\\skin.ini", broken + L"\\skin.ini", FALSE);
    EXPECT_EQ(tarvisk_switch_skin(broken), TARVISK_ERROR_SKIN);
    EXPECT_TRUE(CaptureClientArea(editor) == shown);
    EXPECT_EQ(tarvisk_switch_skin(skin), TARVISK_OK);
    {
        MessageBoxWatcher boxes;
        EXPECT_EQ(tarvisk_open_file(temp.file(L"missing.mp3")), TARVISK_ERROR_OPEN);
        EXPECT_EQ(boxes.texts().size(), 1u) << "the user is told";
    }
    EXPECT_EQ(tarvisk_destroy(), TARVISK_OK);
    EXPECT_FALSE(IsWindow(editor));
}

// A host's session through the C entry and its own message loop: a cut with
// fades marked with the editor's buttons and saved under a typed name. The
// save carries the cut that closing the editor keeps in the settings.
TEST_F(CEntry, ACutMarkedWithTheButtonsIsSavedAsTheSettingsKeepIt)
{
    struct Saved {
        int count = 0;
        std::wstring input, name;
        TarviskSaveRequest request{};
    } saved;
    setup.saveContext = &saved;
    setup.save = [](void* context, const TarviskSaveRequest* request) {
        auto& to = *static_cast<Saved*>(context);
        ++to.count;
        to.request = *request;
        to.input = request->inputFile;
        to.name = request->trackName;
        return 1;
    };
    const CString song = FixturePath(L"tone.mp3");
    ASSERT_EQ(tarvisk_init(&setup), TARVISK_OK);
    ASSERT_EQ(tarvisk_open_file(song), TARVISK_OK);
    // The stream shows whole, the position in its middle inside the default
    // cut: a fade-out from there, the cut widened to the start (which puts the
    // position back in the middle), a fade-in to there, the cut widened to the
    // end; then the save, whose name dialog the timer answers.
    const UINT_PTR typist = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
        for (const HWND dialog : ThreadWindows()) {
            const HWND name = GetDlgItem(dialog, IDC_TRACK_NAME);
            if (name && IsWindowVisible(dialog)) {
                SetWindowTextW(name, L"C Tone");
                PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            }
        }
    });
    for (const int id : {ID_VIEW_FADE_OUT, ID_VIEW_SCROLL_LEFT, ID_VIEW_CUT_BEGIN, ID_VIEW_FADE_IN,
                         ID_VIEW_SCROLL_RIGHT, ID_VIEW_CUT_END, ID_EDITOR_SAVE}) {
        const HWND button = GetDlgItem(GetDlgItem(tarvisk_main_window(), 1), id);
        EXPECT_TRUE(IsWindowEnabled(button)) << id;
        PostClick(button);
        PumpMessages(0, tarvisk_pretranslate_message);
    }
    KillTimer(nullptr, typist);
    PostMessageW(tarvisk_main_window(), WM_COMMAND, IDC_EXIT_BUTTON, 0);
    PumpMessages(0, tarvisk_pretranslate_message);
    EXPECT_FALSE(IsWindowVisible(tarvisk_main_window()));

    const TarviskSaveRequest& cut = saved.request;
    EXPECT_EQ(saved.count, 1);
    EXPECT_EQ(saved.input, song.str());
    EXPECT_EQ(saved.name, L"C Tone");
    wchar_t kept[64] = L"";
    GetPrivateProfileStringW(L"MV_Settings", L"Cut", L"", kept, 64, settings);
    EXPECT_EQ(Narrow(kept), std::to_string(cut.cutBegin) + "," + std::to_string(cut.cutEnd) + "," +
                                std::to_string(cut.fadeIn) + "," + std::to_string(cut.fadeOut));
    EXPECT_EQ(cut.cutBegin, 0);
    EXPECT_TRUE(cut.fadeIn > cut.fadeOut && cut.fadeOut > 0);
    EXPECT_GT(cut.cutEnd, cut.fadeIn + cut.fadeOut);
}

TEST_F(CEntry, CallsFromInsideARunningCallAreRefusedAndTheRunningCallEnds)
{
    ReentrantHost host;
    host.skin = skin;
    host.song = WriteFileBytes(temp.file(L"song.wav"), MakeWavBytes(WAVE_FORMAT_PCM, 1, 8000, 16,
                                                                    std::string(64000, '\x30')));
    setup.save = [](void* context, const TarviskSaveRequest*) {
        static_cast<ReentrantHost*>(context)->callIn();
        return 1;
    };
    setup.saveContext = &host;
    ASSERT_EQ(tarvisk_init(&setup), TARVISK_OK);
    const HWND editor = tarvisk_main_window();

    PostQuitMessage(7);
    PostMessageW(host, WM_APP, 0, 0);
    EXPECT_EQ(tarvisk_open_file(host.song), TARVISK_OK) << "the open goes on to its end";
    MSG quit{};
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && quit.wParam == 7)
        << "the host's loop still gets its quit";
    // The track name dialog, then the save function.
    PostMessageW(host, WM_APP, 0, 0);
    SendMessageW(GetDlgItem(editor, 1), WM_COMMAND, ID_EDITOR_SAVE, 0);
    PostMessageW(host, WM_APP, 0, 0);
    SendMessageW(editor, WM_COMMAND, IDC_ABOUT_BUTTON, 0);

    const std::array<int, 3> refused{TARVISK_ERROR_STATE, TARVISK_ERROR_STATE, TARVISK_ERROR_STATE};
    EXPECT_EQ(host.results, std::vector(4, refused))
        << "inside the open, the name dialog, the save and the About box";
    EXPECT_TRUE(IsWindowVisible(editor));
    EXPECT_NE(edition.logText().find(L"destroy refused: called from inside a running call"),
              std::wstring::npos);
    EXPECT_EQ(tarvisk_destroy(), TARVISK_OK);
    EXPECT_FALSE(IsWindow(editor));
}

} // namespace
