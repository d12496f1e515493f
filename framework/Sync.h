#pragma once

#include <windows.h>

class CCriticalSection {
public:
    CCriticalSection() { ::InitializeCriticalSection(&m_section); }
    ~CCriticalSection() { ::DeleteCriticalSection(&m_section); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    BOOL Lock()
    {
        ::EnterCriticalSection(&m_section);
        return TRUE;
    }
    BOOL Unlock()
    {
        ::LeaveCriticalSection(&m_section);
        return TRUE;
    }

private:
    CRITICAL_SECTION m_section;
};

// Scoped holder of a critical section; releases it on every way out.
class CSingleLock {
public:
    explicit CSingleLock(CCriticalSection* section, BOOL initialLock = FALSE) : m_section(section)
    {
        if (initialLock)
            Lock();
    }
    ~CSingleLock() { Unlock(); }
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

    BOOL Lock()
    {
        if (!m_locked && m_section)
            m_locked = m_section->Lock();
        return m_locked;
    }
    BOOL Unlock()
    {
        if (m_locked)
            m_section->Unlock();
        m_locked = FALSE;
        return TRUE;
    }
    BOOL IsLocked() const { return m_locked; }

private:
    CCriticalSection* m_section;
    BOOL m_locked = FALSE;
};
