#include "host/TarviskApp.h"

#include "axis/Axis.h"
#include "host/CustomOccManager.h"
#include "host/HtmlHelp.h"
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
    try {
        if (createEditor(info, provider))
            return true;
    } catch (...) {
        release();
        throw;
    }
    release();
    return false;
}

bool CTarviskApp::createEditor(const CTarvisk::TVSKInitInfo& info,
                               Tarvisk::IAudioCutterServiceProvider* provider)
{
    m_serviceProvider = provider;
    m_skinParser = info.skinParser;
    m_appliedSkin = info.skinParser;
    m_skinMixed = false;

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

    // A thread whose COM the host set up otherwise keeps it; only a call
    // that succeeded is matched by an uninitialise.
    m_comInitialised = SUCCEEDED(CoInitialize(nullptr));
    m_occManager = new CCustomOccManager;
    m_dispatch = new CImpIDispatch;
    AfxEnableControlContainer(m_occManager);

    CBorrowedWnd desktop(GetDesktopWindow());
    m_mainDialog = new CTarviskDlg(&desktop);
    const BOOL created = m_mainDialog->Create(IDD_TARVISK_DIALOG, &desktop);
    if (!created) {
        LogFormat(LOG_ERROR, L"init: the main dialog could not be created");
        return false;
    }

    m_pMainWnd = m_mainDialog;
    m_mainDialog->CenterWindow();
    m_initialised = true;
    return true;
}

bool CTarviskApp::refusedInsideRunningCall(const wchar_t* call) const
{
    // The call's own entry holds one module-state switch.
    if (AFX_MAINTAIN_STATE2::depth() <= 1)
        return false;
    LogFormat(LOG_ERROR,
              L"%s refused: called from inside a running call of the component (an open, the "
              L"save, the About box, an error box); call it again when that call has returned",
              call);
    return true;
}

CallResult CTarviskApp::destroy()
{
    if (refusedInsideRunningCall(L"destroy"))
        return CallResult::Refused;
    release();
    LogFormat(LOG_INFO, L"Tarvisk ended");
    return CallResult::Done;
}

void CTarviskApp::release()
{
    // The help documents the editor, and goes with it.
    CloseHtmlHelp();
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
    m_skinParser = nullptr;
    m_appliedSkin = nullptr;
    m_serviceProvider = nullptr;
    if (m_comInitialised)
        CoUninitialize();
    m_comInitialised = false;
    m_initialised = false;
}

bool CTarviskApp::hasMainWindow() const
{
    return m_mainDialog && ::IsWindow(m_mainDialog->GetSafeHwnd());
}

CallResult CTarviskApp::openFile(const CString& file, const CString& wavFile)
{
    if (!hasMainWindow())
        return CallResult::Failed;
    if (refusedInsideRunningCall(L"openFile"))
        return CallResult::Refused;
    applyLogSettings();
    m_mainDialog->ShowWindow(SW_SHOW);
    return m_mainDialog->openFile(file, wavFile.IsEmpty() ? nullptr : wavFile.GetString());
}

CallResult CTarviskApp::switchSkin(ISkinParser& parser)
{
    if (!hasMainWindow())
        return CallResult::Done;
    if (refusedInsideRunningCall(L"switchSkin"))
        return CallResult::Refused;
    if (m_mainDialog->applySkin(parser)) {
        m_appliedSkin = &parser;
        m_skinMixed = false;
        return CallResult::Done;
    }
    // The windows hold what loaded before the failing part; the last skin
    // that loaded whole takes its place again.
    m_skinMixed = !m_appliedSkin || !m_mainDialog->applySkin(*m_appliedSkin);
    LogFormat(LOG_ERROR, m_skinMixed
                             ? L"switchSkin: the skin did not load, nor the one before it"
                             : L"switchSkin: the skin did not load; the one before it is back");
    return CallResult::Failed;
}

bool CTarviskApp::usesSkin(const ISkinParser& parser) const
{
    return m_skinMixed || m_appliedSkin == &parser;
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
