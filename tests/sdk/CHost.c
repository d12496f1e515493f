/* A host written in C, through the C entry alone: sets the editor up, opens
 * an MP3, marks a cut with fades by clicking the editor's buttons through its
 * own message loop, saves it under a typed name and closes the editor. The
 * save request must carry the cut exactly as the editor then keeps it in the
 * settings. Exit code 0 when every check holds. */
#include "TarviskC.h"

#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>

enum { EDITOR = 1, EXIT_BUTTON = 1000, TRACK_NAME_EDIT = 1044 };
enum { CUT_BEGIN = 31, CUT_END = 32, FADE_IN = 41, FADE_OUT = 42 };
enum { SCROLL_LEFT = 51, SCROLL_RIGHT = 52, SAVE = 101 };

static int failures;
#define CHECK(condition)                                                                           \
    ((condition) ? 1                                                                               \
                 : (printf("%s:%d: failed: %s\n", __FILE__, __LINE__, #condition), ++failures, 0))

static struct {
    int count;
    wchar_t inputFile[MAX_PATH];
    wchar_t trackName[64];
    TarviskSaveRequest request;
} saved;

static int save(void* context, const TarviskSaveRequest* request)
{
    CHECK(context == &saved);
    ++saved.count;
    saved.request = *request;
    lstrcpynW(saved.inputFile, request->inputFile, MAX_PATH);
    lstrcpynW(saved.trackName, request->trackName, 64);
    return 1;
}

static void pump(void)
{
    MSG message;
    while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
        if (!tarvisk_pretranslate_message(&message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

static void click(int id)
{
    HWND button = GetDlgItem(GetDlgItem(tarvisk_main_window(), EDITOR), id);
    if (!CHECK(button && IsWindowEnabled(button)))
        printf("  button %d\n", id);
    PostMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    pump();
}

/* Plays the user of the modal track name dialog, from inside its loop. */
static int answered;
static BOOL CALLBACK typeName(HWND window, LPARAM unused)
{
    HWND edit = GetDlgItem(window, TRACK_NAME_EDIT);
    (void)unused;
    if (answered || !IsWindowVisible(window) || !edit)
        return TRUE;
    SendMessageW(edit, WM_SETTEXT, 0, (LPARAM)L"C Tone");
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    answered = 1;
    return FALSE;
}

static void CALLBACK answerTrackName(HWND window, UINT message, UINT_PTR id, DWORD time)
{
    (void)window, (void)message, (void)id, (void)time;
    EnumThreadWindows(GetCurrentThreadId(), typeName, 0);
}

static void removeTree(const wchar_t* folder)
{
    wchar_t from[MAX_PATH + 1] = {0}; /* a list ended by an empty name */
    SHFILEOPSTRUCTW operation = {0};
    lstrcpynW(from, folder, MAX_PATH);
    operation.wFunc = FO_DELETE;
    operation.pFrom = from;
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
}

int wmain(void)
{
    wchar_t bin[MAX_PATH], skin[MAX_PATH], song[MAX_PATH], temp[MAX_PATH], work[MAX_PATH],
        settings[MAX_PATH], cut[64], expected[64];
    TarviskHostSetup setup = {sizeof setup};
    setvbuf(stdout, NULL, _IONBF, 0);

    GetModuleFileNameW(NULL, bin, MAX_PATH);
    *wcsrchr(bin, L'\\') = 0;
    swprintf(skin, MAX_PATH, L"%ls\\skins\\default", bin);
    swprintf(song, MAX_PATH, L"%ls\\..\\fixtures\\tone.mp3", bin);
    GetFullPathNameW(song, MAX_PATH, song, NULL);
    GetTempPathW(MAX_PATH, temp);
    swprintf(work, MAX_PATH, L"%lsTarviskCHost%lu", temp, GetCurrentProcessId());
    swprintf(settings, MAX_PATH, L"%ls\\host.ini", work);
    CreateDirectoryW(work, NULL);
    /* The editor's temporary files go to a folder of this run. */
    WritePrivateProfileStringW(L"Common", L"TempFolder", work, settings);

    setup.skinFolder = skin;
    setup.settingsFile = settings;
    setup.edition = L"SdkCHost";
    setup.save = save;
    setup.saveContext = &saved;
    if (CHECK(tarvisk_init(&setup) == TARVISK_OK) && CHECK(tarvisk_open_file(song) == TARVISK_OK)) {
        /* The opened stream shows whole, the position in its middle and the
         * default cut around it: a fade-out from the middle, the cut widened
         * to the stream's start (which puts the position back in the middle),
         * a fade-in to the middle, the cut widened to the stream's end. */
        click(FADE_OUT);
        click(SCROLL_LEFT);
        click(CUT_BEGIN);
        click(FADE_IN);
        click(SCROLL_RIGHT);
        click(CUT_END);

        UINT_PTR timer = SetTimer(NULL, 0, 20, answerTrackName);
        click(SAVE);
        KillTimer(NULL, timer);
        CHECK(answered);

        /* Closing writes the editor's cut to the settings. */
        PostMessageW(tarvisk_main_window(), WM_COMMAND, EXIT_BUTTON, 0);
        pump();
        CHECK(!IsWindowVisible(tarvisk_main_window()));
        GetPrivateProfileStringW(L"MV_Settings", L"Cut", L"", cut, 64, settings);
        swprintf(expected, 64, L"%lld,%lld,%d,%d", (long long)saved.request.cutBegin,
                 (long long)saved.request.cutEnd, (int)saved.request.fadeIn,
                 (int)saved.request.fadeOut);
        printf("cut %ls, saved %ls\n", cut, expected);
        CHECK(saved.count == 1);
        CHECK(lstrcmpW(saved.inputFile, song) == 0);
        CHECK(lstrcmpW(saved.trackName, L"C Tone") == 0);
        CHECK(lstrcmpW(cut, expected) == 0);
        CHECK(saved.request.cutBegin == 0);
        CHECK(saved.request.fadeIn > saved.request.fadeOut && saved.request.fadeOut > 0);
        CHECK(saved.request.cutEnd > saved.request.fadeIn + saved.request.fadeOut);
    }
    CHECK(tarvisk_destroy() == TARVISK_OK);
    CHECK(tarvisk_main_window() == NULL);
    removeTree(work);
    printf(failures ? "FAILED\n" : "PASSED\n");
    return failures ? 1 : 0;
}
