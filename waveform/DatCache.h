#pragma once

#include "CString.h"

#include <cstdint>
#include <memory>

// The DAT bytes of one time span of the open stream, read with one seek and
// one read per span change; the same span again costs nothing.
class CDatCache {
public:
    static constexpr int kCapacity = 2000000;
    static constexpr double kMsPerByte = 10.0;

    CDatCache();

    void setSource(const CString& datPath, int64_t durationMs);
    // Forgets the span last read, so the next request reads the file.
    void forgetSpan();
    // The cache, holding count valid bytes for [start, end): zeros before 0 ms
    // and past the end of the stream.
    const signed char* readRange(int64_t start, int64_t end, int* count);

private:
    std::unique_ptr<signed char[]> m_cache;
    CString m_datPath;
    int64_t m_durationMs = 0;
    int64_t m_spanStart = 0;
    int64_t m_spanEnd = 0;
    int m_count = 0;
};
