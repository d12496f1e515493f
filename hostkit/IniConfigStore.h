#pragma once

#include "ConfigStore.h"

#include <deque>

struct VLConfigSection {
    CString name;
};

struct VLConfigKey {
    const VLConfigSection* section;
    CString name;
    CString defaultValue;
};

// A configuration store kept in an INI file: each value is written through
// at once, so nothing is lost when the process ends abruptly.
class CIniConfigStore : public IConfigStore {
public:
    explicit CIniConfigStore(const CString& path) : m_path(path) {}

    VLConfigSection* AddSection(int kind, const CString& name) override;
    VLConfigKey* AddKey(VLConfigSection* section, const CString& name,
                        const CString& defaultValue) override;
    CString GetString(VLConfigKey* key) override;
    int GetInt(VLConfigKey* key) override;
    double GetDouble(VLConfigKey* key) override;
    bool GetBool(VLConfigKey* key) override;
    void SetString(VLConfigKey* key, const CString& value) override;
    void SetInt(VLConfigKey* key, int value) override;
    bool IsPortable() override { return false; }

    const CString& path() const { return m_path; }
    // The value of a key the component declared, with its default; empty
    // when no such key was declared.
    CString value(const CString& section, const CString& key);

private:
    CString m_path;
    // Stable addresses: the component keeps pointers to the records.
    std::deque<VLConfigSection> m_sections;
    std::deque<VLConfigKey> m_keys;
};
