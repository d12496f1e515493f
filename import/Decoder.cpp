#include "import/Decoder.h"

#include "infra/Logger.h"

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
