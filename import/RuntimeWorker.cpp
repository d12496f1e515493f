#include "import/RuntimeWorker.h"

#include "import/OpProgress.h"
#include "Sync.h"

#include <objbase.h>

#include <deque>

namespace {

// How often a waiting caller asks its progress, which pumps the messages.
constexpr DWORD kPollMs = 10;

} // namespace

// Shared by the caller and the thread, so whichever lets go last frees it.
struct CRuntimeWorker::Channel {
    Channel()
        : work(CreateSemaphoreW(nullptr, 0, LONG_MAX, nullptr)),
          answered(CreateEventW(nullptr, FALSE, FALSE, nullptr))
    {
    }
    ~Channel()
    {
        CloseHandle(work);
        CloseHandle(answered);
    }

    void push(std::function<void()> call)
    {
        CSingleLock hold(&lock, TRUE);
        calls.push_back(std::move(call));
        hold.Unlock();
        ReleaseSemaphore(work, 1, nullptr);
    }
    std::function<void()> pop()
    {
        WaitForSingleObject(work, INFINITE);
        CSingleLock hold(&lock, TRUE);
        std::function<void()> call = std::move(calls.front());
        calls.pop_front();
        return call;
    }

    CCriticalSection lock;
    // An empty call ends the thread.
    std::deque<std::function<void()>> calls;
    HANDLE work;
    HANDLE answered;
};

CRuntimeWorker::CRuntimeWorker(DWORD stallLimitMs, Clock clock)
    : m_stallLimitMs(stallLimitMs), m_clock(std::move(clock)),
      m_channel(std::make_shared<Channel>())
{
}

CRuntimeWorker::~CRuntimeWorker()
{
    end();
    if (m_thread)
        CloseHandle(m_thread);
}

void CRuntimeWorker::end()
{
    if (!m_ended)
        m_channel->push(nullptr);
    m_ended = true;
}

bool CRuntimeWorker::start()
{
    // The thread keeps this module loaded while it runs: an abandoned call may
    // return long after the host has let the component go.
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&CRuntimeWorker::threadMain), &self))
        return false;
    auto* channel = new std::shared_ptr<Channel>(m_channel);
    m_thread = CreateThread(nullptr, 0, threadMain, channel, 0, nullptr);
    if (!m_thread) {
        const DWORD error = GetLastError();
        delete channel;
        FreeLibrary(self);
        SetLastError(error);
        return false;
    }
    return true;
}

DWORD WINAPI CRuntimeWorker::threadMain(void* param)
{
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&CRuntimeWorker::threadMain), &self);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
        const std::unique_ptr<std::shared_ptr<Channel>> channel(
            static_cast<std::shared_ptr<Channel>*>(param));
        while (std::function<void()> call = (*channel)->pop()) {
            call();
            // The call's captures go before the answer, so what they hold is
            // released on this thread.
            call = nullptr;
            SetEvent((*channel)->answered);
        }
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    FreeLibraryAndExitThread(self, 0);
}

CRuntimeWorker::Wait CRuntimeWorker::run(std::function<void()> call, IOpProgress* progress)
{
    const ULONGLONG handed = m_clock();
    m_channel->push(std::move(call));
    for (;;) {
        // Taken before the wait, so only a call still unanswered after it
        // counts as silent for that long.
        const ULONGLONG now = m_clock();
        const DWORD waited =
            MsgWaitForMultipleObjects(1, &m_channel->answered, FALSE, kPollMs, QS_ALLINPUT);
        if (waited == WAIT_OBJECT_0)
            return Wait::Answered;
        if (now - handed >= m_stallLimitMs)
            return Wait::Stalled;
        if (progress->isCancelled())
            return Wait::Cancelled;
    }
}

void CRuntimeWorker::post(std::function<void()> call)
{
    m_channel->push(std::move(call));
}

void CRuntimeWorker::finish(DWORD waitMs, IOpProgress* progress)
{
    end();
    const ULONGLONG start = GetTickCount64();
    while (m_thread && GetTickCount64() - start < waitMs &&
           MsgWaitForMultipleObjects(1, &m_thread, FALSE, kPollMs, QS_ALLINPUT) != WAIT_OBJECT_0)
        progress->isCancelled(); // only for its pumping: the answer is known
}
