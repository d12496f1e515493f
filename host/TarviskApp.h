#pragma once

#include "Tarvisk.h"

#include "Afx.h"

class CTarviskDlg;
class CCustomOccManager;
class CImpIDispatch;

// The component's application object: owns the main dialog and borrows the
// host's interfaces between init and destroy.
class CTarviskApp : public CWinApp {
public:
    CTarviskApp();
    ~CTarviskApp() override;

    bool init(const CTarvisk::TVSKInitInfo& info, Tarvisk::IAudioCutterServiceProvider* provider);
    int destroy();
    // opened, when given, learns whether the file opened; the facade reports nothing.
    bool openFile(const CString& file, const CString& wavFile, bool* opened = nullptr);
    bool switchSkin(ISkinParser& parser);
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnSorvenneFullScreenMode(bool on);
    HWND getMainWindow() const;
    BOOL OnCmdMsg(UINT id) override;

    bool isInitialised() const { return m_initialised; }
    ISkinParser* getSkinParser() const { return m_skinParser; }
    Tarvisk::IAudioCutterServiceProvider* getServiceProvider() const { return m_serviceProvider; }

private:
    bool hasMainWindow() const;
    void applyLogSettings();
    void writeBanner();
    void makeWorkFolder();

    CTarviskDlg* m_mainDialog = nullptr;
    ISkinParser* m_skinParser = nullptr;
    CCustomOccManager* m_occManager = nullptr;
    CImpIDispatch* m_dispatch = nullptr;
    Tarvisk::IAudioCutterServiceProvider* m_serviceProvider = nullptr;
    CString m_appliedLogFolder;
    int m_appliedLogLevel = 0;
    bool m_initialised = false;
};

CTarviskApp& GetTarviskApp();
// The language of the component's texts for a Language setting ("en", "de", ...).
LANGID ResourceLanguage(const CString& language);
