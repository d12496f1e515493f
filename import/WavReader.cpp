#include "import/WavReader.h"

#include "infra/KestraException.h"
#include "infra/Logger.h"

#include <mmreg.h>

#include <algorithm>
#include <cstring>

namespace {

CString openFailureText(UINT code)
{
    switch (code) {
    case MMIOERR_FILENOTFOUND:
        return L"the file was not found";
    case MMIOERR_PATHNOTFOUND:
        return L"the directory specification is incorrect.";
    case MMIOERR_ACCESSDENIED:
        return L"the file is protected and cannot be opened.";
    case MMIOERR_SHARINGVIOLATION:
        return L"the file is being used by another application and is unavailable.";
    case MMIOERR_NETWORKERROR:
        return L"the network is not responding to the request to open a remote file.";
    case MMIOERR_TOOMANYOPENFILES:
        return L"the number of files simultaneously open is at a maximum level. The system has run "
               L"out of available file handles.";
    case MMIOERR_INVALIDFILE:
        return L"the file is invalid.";
    }
    CString text;
    text.Format(L"error code = %d", static_cast<int>(code));
    return text;
}

// Wine's mmioOpen reports every failed open as a missing file and leaves no
// last error; opening the file once more asks the system for the reason.
UINT refinedOpenFailure(UINT code, const wchar_t* fileName)
{
    if (code != MMIOERR_FILENOTFOUND)
        return code;
    HANDLE probe = CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        return code;
    }
    switch (GetLastError()) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return MMIOERR_SHARINGVIOLATION;
    case ERROR_ACCESS_DENIED:
        return MMIOERR_ACCESSDENIED;
    case ERROR_PATH_NOT_FOUND:
        return MMIOERR_PATHNOTFOUND;
    case ERROR_TOO_MANY_OPEN_FILES:
        return MMIOERR_TOOMANYOPENFILES;
    default:
        return code;
    }
}

} // namespace

bool HasUsableLayout(const WAVEFORMATEX& format)
{
    return format.nChannels != 0 && format.wBitsPerSample != 0 && format.nSamplesPerSec != 0;
}

CWavReader::CWavReader(const wchar_t* fileName) : m_fileName(fileName)
{
    if (!open())
        throw CKestraException(m_errorText, CKestraException::WrapInOpenMessage);
}

bool CWavReader::open()
{
    if (isOpen())
        return true;
    MMIOINFO info{};
    m_handle = mmioOpenW(const_cast<wchar_t*>(m_fileName.GetString()), &info, MMIO_READ);
    if (!m_handle) {
        m_errorText.Format(L"error opening file %s: %s", m_fileName.GetString(),
                           openFailureText(refinedOpenFailure(info.wErrorRet, m_fileName)).GetString());
        return false;
    }
    if (!parseHeader()) {
        close();
        return false;
    }
    return true;
}

bool CWavReader::parseHeader()
{
    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    if (mmioDescend(m_handle, &riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) {
        m_errorText = L"not a wave file";
        return false;
    }
    MMCKINFO chunk{};
    chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
    if (mmioDescend(m_handle, &chunk, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) {
        m_errorText = L"couldn't get format chunk";
        return false;
    }
    // Every field up to the bit depth is needed; the chunk alone is read, so
    // that a short one cannot take its fields from the next chunk's header.
    if (chunk.cksize < 16) {
        m_errorText.Format(L"format chunk of %lu bytes, under 16", chunk.cksize);
        return false;
    }
    WAVEFORMATEXTENSIBLE format{};
    const LONG formatBytes = static_cast<LONG>(std::min<DWORD>(chunk.cksize, sizeof(format)));
    if (mmioRead(m_handle, reinterpret_cast<char*>(&format), formatBytes) != formatBytes) {
        m_errorText = L"error reading format";
        return false;
    }
    m_format = format.Format;
    m_format.cbSize = 0;
    m_encoding = m_format.wFormatTag;
    // The sub-format of an extensible format is a tag in the base GUID
    // {tag-0000-0010-8000-00AA00389B71}; a chunk too short to hold it, or
    // another GUID, leaves the extensible tag, which nothing reads.
    static const BYTE kBaseTail[] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                     0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    const GUID& sub = format.SubFormat;
    if (m_encoding == WAVE_FORMAT_EXTENSIBLE && formatBytes == sizeof(format) &&
        sub.Data1 <= 0xFFFF && memcmp(&sub.Data2, kBaseTail, sizeof kBaseTail) == 0)
        m_encoding = static_cast<WORD>(sub.Data1);
    LogFormat(LOG_DEBUG,
              L"wave format: chunk %lu bytes, tag %u (samples: %u), %u channels, %lu Hz, %u bits",
              chunk.cksize, m_format.wFormatTag, m_encoding, m_format.nChannels,
              m_format.nSamplesPerSec, m_format.wBitsPerSample);
    mmioAscend(m_handle, &chunk, 0);
    chunk = MMCKINFO{};
    chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    if (mmioDescend(m_handle, &chunk, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) {
        m_errorText = L"couldn't get data chunk";
        return false;
    }
    m_dataOffset = static_cast<DWORD>(mmioSeek(m_handle, 0, SEEK_CUR));
    // A data chunk that claims more than the file holds (a recording cut
    // short, or a stream's header written before its length was known)
    // holds what is there: its duration is the samples', not the claim's.
    const LONG fileEnd = mmioSeek(m_handle, 0, SEEK_END);
    mmioSeek(m_handle, static_cast<LONG>(m_dataOffset), SEEK_SET);
    m_dataSize = fileEnd < 0
                     ? chunk.cksize
                     : std::min<DWORD>(chunk.cksize, static_cast<DWORD>(fileEnd) - m_dataOffset);
    if (m_dataSize != chunk.cksize)
        LogFormat(LOG_DEBUG, L"wave data chunk of %lu bytes holds %lu", chunk.cksize, m_dataSize);
    // A layout without channels, width or rate is refused by the import; it
    // must not divide by zero on the way.
    if (HasUsableLayout(m_format)) {
        m_frameCount = static_cast<int>(m_dataSize * 8.0 / m_format.wBitsPerSample /
                                        m_format.nChannels);
        m_durationMs = static_cast<int>(m_frameCount * 1000.0 / m_format.nSamplesPerSec);
    }
    return true;
}

UINT CWavReader::read(void* buffer, int length)
{
    if (!isOpen())
        return static_cast<UINT>(-1);
    // Chunks after the data chunk are not samples.
    const LONG position = mmioSeek(m_handle, 0, SEEK_CUR);
    const long long left = static_cast<long long>(m_dataOffset) + m_dataSize - position;
    if (left <= 0)
        return 0;
    if (length > left)
        length = static_cast<int>(left);
    const LONG count = mmioRead(m_handle, static_cast<char*>(buffer), length);
    if (count == -1) {
        close();
        throw CKestraException(L"error reading from wav file", CKestraException::WrapInOpenMessage);
    }
    return static_cast<UINT>(count);
}

int CWavReader::seek(unsigned long long milliseconds)
{
    if (!isOpen())
        return -1;
    const int frames = static_cast<int>(milliseconds * m_format.nSamplesPerSec / 1000);
    DWORD bytes = static_cast<DWORD>(static_cast<double>(frames) * m_format.wBitsPerSample *
                                     m_format.nChannels / 8.0);
    if (m_format.nBlockAlign != 0)
        bytes -= bytes % m_format.nBlockAlign;
    if (bytes > m_dataSize)
        bytes = m_dataSize;
    return mmioSeek(m_handle, static_cast<LONG>(m_dataOffset + bytes), SEEK_SET);
}

void CWavReader::close()
{
    if (m_handle) {
        mmioClose(m_handle, 0);
        m_handle = nullptr;
    }
}
