#pragma once

#include "CString.h"

#include <ostream>
#include <string>

// UTF-8 for test messages.
inline std::string Narrow(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? size - 1 : 0, '\0');
    if (size > 1)
        WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
    return result;
}

// Lets failed expectations show CString values as text.
inline void PrintTo(const CString& text, std::ostream* out)
{
    *out << '"' << Narrow(text) << '"';
}
