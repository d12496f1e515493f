#pragma once

#include "Tarvisk.h"

// Loads Tarvisk.dll at run time and calls its facade through the exported
// names, so a host needs neither an import library nor a link-time
// dependency. Member functions are called as functions taking the object
// first, which is how the x64 calling convention passes them.
//
// Every call but load and unload runs on the thread that called init (the
// rules of Tarvisk.h). init borrows the skin parser, the configuration store,
// the host information and the service provider until destroy: they must
// outlive it. Call destroy, and have it return 0, before unload or this
// object's end: unloading an initialised component unloads the code its
// windows run.
class CTarviskLibrary {
public:
    CTarviskLibrary() = default;
    ~CTarviskLibrary() { unload(); }
    CTarviskLibrary(const CTarviskLibrary&) = delete;
    CTarviskLibrary& operator=(const CTarviskLibrary&) = delete;

    // False when the library or one of the facade's operations is missing.
    bool load(const wchar_t* path = L"Tarvisk.dll")
    {
        unload();
        m_module = ::LoadLibraryW(path);
        if (!m_module)
            return false;
        const bool complete =
            resolve(m_getInstance, "_ZN8CTarvisk11getInstanceEv") &&
            resolve(m_init, "_ZN8CTarvisk4initERKNS_12TVSKInitInfoEPN7Tarvisk27IAudioCutterServiceProviderE") &&
            resolve(m_openFile, "_ZN8CTarvisk8openFileERK7CStringS2_") &&
            resolve(m_switchSkin, "_ZN8CTarvisk10switchSkinER11ISkinParser") &&
            resolve(m_destroy, "_ZN8CTarvisk7destroyEv") &&
            resolve(m_preTranslateMessage, "_ZN8CTarvisk19PreTranslateMessageEP6tagMSG") &&
            resolve(m_fullScreenMode, "_ZN8CTarvisk24OnSorvenneFullScreenModeEb") &&
            resolve(m_getMainWindow, "_ZN8CTarvisk13getMainWindowEv");
        if (!complete) {
            unload();
            return false;
        }
        m_instance = m_getInstance();
        return true;
    }

    void unload()
    {
        if (m_module)
            ::FreeLibrary(m_module);
        m_module = nullptr;
        m_instance = nullptr;
    }

    bool isLoaded() const { return m_instance != nullptr; }
    HMODULE module() const { return m_module; }

    // False: the editor could not be made, and nothing of it is left.
    bool init(const CTarvisk::TVSKInitInfo& info, Tarvisk::IAudioCutterServiceProvider* provider)
    {
        return m_init(m_instance, info, provider);
    }
    // Shows the editor and runs the open to its end, pumping messages; the
    // outcome is shown to the user, and the result is always false.
    bool openFile(const CString& file, const CString& wavFile = CString())
    {
        return m_openFile(m_instance, file, wavFile);
    }
    // False: refused, or the skin did not load and the one before is back.
    bool switchSkin(ISkinParser& parser) { return m_switchSkin(m_instance, parser); }
    // 0: done; 1: refused from inside a running call of the component.
    int destroy() { return m_destroy(m_instance); }
    // TRUE: the editor handled the message; neither translate nor dispatch it.
    BOOL PreTranslateMessage(MSG* msg) { return m_preTranslateMessage(m_instance, msg); }
    void OnSorvenneFullScreenMode(bool on) { m_fullScreenMode(m_instance, on); }
    HWND getMainWindow() { return m_getMainWindow(m_instance); }

private:
    template <typename Function>
    bool resolve(Function& function, const char* name)
    {
        function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(m_module, name)));
        return function != nullptr;
    }

    HMODULE m_module = nullptr;
    CTarvisk* m_instance = nullptr;
    CTarvisk* (*m_getInstance)() = nullptr;
    bool (*m_init)(CTarvisk*, const CTarvisk::TVSKInitInfo&, Tarvisk::IAudioCutterServiceProvider*) = nullptr;
    bool (*m_openFile)(CTarvisk*, const CString&, const CString&) = nullptr;
    bool (*m_switchSkin)(CTarvisk*, ISkinParser&) = nullptr;
    int (*m_destroy)(CTarvisk*) = nullptr;
    BOOL (*m_preTranslateMessage)(CTarvisk*, MSG*) = nullptr;
    void (*m_fullScreenMode)(CTarvisk*, bool) = nullptr;
    HWND (*m_getMainWindow)(CTarvisk*) = nullptr;
};
