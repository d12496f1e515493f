#include "MemoryConfigStore.h"

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

void MemoryConfigStore::preset(const CString& section, const CString& key, const CString& value)
{
    m_presets[{section, key}] = value;
}

VLConfigKey* MemoryConfigStore::find(const CString& section, const CString& key)
{
    for (auto& record : m_keys) {
        if (record.section->name == section && record.name == key)
            return &record;
    }
    return nullptr;
}
