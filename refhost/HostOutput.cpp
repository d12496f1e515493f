#include "refhost/HostOutput.h"

#include <windows.h>

std::string Utf8(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

void PrintLine(FILE* stream, const std::wstring& text)
{
    const std::string bytes = Utf8(text + L"\n");
    fwrite(bytes.data(), 1, bytes.size(), stream);
    fflush(stream);
}

std::wstring Quoted(const std::wstring& text)
{
    return L"\"" + text + L"\"";
}
