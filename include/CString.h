#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>

#include <cstdarg>
#include <cwchar>
#include <cwctype>
#include <string>

// Where LoadString finds its strings: the current module's resources, in
// its resource language.
HRSRC AfxFindResource(const wchar_t* name, const wchar_t* type);
HINSTANCE AfxGetResourceHandle();

// Wide string with the framework's interface. Format uses the Microsoft
// runtime's conventions: %s takes a wide string, %I64d a 64-bit integer.
class CString {
public:
    CString() = default;
    CString(const wchar_t* text) : m_text(text ? text : L"") {}
    CString(const wchar_t* text, int length) : m_text(text, static_cast<size_t>(length)) {}
    CString(wchar_t ch, int repeat = 1) : m_text(static_cast<size_t>(repeat), ch) {}
    CString(const std::wstring& text) : m_text(text) {}

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    const wchar_t* GetString() const { return m_text.c_str(); }
    operator const wchar_t*() const { return m_text.c_str(); }
    const std::wstring& str() const { return m_text; }
    wchar_t GetAt(int index) const { return m_text.at(static_cast<size_t>(index)); }
    wchar_t operator[](int index) const { return GetAt(index); }

    void Format(const wchar_t* format, ...);
    void FormatV(const wchar_t* format, va_list args);
    void AppendFormat(const wchar_t* format, ...);
    BOOL LoadString(UINT id);

    // Direct access for system calls that fill a buffer.
    wchar_t* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

    CString Left(int count) const;
    CString Mid(int first, int count = -1) const;
    CString Right(int count) const;
    int Find(wchar_t ch, int start = 0) const;
    int Find(const wchar_t* sub, int start = 0) const;
    int ReverseFind(wchar_t ch) const;
    int CompareNoCase(const wchar_t* other) const;
    CString& MakeLower();
    CString& TrimRight(const wchar_t* chars);

    CString& operator=(const wchar_t* text);
    CString& operator+=(const CString& other);
    CString& operator+=(const wchar_t* text);
    CString& operator+=(wchar_t ch);
    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, const wchar_t* b);
    friend CString operator+(const wchar_t* a, const CString& b);
    friend CString operator+(const CString& a, wchar_t b);
    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, const wchar_t* b) { return a.m_text == (b ? b : L""); }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_text < b.m_text; }
#if __cplusplus >= 202002L
    // Without this, C++20 ordering would fall back to comparing the pointers
    // the strings convert to.
    friend auto operator<=>(const CString& a, const CString& b) { return a.m_text <=> b.m_text; }
#endif

private:
    std::wstring m_text;
};

// Defined inline so a host needs nothing but this header.
inline void CString::FormatV(const wchar_t* format, va_list args)
{
    va_list counting;
    va_copy(counting, args);
    int length = _vscwprintf(format, counting);
    va_end(counting);
    if (length < 0) {
        m_text.clear();
        return;
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    _vsnwprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(length));
    m_text.swap(text);
}

inline void CString::Format(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

inline void CString::AppendFormat(const wchar_t* format, ...)
{
    CString tail;
    va_list args;
    va_start(args, format);
    tail.FormatV(format, args);
    va_end(args);
    m_text += tail.m_text;
}

inline BOOL CString::LoadString(UINT id)
{
    // Strings are stored sixteen to a block, each with its length first.
    m_text.clear();
    HRSRC block = AfxFindResource(MAKEINTRESOURCEW((id >> 4) + 1), RT_STRING);
    HGLOBAL data = block ? ::LoadResource(AfxGetResourceHandle(), block) : nullptr;
    auto* p = data ? static_cast<const WCHAR*>(::LockResource(data)) : nullptr;
    if (!p)
        return FALSE;
    for (UINT index = 0; index < (id & 15); ++index)
        p += 1 + *p;
    m_text.assign(p + 1, *p);
    return !m_text.empty();
}

inline wchar_t* CString::GetBuffer(int minLength)
{
    if (minLength > GetLength())
        m_text.resize(static_cast<size_t>(minLength));
    return m_text.data();
}

inline void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0)
        newLength = static_cast<int>(wcsnlen(m_text.c_str(), m_text.size()));
    m_text.resize(static_cast<size_t>(newLength));
}

inline CString CString::Left(int count) const
{
    if (count < 0)
        count = 0;
    return CString(m_text.substr(0, static_cast<size_t>(count)));
}

inline CString CString::Mid(int first, int count) const
{
    if (first < 0)
        first = 0;
    if (first >= GetLength())
        return CString();
    if (count < 0)
        return CString(m_text.substr(static_cast<size_t>(first)));
    return CString(m_text.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

inline CString CString::Right(int count) const
{
    if (count <= 0)
        return CString();
    if (count >= GetLength())
        return *this;
    return CString(m_text.substr(m_text.size() - static_cast<size_t>(count)));
}

inline int CString::Find(wchar_t ch, int start) const
{
    size_t at = m_text.find(ch, static_cast<size_t>(start < 0 ? 0 : start));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

inline int CString::Find(const wchar_t* sub, int start) const
{
    size_t at = m_text.find(sub, static_cast<size_t>(start < 0 ? 0 : start));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

inline int CString::ReverseFind(wchar_t ch) const
{
    size_t at = m_text.rfind(ch);
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

inline int CString::CompareNoCase(const wchar_t* other) const
{
    return _wcsicmp(m_text.c_str(), other ? other : L"");
}

inline CString& CString::MakeLower()
{
    for (auto& ch : m_text)
        ch = static_cast<wchar_t>(towlower(ch));
    return *this;
}

inline CString& CString::TrimRight(const wchar_t* chars)
{
    size_t last = m_text.find_last_not_of(chars);
    m_text.erase(last == std::wstring::npos ? 0 : last + 1);
    return *this;
}

inline CString& CString::operator=(const wchar_t* text)
{
    m_text = text ? text : L"";
    return *this;
}

inline CString& CString::operator+=(const CString& other)
{
    m_text += other.m_text;
    return *this;
}

inline CString& CString::operator+=(const wchar_t* text)
{
    if (text)
        m_text += text;
    return *this;
}

inline CString& CString::operator+=(wchar_t ch)
{
    m_text += ch;
    return *this;
}

inline CString operator+(const CString& a, const CString& b) { return CString(a.m_text + b.m_text); }
inline CString operator+(const CString& a, const wchar_t* b) { return CString(a.m_text + (b ? b : L"")); }
inline CString operator+(const wchar_t* a, const CString& b) { return CString((a ? a : L"") + b.m_text); }
inline CString operator+(const CString& a, wchar_t b) { return CString(a.m_text + b); }
