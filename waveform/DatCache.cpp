#include "waveform/DatCache.h"

#include "infra/Logger.h"

#include <algorithm>
#include <cstring>

CDatCache::CDatCache() : m_cache(new signed char[kCapacity]()) {}

void CDatCache::setSource(const CString& datPath, int64_t durationMs)
{
    m_datPath = datPath;
    m_durationMs = durationMs;
    forgetSpan();
}

void CDatCache::forgetSpan()
{
    m_spanStart = m_spanEnd = 0;
    m_count = 0;
}

const signed char* CDatCache::readRange(int64_t start, int64_t end, int* count)
{
    *count = 0;
    if (m_durationMs <= 0)
        return m_cache.get();
    const int64_t bytes = static_cast<int64_t>((end - start) / kMsPerByte);
    if (bytes >= kCapacity || start >= end)
        return m_cache.get();
    if (start == m_spanStart && end == m_spanEnd) {
        *count = m_count;
        return m_cache.get();
    }

    memset(m_cache.get(), 0, kCapacity);
    const int64_t readStart = std::max<int64_t>(start, 0);
    const int64_t readEnd = std::min(end, m_durationMs);
    int64_t lastTime = start;
    HANDLE file = CreateFileW(m_datPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        LogFormat(LOG_ERROR, L"couldn't open dat file %s", m_datPath.GetString());
        return m_cache.get();
    }
    const LONG filePos = static_cast<LONG>(readStart / kMsPerByte);
    const int64_t cacheOffset = static_cast<int64_t>((readStart - start) / kMsPerByte);
    const int64_t toRead = static_cast<int64_t>((readEnd - readStart) / kMsPerByte);
    if (SetFilePointer(file, filePos, nullptr, FILE_BEGIN) != static_cast<DWORD>(filePos)) {
        LogFormat(LOG_ERROR, L"couldn't set pointer into dat file %s", m_datPath.GetString());
    } else {
        bool readFailed = false;
        if (toRead > 0) {
            DWORD got = 0;
            if (!ReadFile(file, m_cache.get() + cacheOffset, static_cast<DWORD>(toRead), &got,
                          nullptr)) {
                LogFormat(LOG_ERROR, L"couldn't read dat from file %s", m_datPath.GetString());
                readFailed = true;
            } else if (got < toRead) {
                LogFormat(LOG_ERROR, L"couldn't read enough bytes from dat file %s",
                          m_datPath.GetString());
            }
        }
        if (!readFailed)
            lastTime = std::max(readEnd, start);
    }
    CloseHandle(file);
    m_spanStart = start;
    m_spanEnd = end;
    m_count = static_cast<int>((lastTime - start) / kMsPerByte);
    *count = m_count;
    return m_cache.get();
}
