#include "WinThread.h"

#include <process.h>

CWinThread::~CWinThread()
{
    if (m_hThread)
        CloseHandle(m_hThread);
}

unsigned __stdcall CWinThread::run(void* self)
{
    auto* thread = static_cast<CWinThread*>(self);
    const UINT exitCode = thread->m_proc(thread->m_param);
    delete thread;
    return exitCode;
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize,
                           DWORD createFlags, LPSECURITY_ATTRIBUTES security)
{
    auto* thread = new CWinThread(proc, param);
    unsigned id = 0;
    // Always born suspended, so the priority is set before any of its code runs.
    thread->m_hThread = reinterpret_cast<HANDLE>(
        _beginthreadex(security, stackSize, &CWinThread::run, thread, CREATE_SUSPENDED, &id));
    if (!thread->m_hThread) {
        delete thread;
        return nullptr;
    }
    thread->m_nThreadID = id;
    SetThreadPriority(thread->m_hThread, priority);
    if (!(createFlags & CREATE_SUSPENDED))
        thread->ResumeThread();
    return thread;
}
