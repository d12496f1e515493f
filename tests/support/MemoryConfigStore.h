#pragma once

#include "ConfigStore.h"

#include <cwchar>
#include <deque>
#include <map>

struct VLConfigSection {
    CString name;
};

struct VLConfigKey {
    const VLConfigSection* section;
    CString name;
    CString value;
};

// A configuration store in memory, with the text conversions a host makes.
// Keys declared before the component runs can be preset with preset().
class MemoryConfigStore : public IConfigStore {
public:
    VLConfigSection* AddSection(int, const CString& name) override
    {
        for (auto& section : m_sections)
            if (section.name == name)
                return &section;
        m_sections.push_back({name});
        return &m_sections.back();
    }
    VLConfigKey* AddKey(VLConfigSection* section, const CString& name,
                        const CString& defaultValue) override
    {
        if (VLConfigKey* declared = find(section->name, name))
            return declared;
        const auto preset = m_presets.find({section->name, name});
        m_keys.push_back(
            {section, name, preset != m_presets.end() ? preset->second : defaultValue});
        return &m_keys.back();
    }
    CString GetString(VLConfigKey* key) override { return key->value; }
    int GetInt(VLConfigKey* key) override
    {
        return static_cast<int>(wcstol(key->value, nullptr, 10));
    }
    double GetDouble(VLConfigKey* key) override { return wcstod(key->value, nullptr); }
    bool GetBool(VLConfigKey* key) override
    {
        return key->value.CompareNoCase(L"true") == 0 || GetInt(key) != 0;
    }
    void SetString(VLConfigKey* key, const CString& value) override { key->value = value; }
    void SetInt(VLConfigKey* key, int value) override { key->value.Format(L"%d", value); }
    bool IsPortable() override { return portable; }

    // A value that wins over the default when the key is declared.
    void preset(const CString& section, const CString& key, const CString& value)
    {
        m_presets[{section, key}] = value;
    }
    // A declared key (whose value a test may change as a user editing the
    // store would), or null when it was never declared.
    VLConfigKey* find(const CString& section, const CString& key)
    {
        for (auto& record : m_keys)
            if (record.section->name == section && record.name == key)
                return &record;
        return nullptr;
    }

    bool portable = false;

private:
    std::deque<VLConfigSection> m_sections;
    std::deque<VLConfigKey> m_keys;
    std::map<std::pair<CString, CString>, CString> m_presets;
};

class FixedHostInfo : public IHostInfo {
public:
    explicit FixedHostInfo(const CString& edition = L"Test") : m_edition(edition) {}
    CString GetEdition() override { return m_edition; }

private:
    CString m_edition;
};
