/* The C entry of Tarvisk.dll: plain C functions with undecorated names, for
 * hosts written in any language or built with any compiler. No C++ type
 * crosses it; strings are UTF-16 (wchar_t) and the component copies every
 * string it is given. docs/HostGuide.md describes the use step by step.
 *
 * Threading: every function is called on the host's user-interface thread,
 * the thread that called tarvisk_init; the editor's windows belong to it. The
 * host pumps that thread's messages and offers each one to
 * tarvisk_pretranslate_message before translating and dispatching it. */
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
    /* tarvisk_init has not run (or tarvisk_destroy ended it), or it ran already. */
    TARVISK_ERROR_STATE = -4,
    /* Called on another thread than the one that called tarvisk_init. */
    TARVISK_ERROR_THREAD = -5,
    /* The file did not open; the user has seen why in an error box. */
    TARVISK_ERROR_OPEN = -6,
    /* The editor could not be created, or an unexpected failure inside. */
    TARVISK_ERROR_FAILED = -7
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

/* Writes the cut; called on the user-interface thread while the editor waits.
 * Return nonzero when saved; the component does not act on the result. */
typedef int (*TarviskSaveFunction)(void* context, const TarviskSaveRequest* request);

typedef struct TarviskHostSetup {
    uint32_t size;               /* sizeof(TarviskHostSetup) */
    const wchar_t* skinFolder;   /* required: a folder holding skin.ini and its files */
    const wchar_t* settingsFile; /* required: an INI file, read and written at once */
    const wchar_t* edition;      /* optional: names the component's data folder */
    const wchar_t* helpFile;     /* optional: the help file the help button opens */
    TarviskSaveFunction save;    /* required */
    void* saveContext;           /* handed to save unchanged */
} TarviskHostSetup;

/* Creates the editor, hidden. The setup is read during the call only. */
TARVISK_C_API int tarvisk_init(const TarviskHostSetup* setup);
/* Shows the editor and opens the file in it; returns when the open ended. */
TARVISK_C_API int tarvisk_open_file(const wchar_t* path);
/* Gives the editor the skin of another folder. */
TARVISK_C_API int tarvisk_switch_skin(const wchar_t* skinFolder);
/* Nonzero when the editor handled the message: then the host neither
 * translates nor dispatches it. */
TARVISK_C_API int tarvisk_pretranslate_message(MSG* message);
/* The editor's top-level window; null before tarvisk_init. */
TARVISK_C_API HWND tarvisk_main_window(void);
/* Closes the editor and releases everything tarvisk_init made. */
TARVISK_C_API int tarvisk_destroy(void);

#ifdef __cplusplus
}
#endif

#endif
