/* Starts a host program with a file, as a user does, waits until its editor
 * shows the file opened (the play button enabled), closes the editor and
 * waits for the host to end. Exit code 0 when the host opened the file and
 * ended by itself with 0.
 *
 *   HostRunDriver.exe HOST.EXE FILE */
#include <windows.h>

#include <stdio.h>

enum { EDITOR = 1, EXIT_BUTTON = 1000, PLAY = 23, SECONDS = 60 };

struct Search {
    DWORD process;
    HWND editor;
};

static BOOL CALLBACK findEditor(HWND window, LPARAM found)
{
    struct Search* search = (struct Search*)found;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->process || !IsWindowVisible(window))
        return TRUE;
    HWND play = GetDlgItem(GetDlgItem(window, EDITOR), PLAY);
    if (play && IsWindowEnabled(play)) {
        search->editor = window;
        return FALSE;
    }
    return TRUE;
}

int wmain(int argc, wchar_t** argv)
{
    wchar_t command[2 * MAX_PATH + 8];
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION host;
    struct Search search = {0, NULL};
    DWORD exitCode = 1;
    setvbuf(stdout, NULL, _IONBF, 0);
    if (argc != 3)
        return 2;
    swprintf(command, sizeof command / sizeof *command, L"\"%ls\" \"%ls\"", argv[1], argv[2]);
    if (!CreateProcessW(argv[1], command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &host)) {
        printf("the host did not start: error %lu\n", GetLastError());
        return 1;
    }
    search.process = host.dwProcessId;
    for (int tenths = 0; !search.editor && tenths < SECONDS * 10; ++tenths) {
        if (WaitForSingleObject(host.hProcess, 100) == WAIT_OBJECT_0)
            break;
        EnumWindows(findEditor, (LPARAM)&search);
    }
    if (!search.editor) {
        printf("the host showed no editor with the file opened\n");
        TerminateProcess(host.hProcess, 1);
        return 1;
    }
    PostMessageW(search.editor, WM_COMMAND, EXIT_BUTTON, 0);
    if (WaitForSingleObject(host.hProcess, SECONDS * 1000) != WAIT_OBJECT_0) {
        printf("the host did not end after its editor closed\n");
        TerminateProcess(host.hProcess, 1);
        return 1;
    }
    GetExitCodeProcess(host.hProcess, &exitCode);
    printf("the host opened the file and ended with %lu\n", exitCode);
    return exitCode == 0 ? 0 : 1;
}
