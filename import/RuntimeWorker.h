#pragma once

#include <windows.h>

#include <functional>
#include <memory>

class IOpProgress;

// A thread of its own for calls into a runtime that may never return. The
// caller hands over one call at a time and waits for it while its progress
// keeps the window alive; it gives up when the user cancels or the runtime
// stays silent for the stall limit. A call given up on is abandoned, not
// stopped: the thread finishes it, then the calls queued behind it, whenever
// the runtime lets it. So calls may touch only what they own (shared state
// they hold a reference to), never the caller's stack, files or windows.
class CRuntimeWorker {
public:
    enum class Wait { Answered, Cancelled, Stalled };
    // Milliseconds from a fixed start.
    using Clock = std::function<ULONGLONG()>;

    explicit CRuntimeWorker(DWORD stallLimitMs, Clock clock = &GetTickCount64);
    // Lets the thread end after the calls queued so far, without waiting.
    ~CRuntimeWorker();
    CRuntimeWorker(const CRuntimeWorker&) = delete;
    CRuntimeWorker& operator=(const CRuntimeWorker&) = delete;

    // False when the thread could not be made (GetLastError tells why).
    bool start();
    // Runs call on the thread and waits for it. Only Answered allows another
    // call. Stalled means the runtime kept the call for the limit, not that the
    // caller was away that long: the progress may hold this thread in a nested
    // modal loop (a box the user opened) while the runtime answers.
    Wait run(std::function<void()> call, IOpProgress* progress);
    // Queues call behind the current one without waiting, also after a call was
    // given up on: the thread's last words, such as releasing what it holds.
    void post(std::function<void()> call);
    // Lets the thread end after the calls queued so far and waits for it up to
    // waitMs, the progress keeping the window alive. A thread still inside the
    // runtime then goes on alone; one that ends now leaves nothing running
    // that a host ending its process could catch halfway.
    void finish(DWORD waitMs, IOpProgress* progress);

    DWORD stallLimitMs() const { return m_stallLimitMs; }

private:
    struct Channel;
    static DWORD WINAPI threadMain(void* channel);

    void end();

    DWORD m_stallLimitMs;
    Clock m_clock;
    std::shared_ptr<Channel> m_channel;
    HANDLE m_thread = nullptr;
    bool m_ended = false;
};
