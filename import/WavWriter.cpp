#include "import/WavWriter.h"

#include "import/DatFileBuild.h"
#include "infra/Logger.h"
#include "infra/TraceChannel.h"

namespace {

// The header carries the format up to wBitsPerSample; cbSize stays out.
constexpr LONG kFormatChunkSize = 16;

// A new file for writing, in place of any earlier one. Wine truncates the
// file that CREATE_ALWAYS opens, even a new one, and ext4 writes a truncated
// file out to the disk when it is closed: the user would wait a quarter of a
// second per hour of audio for a temporary file nobody needs on the disk.
HANDLE createNewFile(const wchar_t* fileName)
{
    DeleteFileW(fileName);
    HANDLE file = CreateFileW(fileName, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    // One that could not be deleted is written over as before.
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS)
        file = CreateFileW(fileName, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return file;
}

} // namespace

WAVEFORMATEX Pcm16Format(WORD channels, DWORD samplesPerSec)
{
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = samplesPerSec;
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(channels * 16 / 8);
    format.nAvgBytesPerSec = format.nBlockAlign * samplesPerSec;
    return format;
}

bool CWavWriter::create(const wchar_t* fileName, const WAVEFORMATEX* format, CDatBlocks* measured)
{
    m_measured = measured;
    if (m_measured)
        m_measured->start(*format);
    m_fileName = fileName;
    m_format = *format;
    m_riffChunk = MMCKINFO{};
    m_dataChunk = MMCKINFO{};

    // The multimedia file functions take an open file when given no name.
    const HANDLE file = createNewFile(fileName);
    if (file != INVALID_HANDLE_VALUE) {
        MMIOINFO info{};
        info.fccIOProc = FOURCC_DOS;
        info.adwInfo[0] = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(file));
        m_handle = mmioOpenW(nullptr, &info, MMIO_WRITE);
    }
    if (!m_handle) {
        m_lastSystemError = GetLastError();
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        m_errorText = L"failed to open file for writing";
        TraceFormat(LOG_ERROR, L"CWavWriter::create: %s (%d)", m_errorText.GetString(),
                    static_cast<int>(m_lastSystemError));
        return false;
    }

    const wchar_t* failure = nullptr;
    m_riffChunk.fccType = mmioStringToFOURCCW(L"WAVE", 0);
    MMCKINFO formatChunk{};
    formatChunk.ckid = mmioStringToFOURCCW(L"fmt ", 0);
    formatChunk.cksize = kFormatChunkSize;
    m_dataChunk.ckid = mmioStringToFOURCCW(L"data", 0);
    if (mmioCreateChunk(m_handle, &m_riffChunk, MMIO_CREATERIFF) != MMSYSERR_NOERROR)
        failure = L"could not create the RIFF chunk";
    else if (mmioCreateChunk(m_handle, &formatChunk, 0) != MMSYSERR_NOERROR)
        failure = L"could not create the fmt chunk";
    else if (mmioWrite(m_handle, reinterpret_cast<const char*>(&m_format), kFormatChunkSize) !=
             kFormatChunkSize)
        failure = L"could not write format";
    else if (mmioCreateChunk(m_handle, &m_dataChunk, 0) != MMSYSERR_NOERROR)
        failure = L"could not create the data chunk";
    // Ascending at once leaves the file at the first sample byte.
    else if (mmioAscend(m_handle, &m_dataChunk, 0) != MMSYSERR_NOERROR)
        failure = L"could not ascend the data chunk";
    if (failure) {
        m_errorText = failure;
        TraceFormat(LOG_ERROR, L"CWavWriter::create: %s", failure);
        mmioClose(m_handle, 0);
        m_handle = nullptr;
        return false;
    }
    return true;
}

bool CWavWriter::write(const void* data, int length)
{
    const LONG written = mmioWrite(m_handle, static_cast<const char*>(data), length);
    if (written == length) {
        if (m_measured)
            m_measured->add(static_cast<const BYTE*>(data), static_cast<UINT>(length));
        return true;
    }
    // A short write (a full disk) loses samples just as a failed one does.
    // mmioWrite leaves the last error as it found it when it stores only
    // part of the block, so only a refused write carries its own reason.
    m_lastSystemError = written < 0 ? GetLastError() : ERROR_DISK_FULL;
    if (m_lastSystemError == 0 || m_lastSystemError == static_cast<DWORD>(-1))
        m_lastSystemError = ERROR_WRITE_FAULT;
    TraceFormat(LOG_ERROR, L"CWavWriter::write: error writing to wav file (%d)",
                static_cast<int>(m_lastSystemError));
    return false;
}

bool CWavWriter::close()
{
    if (!m_handle)
        return true;
    // The data chunk was left at once in create; its size is now the bytes since then.
    m_dataChunk.dwFlags |= MMIO_DIRTY;
    if (mmioAscend(m_handle, &m_dataChunk, 0) != MMSYSERR_NOERROR)
        TraceFormat(LOG_ERROR, L"CWavWriter::close: could not ascend out of the data chunk");
    if (mmioAscend(m_handle, &m_riffChunk, 0) != MMSYSERR_NOERROR)
        TraceFormat(LOG_ERROR, L"CWavWriter::close: could not ascend out of the main chunk");
    mmioClose(m_handle, 0);
    m_handle = nullptr;
    if (m_measured)
        m_measured->finish();
    m_measured = nullptr;
    return true;
}
