#include "import/Decoder.h"

#include "infra/Logger.h"

std::optional<DWORD> ReadAt(HANDLE file, uint64_t offset, void* data, DWORD length)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!ReadFile(file, data, length, &got, &at))
        return std::nullopt;
    return got;
}

HANDLE IDecoder::openInput(const wchar_t* input)
{
    const HANDLE file = CreateFileW(input, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        m_errorCode = GetLastError();
        m_errorText = SystemErrorText(m_errorCode);
    }
    return file;
}
