#include "hostkit/IniConfigStore.h"

#include <cwchar>

VLConfigSection* CIniConfigStore::AddSection(int, const CString& name)
{
    for (auto& section : m_sections) {
        if (section.name == name)
            return &section;
    }
    m_sections.push_back({name});
    return &m_sections.back();
}

VLConfigKey* CIniConfigStore::AddKey(VLConfigSection* section, const CString& name,
                                     const CString& defaultValue)
{
    for (auto& key : m_keys) {
        if (key.section == section && key.name == name)
            return &key;
    }
    m_keys.push_back({section, name, defaultValue});
    return &m_keys.back();
}

CString CIniConfigStore::GetString(VLConfigKey* key)
{
    // Values longer than this are not settings but accidents.
    constexpr DWORD capacity = 4096;
    CString value;
    const DWORD length = GetPrivateProfileStringW(key->section->name, key->name, key->defaultValue,
                                                  value.GetBuffer(capacity), capacity, m_path);
    value.ReleaseBuffer(static_cast<int>(length));
    return value;
}

int CIniConfigStore::GetInt(VLConfigKey* key)
{
    return static_cast<int>(wcstol(GetString(key), nullptr, 10));
}

double CIniConfigStore::GetDouble(VLConfigKey* key)
{
    return wcstod(GetString(key), nullptr);
}

bool CIniConfigStore::GetBool(VLConfigKey* key)
{
    const CString text = GetString(key);
    return text.CompareNoCase(L"true") == 0 || text.CompareNoCase(L"yes") == 0 ||
           wcstol(text, nullptr, 10) != 0;
}

void CIniConfigStore::SetString(VLConfigKey* key, const CString& value)
{
    WritePrivateProfileStringW(key->section->name, key->name, value, m_path);
}

void CIniConfigStore::SetInt(VLConfigKey* key, int value)
{
    CString text;
    text.Format(L"%d", value);
    SetString(key, text);
}

CString CIniConfigStore::value(const CString& section, const CString& key)
{
    for (auto& record : m_keys) {
        if (record.section->name == section && record.name == key)
            return GetString(&record);
    }
    return CString();
}
