// The C entry: the host's objects of the C++ facade (skin source,
// configuration store, host information, service provider) made here from a
// plain setup record, and every call guarded so that neither a C++ exception
// nor a wrong-thread call reaches a host that cannot handle it.
#include "TarviskC.h"

#include "host/EntryState.h"
#include "host/TarviskApp.h"
#include "hostkit/FolderSkinParser.h"
#include "hostkit/IniConfigStore.h"
#include "infra/Logger.h"

#include <atomic>
#include <memory>
#include <vector>

namespace {

class CEdition : public IHostInfo {
public:
    explicit CEdition(const wchar_t* edition) : m_edition(edition ? edition : L"") {}
    CString GetEdition() override { return m_edition; }

private:
    CString m_edition;
};

// Hands a save to the host's C function; the strings live for the call.
class CSaveForwarder : public Tarvisk::IAudioCutterServiceProvider {
public:
    CSaveForwarder(TarviskSaveFunction save, void* context) : m_save(save), m_context(context) {}

    bool saveCut(const std::wstring& inputFile, const std::wstring& trackName, int64_t cutBegin,
                 int64_t cutEnd, int32_t fadeIn, int32_t fadeOut) override
    {
        const TarviskSaveRequest request{
            inputFile.c_str(), trackName.c_str(), cutBegin, cutEnd, fadeIn, fadeOut};
        return m_save(m_context, &request) != 0;
    }

private:
    TarviskSaveFunction m_save;
    void* m_context;
};

// What the component borrows from the host between init and destroy.
struct CSession {
    explicit CSession(const TarviskHostSetup& setup)
        : store(setup.settingsFile), host(setup.edition), saver(setup.save, setup.saveContext),
          initSkin(setup.skinFolder, &store)
    {
    }

    CIniConfigStore store;
    CEdition host;
    CSaveForwarder saver;
    // Stays for the track name dialog, which always uses the skin of init.
    CFolderSkinParser initSkin;
    // The skins the windows may hold objects of: the one shown, and those of
    // failed switches the editor could not take back from.
    std::vector<std::unique_ptr<CFolderSkinParser>> switchedSkins;
};

// Made, used and ended on the thread of init, whose id other threads may read.
std::unique_ptr<CSession> session;
std::atomic<DWORD> sessionThread{0};
std::atomic<HWND> mainWindow{nullptr};

int refuse(int result, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    CString text;
    text.FormatV(format, args);
    va_end(args);
    LogFormat(LOG_ERROR, L"%s", text.GetString());
    // Before the host's settings gave the log a level the line still reaches the debugger.
    if (GetLogger().GetLevel() < LOG_ERROR)
        OutputDebugStringW(text + L"\n");
    return result;
}

bool isEmpty(const wchar_t* text)
{
    return !text || !*text;
}

bool hasSkinFile(const wchar_t* folder)
{
    const DWORD attributes = GetFileAttributesW(CString(folder) + L"\\skin.ini");
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether the store's writes would reach the file; a file made to find out
// is gone again.
bool canWrite(const wchar_t* path)
{
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    HANDLE file = CreateFileW(path, GENERIC_WRITE | (exists ? 0 : DELETE),
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              exists ? OPEN_EXISTING : CREATE_NEW,
                              exists ? FILE_ATTRIBUTE_NORMAL : FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// The state a call after init needs: a session, and the thread of init.
int checkSession(const wchar_t* function)
{
    const DWORD owner = sessionThread;
    if (!owner)
        return refuse(TARVISK_ERROR_STATE, L"%s: tarvisk_init has not run", function);
    if (owner != GetCurrentThreadId())
        return refuse(TARVISK_ERROR_THREAD, L"%s: called on thread %lu, not on thread %lu of init",
                      function, GetCurrentThreadId(), owner);
    return TARVISK_OK;
}

template <typename Body> int guarded(const wchar_t* function, Body body)
{
    try {
        return body();
    } catch (...) {
        return refuse(TARVISK_ERROR_FAILED, L"%s: failed inside the component", function);
    }
}

int init(const TarviskHostSetup* setup)
{
    if (!setup)
        return refuse(TARVISK_ERROR_ARGUMENT, L"tarvisk_init: no setup");
    if (setup->size != sizeof(TarviskHostSetup))
        return refuse(TARVISK_ERROR_ARGUMENT, L"tarvisk_init: setup size %u, expected %u",
                      setup->size, static_cast<unsigned>(sizeof(TarviskHostSetup)));
    if (isEmpty(setup->skinFolder) || isEmpty(setup->settingsFile) || !setup->save)
        return refuse(TARVISK_ERROR_ARGUMENT,
                      L"tarvisk_init: the skin folder, the settings file and save are required");
    if (sessionThread && sessionThread != GetCurrentThreadId())
        return checkSession(L"tarvisk_init");
    if (session || GetTarviskApp().isInitialised())
        return refuse(TARVISK_ERROR_STATE, L"tarvisk_init: already initialised");
    if (!hasSkinFile(setup->skinFolder))
        return refuse(TARVISK_ERROR_SKIN, L"tarvisk_init: the skin folder \"%s\" has no skin.ini",
                      setup->skinFolder);
    if (!canWrite(setup->settingsFile))
        return refuse(TARVISK_ERROR_SETTINGS,
                      L"tarvisk_init: the settings file \"%s\" cannot be written",
                      setup->settingsFile);

    session = std::make_unique<CSession>(*setup);
    CTarvisk::TVSKInitInfo info;
    info.skinParser = &session->initSkin;
    info.configStore = &session->store;
    info.hostInfo = &session->host;
    info.helpLink = setup->helpFile ? setup->helpFile : L"";
    bool created = false;
    try {
        // A failed init takes back what it set up.
        created = GetTarviskApp().init(info, &session->saver);
    } catch (...) {
    }
    if (!created) {
        session.reset();
        return refuse(TARVISK_ERROR_FAILED, L"tarvisk_init: the editor could not be created");
    }
    sessionThread = GetCurrentThreadId();
    mainWindow = GetTarviskApp().getMainWindow();
    return TARVISK_OK;
}

} // namespace

extern "C" {

int tarvisk_init(const TarviskHostSetup* setup)
{
    TARVISK_ENTRY;
    return guarded(L"tarvisk_init", [&]() -> int { return init(setup); });
}

int tarvisk_open_file(const wchar_t* path)
{
    // A call from another thread touches nothing of the component's state.
    if (const int state = checkSession(L"tarvisk_open_file"))
        return state;
    TARVISK_ENTRY;
    return guarded(L"tarvisk_open_file", [&]() -> int {
        if (isEmpty(path))
            return refuse(TARVISK_ERROR_ARGUMENT, L"tarvisk_open_file: no path");
        switch (GetTarviskApp().openFile(path, CString())) {
        case CallResult::Done:
            return TARVISK_OK;
        case CallResult::Cancelled:
            return TARVISK_ERROR_CANCELLED;
        case CallResult::Refused: // logged by the application
            return TARVISK_ERROR_STATE;
        case CallResult::Failed:
            break;
        }
        return TARVISK_ERROR_OPEN;
    });
}

int tarvisk_switch_skin(const wchar_t* skinFolder)
{
    if (const int state = checkSession(L"tarvisk_switch_skin"))
        return state;
    TARVISK_ENTRY;
    return guarded(L"tarvisk_switch_skin", [&]() -> int {
        if (isEmpty(skinFolder))
            return refuse(TARVISK_ERROR_ARGUMENT, L"tarvisk_switch_skin: no skin folder");
        if (!hasSkinFile(skinFolder))
            return refuse(TARVISK_ERROR_SKIN,
                          L"tarvisk_switch_skin: the skin folder \"%s\" has no skin.ini",
                          skinFolder);
        auto next = std::make_unique<CFolderSkinParser>(skinFolder, &session->store);
        CTarviskApp& app = GetTarviskApp();
        const CallResult result = app.switchSkin(*next);
        if (result == CallResult::Refused) // logged by the application
            return TARVISK_ERROR_STATE;
        auto& skins = session->switchedSkins;
        std::erase_if(skins, [&](const auto& skin) { return !app.usesSkin(*skin); });
        if (app.usesSkin(*next))
            skins.push_back(std::move(next));
        if (result == CallResult::Failed)
            return refuse(TARVISK_ERROR_SKIN,
                          L"tarvisk_switch_skin: the skin of \"%s\" did not load", skinFolder);
        return TARVISK_OK;
    });
}

int tarvisk_pretranslate_message(MSG* message)
{
    // Called for every message: a misuse is not logged each time.
    if (!message || sessionThread != GetCurrentThreadId())
        return 0;
    TARVISK_ENTRY;
    return guarded(L"tarvisk_pretranslate_message", [&]() -> int {
               return GetTarviskApp().PreTranslateMessage(message) ? 1 : 0;
           }) == 1;
}

HWND tarvisk_main_window(void)
{
    return mainWindow;
}

int tarvisk_destroy(void)
{
    if (!sessionThread)
        return TARVISK_OK;
    if (const int state = checkSession(L"tarvisk_destroy"))
        return state;
    TARVISK_ENTRY;
    return guarded(L"tarvisk_destroy", [&]() -> int {
        if (GetTarviskApp().destroy() == CallResult::Refused) // logged by the application
            return TARVISK_ERROR_STATE;
        mainWindow = nullptr;
        sessionThread = 0;
        session.reset();
        return TARVISK_OK;
    });
}

} // extern "C"
