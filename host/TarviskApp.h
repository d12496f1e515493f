#pragma once

#include "Tarvisk.h"

#include "Afx.h"
#include "host/CallResult.h"

class CTarviskDlg;
class CCustomOccManager;
class CImpIDispatch;

// The component's application object: owns the main dialog and borrows the
// host's interfaces between init and destroy.
class CTarviskApp : public CWinApp {
public:
    CTarviskApp();
    ~CTarviskApp() override;

    // False, or an exception, leaves nothing behind: init may be tried again.
    bool init(const CTarvisk::TVSKInitInfo& info, Tarvisk::IAudioCutterServiceProvider* provider);
    CallResult destroy();
    CallResult openFile(const CString& file, const CString& wavFile);
    // A failed switch puts the last skin that loaded back.
    CallResult switchSkin(ISkinParser& parser);
    // Whether the windows may hold objects the parser handed out: it is the
    // skin shown, or a failed switch could not put the one before it back.
    bool usesSkin(const ISkinParser& parser) const;
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnSorvenneFullScreenMode(bool on);
    HWND getMainWindow() const;
    BOOL OnCmdMsg(UINT id) override;

    bool isInitialised() const { return m_initialised; }
    ISkinParser* getSkinParser() const { return m_skinParser; }
    // The skin the windows show: the init record's, or the last switched to.
    ISkinParser* getAppliedSkin() const { return m_appliedSkin; }
    Tarvisk::IAudioCutterServiceProvider* getServiceProvider() const { return m_serviceProvider; }

private:
    bool createEditor(const CTarvisk::TVSKInitInfo& info,
                      Tarvisk::IAudioCutterServiceProvider* provider);
    bool hasMainWindow() const;
    bool refusedInsideRunningCall(const wchar_t* call) const;
    void release();
    void applyLogSettings();
    void writeBanner();
    void makeWorkFolder();

    CTarviskDlg* m_mainDialog = nullptr;
    ISkinParser* m_skinParser = nullptr;
    ISkinParser* m_appliedSkin = nullptr;
    bool m_skinMixed = false;
    CCustomOccManager* m_occManager = nullptr;
    CImpIDispatch* m_dispatch = nullptr;
    Tarvisk::IAudioCutterServiceProvider* m_serviceProvider = nullptr;
    CString m_appliedLogFolder;
    int m_appliedLogLevel = 0;
    bool m_comInitialised = false;
    bool m_initialised = false;
};

CTarviskApp& GetTarviskApp();
// The language of the component's texts for a Language setting ("en", "de", ...).
LANGID ResourceLanguage(const CString& language);
