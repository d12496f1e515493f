#pragma once

#include "ConfigStore.h"

class CCutRegion;

// Declares the shared "Common" keys in the host's store, in their fixed
// order, and repairs a missing temporary folder.
void CommonKeys(IConfigStore* store, IHostInfo* hostInfo);
// Declares the component's own "MV_Settings" keys.
void MVSettingsKeys(IConfigStore* store);

IConfigStore* GetConfigStore();
IHostInfo* GetHostInfo();

CString GetTempFolder();
void SetTempFolder(const CString& folder);
// Points TempFolder to a fresh "Verlanis" folder under the system temporary folder.
void ResetTempFolder();
CString GetTraceLevelText();
CString GetLanguage();
CString GetCurrentSkinName();

// Splits text at separator into exactly count unsigned decimal fields.
bool ParseUIntList(const wchar_t* text, wchar_t separator, unsigned* values, int count);

// Typed access to the component's settings, plus values that live only for
// the run (language, work folder, help link).
class CMVSettings {
public:
    virtual ~CMVSettings() = default;

    int GetMinZoomSec();
    bool GetLogarithmicView();
    void GetLogViewParams(int& x0, int& x1, int& s);
    void SetWavFileName(const CString& name);
    CString GetInputFileName();
    void SetInputFileName(const CString& name);
    CString GetInputName();
    void SetInputName(const CString& name);
    int GetInputType(CString& param);
    void SetInputType(int type, const CString& param);
    CString GetInputTitle();
    void SetInputTitle(const CString& title);
    void GetCut(CCutRegion& cut);
    void SetCut(const CCutRegion& cut);
    double GetNormalizationPercent();
    // Threads that decode or measure a file at once: the DecodeThreads
    // setting, or the machine's processors when it is 0; from 1 to 8.
    unsigned GetDecodeThreads();
    int GetTraceLevel();
    CString GetLogFolder();
    CString SetLanguage(const CString& language, bool set);
    CString GetWorkFolder();
    void SetWorkFolder(const CString& folder);
    void SetHelpLink(const CString& link);
    CString GetHelpLink();

private:
    CString m_language;
    bool m_languageSet = false;
    CString m_workFolder;
    CString m_helpLink;
};

CMVSettings& GetMVSettings();
