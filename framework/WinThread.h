#pragma once

#include <windows.h>

using AFX_THREADPROC = UINT (*)(LPVOID);

// A worker thread started by AfxBeginThread. The object deletes itself when
// the thread's function returns; the starter must not touch it after the
// thread runs.
class CWinThread {
public:
    CWinThread(AFX_THREADPROC proc, LPVOID param) : m_proc(proc), m_param(param) {}
    ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;

private:
    static unsigned __stdcall run(void* self);

    AFX_THREADPROC m_proc;
    LPVOID m_param;

    friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD,
                                      LPSECURITY_ATTRIBUTES);
};

// Starts proc(param) on a new thread with the given priority; with
// CREATE_SUSPENDED among the flags it waits for ResumeThread. Null when the
// thread cannot be made.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD createFlags = 0,
                           LPSECURITY_ATTRIBUTES security = nullptr);
