#include "infra/Settings.h"

#include "infra/Logger.h"
#include "infra/Paths.h"
#include "view/CutRegion.h"

#include <algorithm>

namespace {

IConfigStore* g_store = nullptr;
IHostInfo* g_hostInfo = nullptr;

struct CommonKeyPointers {
    VLConfigKey* outputFolder;
    VLConfigKey* tempFolder;
    VLConfigKey* importExportFolder;
    VLConfigKey* language;
    VLConfigKey* traceLevel;
    VLConfigKey* currentSkinName;
} g_common{};

struct MVKeyPointers {
    VLConfigKey* logarithmicView;
    VLConfigKey* logViewX0;
    VLConfigKey* logViewX1;
    VLConfigKey* logViewS;
    VLConfigKey* minZoomSec;
    VLConfigKey* wavFileName;
    VLConfigKey* inputFileName;
    VLConfigKey* inputName;
    VLConfigKey* inputType;
    VLConfigKey* inputParam;
    VLConfigKey* inputTitle;
    VLConfigKey* cut;
    VLConfigKey* normalizationPercent;
    VLConfigKey* decodeThreads;
} g_mv{};

struct KeyDeclaration {
    const wchar_t* name;
    const wchar_t* defaultValue;
    VLConfigKey** pointer; // null for keys declared for others
};

void declare(VLConfigSection* section, const KeyDeclaration& key)
{
    VLConfigKey* record = g_store->AddKey(section, key.name, key.defaultValue);
    if (key.pointer)
        *key.pointer = record;
}

} // namespace

void CommonKeys(IConfigStore* store, IHostInfo* hostInfo)
{
    g_store = store;
    g_hostInfo = hostInfo;
    VLConfigSection* section = store->AddSection(1, L"Common");
    const CString outputFolder = GetDefaultOutputFolder();
    const CString importExportFolder = GetDefaultImportExportFolder();

    declare(section, {L"OutputFolder", outputFolder, &g_common.outputFolder});
    declare(section, {L"TempFolder", L"", &g_common.tempFolder});
    const CString temp = GetTempFolder();
    if (temp.IsEmpty() || GetFileAttributesW(temp) == INVALID_FILE_ATTRIBUTES)
        ResetTempFolder();

    const KeyDeclaration rest[] = {
        {L"ImportExportFolder", importExportFolder, &g_common.importExportFolder},
        {L"Language", L"en", &g_common.language},
        {L"TraceLevel", L"None", &g_common.traceLevel},
        {L"HTTPProxy", L"1", nullptr},
        {L"AutoStart", L"0", nullptr},
        {L"AppWidth", L"-1", nullptr},
        {L"AppHeight", L"-1", nullptr},
        {L"AppPositionX", L"-1", nullptr},
        {L"AppPositionY", L"-1", nullptr},
        {L"AppGuiMOVisible", L"0", nullptr},
        {L"AppGuiTab", L"-1", nullptr},
        {L"AppGuiMPFolded", L"0", nullptr},
        {L"AppGuiTabFolded", L"0", nullptr},
        {L"CurrentSkinName", L"Standard", &g_common.currentSkinName},
        {L"CloseButtonAction", L"AskUser", nullptr},
        {L"DontUseMO", L"0", nullptr},
        {L"AutomatedRestartInProgress", L"0", nullptr},
        {L"AutomaticUpdates", L"1", nullptr},
    };
    for (const auto& key : rest)
        declare(section, key);
}

void MVSettingsKeys(IConfigStore* store)
{
    g_store = store;
    VLConfigSection* section = store->AddSection(1, L"MV_Settings");
    const KeyDeclaration keys[] = {
        {L"TraceAKRip", L"0", nullptr},
        {L"ActiveSkin", L"", nullptr},
        {L"LogarithmicView", L"0", &g_mv.logarithmicView},
        {L"LogViewParam_X0", L"0", &g_mv.logViewX0},
        {L"LogViewParam_X1", L"6000", &g_mv.logViewX1},
        {L"LogViewParam_S", L"1", &g_mv.logViewS},
        {L"MinZoomSec", L"6", &g_mv.minZoomSec},
        {L"BitRate", L"0", nullptr},
        {L"UploadUrl", L"https://tarvisk.example.org/upload", nullptr},
        {L"HomePageUrl", L"https://tarvisk.example.org/", nullptr},
        {L"SupportUrl", L"https://tarvisk.example.org/support", nullptr},
        {L"WavFileName", L"", &g_mv.wavFileName},
        {L"InputFileName", L"", &g_mv.inputFileName},
        {L"InputName", L"", &g_mv.inputName},
        {L"InputType", L"", &g_mv.inputType},
        {L"InputParam", L"", &g_mv.inputParam},
        {L"InputTitle", L"", &g_mv.inputTitle},
        {L"Proxy", L"", nullptr},
        {L"Cut", L"", &g_mv.cut},
        {L"NormalizationPercent", L"89", &g_mv.normalizationPercent},
        {L"WaveOutDevice", L"", nullptr},
        {L"AskWantCDRip", L"1", nullptr},
        {L"DecodeThreads", L"0", &g_mv.decodeThreads},
    };
    for (const auto& key : keys)
        declare(section, key);
}

IConfigStore* GetConfigStore()
{
    return g_store;
}

IHostInfo* GetHostInfo()
{
    return g_hostInfo;
}

CString GetTempFolder()
{
    return g_store->GetString(g_common.tempFolder);
}

void SetTempFolder(const CString& folder)
{
    g_store->SetString(g_common.tempFolder, folder);
}

void ResetTempFolder()
{
    const CString folder = BuildPath(GetDefaultTempMusicDir(), L"Verlanis", nullptr);
    EnsureFolder(folder);
    SetTempFolder(folder);
}

CString GetTraceLevelText()
{
    return g_store->GetString(g_common.traceLevel);
}

CString GetLanguage()
{
    const CString language = g_store->GetString(g_common.language);
    return language.IsEmpty() ? CString(L"en") : language;
}

CString GetCurrentSkinName()
{
    return g_store->GetString(g_common.currentSkinName);
}

bool ParseUIntList(const wchar_t* text, wchar_t separator, unsigned* values, int count)
{
    int stored = 0;
    unsigned field = 0;
    bool hasDigit = false;
    for (const wchar_t* p = text;; ++p) {
        if (*p >= L'0' && *p <= L'9') {
            field = field * 10u + static_cast<unsigned>(*p - L'0');
            hasDigit = true;
        } else if (*p == separator || *p == L'\0') {
            if (!hasDigit || stored >= count)
                return false;
            values[stored++] = field;
            field = 0;
            hasDigit = false;
            if (*p == L'\0')
                break;
        } else {
            return false;
        }
    }
    return stored == count;
}

int CMVSettings::GetMinZoomSec()
{
    const int seconds = g_store->GetInt(g_mv.minZoomSec);
    if (seconds >= 1)
        return seconds;
    g_store->SetInt(g_mv.minZoomSec, 6);
    return g_store->GetInt(g_mv.minZoomSec);
}

bool CMVSettings::GetLogarithmicView()
{
    return g_store->GetBool(g_mv.logarithmicView);
}

void CMVSettings::GetLogViewParams(int& x0, int& x1, int& s)
{
    x0 = g_store->GetInt(g_mv.logViewX0);
    x1 = g_store->GetInt(g_mv.logViewX1);
    s = g_store->GetInt(g_mv.logViewS);
}

void CMVSettings::SetWavFileName(const CString& name)
{
    g_store->SetString(g_mv.wavFileName, name);
}

CString CMVSettings::GetInputFileName()
{
    return g_store->GetString(g_mv.inputFileName);
}

void CMVSettings::SetInputFileName(const CString& name)
{
    g_store->SetString(g_mv.inputFileName, name);
}

CString CMVSettings::GetInputName()
{
    return g_store->GetString(g_mv.inputName);
}

void CMVSettings::SetInputName(const CString& name)
{
    g_store->SetString(g_mv.inputName, name);
}

int CMVSettings::GetInputType(CString& param)
{
    const int type = g_store->GetInt(g_mv.inputType);
    param = g_store->GetString(g_mv.inputParam);
    return type;
}

void CMVSettings::SetInputType(int type, const CString& param)
{
    g_store->SetInt(g_mv.inputType, type);
    g_store->SetString(g_mv.inputParam, param);
}

CString CMVSettings::GetInputTitle()
{
    return g_store->GetString(g_mv.inputTitle);
}

void CMVSettings::SetInputTitle(const CString& title)
{
    g_store->SetString(g_mv.inputTitle, title);
}

void CMVSettings::GetCut(CCutRegion& cut)
{
    const CString text = g_store->GetString(g_mv.cut);
    unsigned fields[4];
    if (ParseUIntList(text, L',', fields, 4)) {
        // Each field is a 32-bit value; the times are sign-extended.
        cut.setBegin(static_cast<int>(fields[0]));
        cut.setEnd(static_cast<int>(fields[1]));
        cut.setFadeIn(static_cast<int>(fields[2]));
        cut.setFadeOut(static_cast<int>(fields[3]));
    }
    cut.validate();
}

void CMVSettings::SetCut(const CCutRegion& cut)
{
    CString text;
    text.Format(L"%I64d,%I64d,%d,%d", cut.begin, cut.end, cut.fadeIn, cut.fadeOut);
    g_store->SetString(g_mv.cut, text);
}

double CMVSettings::GetNormalizationPercent()
{
    const double percent = g_store->GetDouble(g_mv.normalizationPercent);
    return percent >= 10.0 && percent <= 100.0 ? percent : 0.0;
}

unsigned CMVSettings::GetDecodeThreads()
{
    // More threads than this share one disk and one writer for little gain.
    constexpr unsigned kMostThreads = 8;
    const int setting = g_store->GetInt(g_mv.decodeThreads);
    const unsigned wanted = setting > 0 ? static_cast<unsigned>(setting)
                                        : GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
    return std::clamp(wanted, 1u, kMostThreads);
}

int CMVSettings::GetTraceLevel()
{
    return ParseLogLevel(GetTraceLevelText());
}

CString CMVSettings::GetLogFolder()
{
    return ::GetLogFolder();
}

CString CMVSettings::SetLanguage(const CString& language, bool set)
{
    m_language = language;
    m_languageSet = set;
    return m_language;
}

CString CMVSettings::GetWorkFolder()
{
    return m_workFolder.IsEmpty() ? GetSharedDataFolder() : m_workFolder;
}

void CMVSettings::SetWorkFolder(const CString& folder)
{
    m_workFolder = folder;
}

void CMVSettings::SetHelpLink(const CString& link)
{
    m_helpLink = link;
}

CString CMVSettings::GetHelpLink()
{
    return m_helpLink;
}

CMVSettings& GetMVSettings()
{
    static CMVSettings settings;
    return settings;
}
