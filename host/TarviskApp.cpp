#include "host/TarviskApp.h"

#include "axis/Axis.h"
#include "host/CustomOccManager.h"
#include "host/ImpIDispatch.h"
#include "host/TarviskDlg.h"
#include "infra/Logger.h"
#include "infra/Paths.h"
#include "infra/Settings.h"
#include "infra/SystemInfo.h"
#include "infra/TraceChannel.h"
#include "res/resource.h"

#include <mad.h>
#include <vorbis/codec.h>

#include <ctime>

namespace {

// Command of the main dialog's help button.
constexpr UINT kHelpButtonCommand = 1004;

CTarviskApp theApp;

} // namespace

LANGID ResourceLanguage(const CString& language)
{
    static const struct {
        const wchar_t* code;
        LANGID id;
    } languages[] = {{L"de", MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)},
                     {L"fr", MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH)},
                     {L"ja", MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)}};
    for (const auto& entry : languages) {
        if (language.CompareNoCase(entry.code) == 0)
            return entry.id;
    }
    return MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

CTarviskApp& GetTarviskApp()
{
    return theApp;
}

CTarviskApp::CTarviskApp() : CWinApp(nullptr) {}

CTarviskApp::~CTarviskApp() = default;

bool CTarviskApp::init(const CTarvisk::TVSKInitInfo& info,
                       Tarvisk::IAudioCutterServiceProvider* provider)
{
    if (m_initialised)
        return true;
    m_serviceProvider = provider;
    m_skinParser = info.skinParser;

    CommonKeys(info.configStore, info.hostInfo);
    MVSettingsKeys(info.configStore);
    applyLogSettings();
    writeBanner();
    Axis_SetMode(0);
    makeWorkFolder();

    CMVSettings& settings = GetMVSettings();
    settings.SetHelpLink(info.helpLink);
    AfxGetModuleState()->m_resourceLanguage =
        ResourceLanguage(settings.SetLanguage(GetLanguage(), true));

    CoInitialize(nullptr);
    m_occManager = new CCustomOccManager;
    m_dispatch = new CImpIDispatch;
    AfxEnableControlContainer(m_occManager);

    CWnd desktop;
    desktop.m_hWnd = GetDesktopWindow();
    m_mainDialog = new CTarviskDlg(&desktop);
    const BOOL created = m_mainDialog->Create(IDD_TARVISK_DIALOG, &desktop);
    desktop.m_hWnd = nullptr;
    if (!created)
        return false;

    m_pMainWnd = m_mainDialog;
    m_mainDialog->CenterWindow();
    m_initialised = true;
    return true;
}

int CTarviskApp::destroy()
{
    AFX_MODULE_STATE* state = AfxGetModuleState();
    if (state->m_pOccManager == m_occManager)
        state->m_pOccManager = nullptr;
    delete m_occManager;
    m_occManager = nullptr;
    delete m_dispatch;
    m_dispatch = nullptr;
    if (m_mainDialog && m_pMainWnd == m_mainDialog)
        m_pMainWnd = nullptr;
    delete m_mainDialog;
    m_mainDialog = nullptr;
    CoUninitialize();
    m_initialised = false;
    LogFormat(LOG_INFO, L"Tarvisk ended");
    return 0;
}

bool CTarviskApp::hasMainWindow() const
{
    return m_mainDialog && ::IsWindow(m_mainDialog->GetSafeHwnd());
}

bool CTarviskApp::openFile(const CString& file, const CString& wavFile, bool* opened)
{
    if (!hasMainWindow())
        return false;
    applyLogSettings();
    m_mainDialog->ShowWindow(SW_SHOW);
    const bool done = m_mainDialog->openFile(file, wavFile.IsEmpty() ? nullptr : wavFile.GetString());
    if (opened)
        *opened = done;
    return false;
}

bool CTarviskApp::switchSkin(ISkinParser& parser)
{
    if (!hasMainWindow())
        return true;
    return m_mainDialog->applySkin(parser);
}

BOOL CTarviskApp::PreTranslateMessage(MSG* msg)
{
    if (m_mainDialog && m_mainDialog->IsWindowVisible())
        return CWinApp::PreTranslateMessage(msg);
    return FALSE;
}

void CTarviskApp::OnSorvenneFullScreenMode(bool on)
{
    const HWND window = getMainWindow();
    if (::IsWindow(window))
        ::SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE);
}

HWND CTarviskApp::getMainWindow() const
{
    return m_mainDialog ? m_mainDialog->GetSafeHwnd() : nullptr;
}

BOOL CTarviskApp::OnCmdMsg(UINT id)
{
    if (id != ID_HELP)
        return FALSE;
    if (m_pMainWnd)
        m_pMainWnd->SendMessage(WM_COMMAND, MAKEWPARAM(kHelpButtonCommand, 0), 0);
    return TRUE;
}

void CTarviskApp::applyLogSettings()
{
    CMVSettings& settings = GetMVSettings();
    const CString folder = settings.GetLogFolder();
    const int level = settings.GetTraceLevel();
    if (folder == m_appliedLogFolder && level == m_appliedLogLevel)
        return;
    m_appliedLogFolder = folder;
    m_appliedLogLevel = level;
    CLoggerEx& logger = GetLogger();
    logger.SetFilePrefix(BuildPath(folder, L"Log", nullptr));
    logger.SetLevel(level);
}

void CTarviskApp::writeBanner()
{
    wchar_t date[128] = {};
    _wstrdate_s(date, 128);
    CString banner;
    banner.Format(L"\r\nMelvora version %s\r\nStart date: %s\r\nOS: %s\r\nComputer name: %s   "
                  L"User: %s\r\nBuild time: %s, %s\r\n",
                  GetHostVersion().GetString(), date, GetOSVersionString().GetString(),
                  GetComputerNameString().GetString(), GetUserLoginName().GetString(),
                  _CRT_WIDE(__DATE__), _CRT_WIDE(__TIME__));
    GetLogger().SetBanner(banner, true);
    LogFormat(LOG_DEBUG, L"decoders: %S, %S", mad_version, vorbis_version_string());
}

void CTarviskApp::makeWorkFolder()
{
    CString folder = GetTempFolder();
    AppendPathPart(folder, L"Tarvisk");
    if (!AssureDirExists(folder))
        TraceFormat(LOG_ERROR, L"work folder '%s' could not be made", folder.GetString());
    GetMVSettings().SetWorkFolder(folder);
}
