#include "MemoryConfigStore.h"

#include <cwchar>

VLConfigSection* MemoryConfigStore::AddSection(int, const CString& name)
{
    for (auto& section : m_sections) {
        if (section.name == name)
            return &section;
    }
    m_sections.push_back({name});
    return &m_sections.back();
}

VLConfigKey* MemoryConfigStore::AddKey(VLConfigSection* section, const CString& name,
                                       const CString& defaultValue)
{
    for (auto& key : m_keys) {
        if (key.section == section && key.name == name)
            return &key;
    }
    const auto preset = m_presets.find({section->name, name});
    m_keys.push_back({section, name, preset != m_presets.end() ? preset->second : defaultValue});
    return &m_keys.back();
}

int MemoryConfigStore::GetInt(VLConfigKey* key)
{
    return static_cast<int>(wcstol(key->value, nullptr, 10));
}

double MemoryConfigStore::GetDouble(VLConfigKey* key)
{
    return wcstod(key->value, nullptr);
}

bool MemoryConfigStore::GetBool(VLConfigKey* key)
{
    return key->value.CompareNoCase(L"true") == 0 || wcstol(key->value, nullptr, 10) != 0;
}

void MemoryConfigStore::SetInt(VLConfigKey* key, int value)
{
    key->value.Format(L"%d", value);
}

void MemoryConfigStore::preset(const CString& section, const CString& key, const CString& value)
{
    m_presets[{section, key}] = value;
}

void MemoryConfigStore::set(const CString& section, const CString& key, const CString& value)
{
    for (auto& record : m_keys) {
        if (record.section->name == section && record.name == key)
            record.value = value;
    }
}

const CString* MemoryConfigStore::value(const CString& section, const CString& key) const
{
    for (const auto& record : m_keys) {
        if (record.section->name == section && record.name == key)
            return &record.value;
    }
    return nullptr;
}

std::deque<CString> MemoryConfigStore::keyNames(const CString& section) const
{
    std::deque<CString> names;
    for (const auto& record : m_keys) {
        if (record.section->name == section)
            names.push_back(record.name);
    }
    return names;
}
