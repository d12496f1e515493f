#pragma once

#include "hostkit/IniConfigStore.h"
#include "infra/Settings.h"
#include "support/TempDir.h"

#include <array>

// The folder of the store's file, made before the store.
struct TestStoreFolder {
    TempDir folder;
};

// The reference host's INI store, on a file of its own that goes with it.
class TestStore : private TestStoreFolder, public CIniConfigStore {
public:
    TestStore() : CIniConfigStore(folder.file(L"host.ini")) {}
    // A value in the file, as a user or an earlier run left it.
    void set(const wchar_t* section, const wchar_t* key, const wchar_t* value)
    {
        WritePrivateProfileStringW(section, key, value, path());
    }
};

class FixedHostInfo : public IHostInfo {
public:
    explicit FixedHostInfo(const CString& edition = L"Test") : m_edition(edition) {}
    CString GetEdition() override { return m_edition; }

private:
    CString m_edition;
};

// The editor's settings declared on a store of their own, with the values
// given (section, key, value) set first, as a user's file would hold them.
struct EditorSettings {
    explicit EditorSettings(std::initializer_list<std::array<const wchar_t*, 3>> values = {})
    {
        for (const auto& [section, key, value] : values)
            store.set(section, key, value);
        CommonKeys(&store, &host);
        MVSettingsKeys(&store);
    }

    TestStore store;
    FixedHostInfo host;
};
