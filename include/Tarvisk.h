#pragma once

#include "AudioCutterServiceProvider.h"
#include "ConfigStore.h"
#include "SkinParser.h"

#ifdef TARVISK_BUILDING_DLL
#define TARVISK_API __declspec(dllexport)
#else
#define TARVISK_API __declspec(dllimport)
#endif

// The component's only entry point. It holds no data; every operation runs
// under the component's own module state and forwards to its application.
//
// Every operation is called on the thread that called init. openFile,
// switchSkin and destroy are refused (and logged at level Error) when they
// come from inside a running call of the component: from a window procedure
// the open's progress loop dispatches to, from saveCut, or while the About
// box, the help or an error box runs. Call them again once that call has
// returned.
class TARVISK_API CTarvisk {
public:
    struct TVSKInitInfo {
        int reserved = 0;
        ISkinParser* skinParser = nullptr;
        IConfigStore* configStore = nullptr;
        IHostInfo* hostInfo = nullptr;
        CString helpLink;
    };

    CTarvisk();
    ~CTarvisk();
    CTarvisk& operator=(const CTarvisk&);

    static CTarvisk* getInstance();

    bool init(const TVSKInitInfo& info, Tarvisk::IAudioCutterServiceProvider* serviceProvider);
    // Shows the editor and opens the file in it; wavFile, when not empty, names
    // an already decoded WAV of it. The outcome is shown to the user, not returned.
    bool openFile(const CString& file, const CString& wavFile);
    // False when the skin did not load (the editor keeps what it could load)
    // or the call was refused; the parser must live until the next switch
    // that returns true, or until destroy.
    bool switchSkin(ISkinParser& parser);
    // 0 when done; 1 when refused from inside a running call.
    int destroy();
    BOOL PreTranslateMessage(MSG* msg);
    // Keeps the editor above a host that is in full-screen mode.
    void OnSorvenneFullScreenMode(bool on);
    HWND getMainWindow();

private:
    static CTarvisk m_instance;
};
