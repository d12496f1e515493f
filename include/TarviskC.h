/* The C entry of Tarvisk.dll: plain C functions with undecorated names, for
 * hosts written in any language or built with any compiler. No C++ type
 * crosses it; strings are UTF-16 (wchar_t) and the component copies every
 * string it is given. docs/HostGuide.md describes the use step by step.
 *
 * Threading: every function but tarvisk_main_window is called on the host's
 * user-interface thread, the thread that called tarvisk_init; the editor's
 * windows belong to it. A call from another thread changes nothing and
 * returns TARVISK_ERROR_THREAD (tarvisk_pretranslate_message returns 0). The
 * host pumps that thread's messages and offers each one to
 * tarvisk_pretranslate_message before translating and dispatching it.
 *
 * Message pumping: tarvisk_open_file, the save, the About box, the help and
 * the error boxes run loops that dispatch the thread's messages, so the
 * host's window procedures may run while a call of the component is still
 * running. From there tarvisk_open_file, tarvisk_switch_skin and
 * tarvisk_destroy are refused with TARVISK_ERROR_STATE, because the running
 * call still uses what they would change or free: call them again once it
 * has returned. tarvisk_pretranslate_message and tarvisk_main_window may be
 * called from there. A WM_QUIT taken from the queue by such a loop is posted
 * again, so the host's own loop still sees it.
 *
 * Every refusal writes one line saying why, at level Error, to the
 * component's log (or to the debugger output while the log has no level
 * yet); tarvisk_pretranslate_message never logs. No function lets a C++
 * exception out: an unexpected failure inside returns TARVISK_ERROR_FAILED. */
#ifndef TARVISK_C_H
#define TARVISK_C_H

#include <stdint.h>
#include <wchar.h>
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef TARVISK_BUILDING_DLL
#define TARVISK_C_API __declspec(dllexport)
#else
#define TARVISK_C_API __declspec(dllimport)
#endif

/* Results of the functions returning int. */
enum TarviskResult {
    TARVISK_OK = 0,
    /* A null pointer, a wrong size or a required text missing. */
    TARVISK_ERROR_ARGUMENT = -1,
    /* The skin folder has no skin.ini, or the skin did not load. */
    TARVISK_ERROR_SKIN = -2,
    /* The settings file cannot be written. */
    TARVISK_ERROR_SETTINGS = -3,
    /* tarvisk_init has not run (or tarvisk_destroy ended it), it ran already,
     * or the call came from inside a running call of the component. */
    TARVISK_ERROR_STATE = -4,
    /* Called on another thread than the one that called tarvisk_init. */
    TARVISK_ERROR_THREAD = -5,
    /* The file did not open; the user has seen why in an error box. */
    TARVISK_ERROR_OPEN = -6,
    /* The editor could not be created, or an unexpected failure inside. */
    TARVISK_ERROR_FAILED = -7,
    /* The user cancelled the open in its progress window; no box was shown. */
    TARVISK_ERROR_CANCELLED = -8
};

/* A cut the user saved, as the component holds it. Every pointer is valid
 * only during the save call. Times are milliseconds of the opened file. */
typedef struct TarviskSaveRequest {
    const wchar_t* inputFile; /* the file as the host opened it */
    const wchar_t* trackName; /* as typed; empty when the name dialog was cancelled */
    int64_t cutBegin;
    int64_t cutEnd;
    int32_t fadeIn;  /* length from cutBegin; 0 means no fade */
    int32_t fadeOut; /* length back from cutEnd; 0 means no fade */
} TarviskSaveRequest;

/* Writes the cut; called on the user-interface thread while the editor waits
 * (a call of the component is running: see "Message pumping" above). Return
 * nonzero when saved; the component does not act on the result. */
typedef int (*TarviskSaveFunction)(void* context, const TarviskSaveRequest* request);

/* Read during tarvisk_init only; the strings are copied. A null or empty
 * optional text is the same as none. */
typedef struct TarviskHostSetup {
    uint32_t size;               /* sizeof(TarviskHostSetup) */
    const wchar_t* skinFolder;   /* required: a folder holding skin.ini and its files */
    const wchar_t* settingsFile; /* required: an INI file whose folder exists (HostGuide.md) */
    const wchar_t* edition;      /* optional: names the data folder (HostGuide.md) */
    const wchar_t* helpFile;     /* optional: without it the help button only logs */
    TarviskSaveFunction save;    /* required */
    void* saveContext;           /* handed to save unchanged; may be null */
} TarviskHostSetup;

/* Creates the editor, hidden. ARGUMENT, SKIN, SETTINGS, STATE (initialised
 * already), THREAD (initialised on another thread) or FAILED; a failed init
 * leaves nothing behind and may be tried again. */
TARVISK_C_API int tarvisk_init(const TarviskHostSetup* setup);
/* Shows the editor and opens the file in it, pumping messages meanwhile;
 * returns when the open ended: OK, OPEN (the user saw why), CANCELLED,
 * ARGUMENT (null or empty path), STATE or THREAD. */
TARVISK_C_API int tarvisk_open_file(const wchar_t* path);
/* Gives the editor the skin of another folder. SKIN when it has no skin.ini
 * or did not load: the editor then shows the skin it had. The track name
 * dialog keeps the skin of init. */
TARVISK_C_API int tarvisk_switch_skin(const wchar_t* skinFolder);
/* Nonzero when the editor handled the message: then the host neither
 * translates nor dispatches it. 0 for a null message, while the editor is
 * hidden, before init and on another thread. */
TARVISK_C_API int tarvisk_pretranslate_message(MSG* message);
/* The editor's top-level window; null before tarvisk_init and after
 * tarvisk_destroy. Any thread may ask; the window belongs to the thread of
 * init, so another thread may only use it where Windows allows that across
 * threads (PostMessageW, IsWindowVisible). */
TARVISK_C_API HWND tarvisk_main_window(void);
/* Closes the editor and releases everything tarvisk_init made; OK when
 * nothing is initialised. STATE from inside a running call, THREAD. Call it
 * before unloading the DLL. */
TARVISK_C_API int tarvisk_destroy(void);

#ifdef __cplusplus
}
#endif

#endif
