#include "import/OrderedPipeline.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr DWORD kIdleMs = 50;
// What the slots of a run may hold together, and what one piece may hold:
// larger pieces cost less to start, and with few threads each gets the most.
constexpr size_t kSlotsBudget = 8 * 1024 * 1024;
constexpr size_t kMaxPieceBytes = 2 * 1024 * 1024;

// Holds an exclusive SRW lock for one scope.
class CExclusive {
public:
    explicit CExclusive(SRWLOCK& lock) : m_lock(lock) { AcquireSRWLockExclusive(&m_lock); }
    ~CExclusive() { ReleaseSRWLockExclusive(&m_lock); }
    CExclusive(const CExclusive&) = delete;
    CExclusive& operator=(const CExclusive&) = delete;

private:
    SRWLOCK& m_lock;
};

} // namespace

COrderedPipeline::COrderedPipeline(unsigned threads)
    : m_threads(std::max(threads, 1u)), m_slots(m_threads + 2)
{
}

size_t COrderedPipeline::pieceBytes() const
{
    return std::min(kMaxPieceBytes, kSlotsBudget / m_slots);
}

DWORD WINAPI COrderedPipeline::workerEntry(void* pipeline)
{
    static_cast<COrderedPipeline*>(pipeline)->work();
    return 0;
}

void COrderedPipeline::work()
{
    for (;;) {
        size_t piece = 0;
        {
            CExclusive hold(m_lock);
            while (!stopping() && m_next < m_count && m_next >= m_taken + m_slots)
                SleepConditionVariableSRW(&m_changed, &m_lock, INFINITE, 0);
            if (stopping() || m_next >= m_count)
                return;
            piece = m_next++;
        }
        try {
            (*m_produce)(piece);
        } catch (...) {
            fail(std::current_exception());
            return;
        }
        CExclusive hold(m_lock);
        m_done[piece % m_slots] = 1;
        WakeAllConditionVariable(&m_changed);
    }
}

void COrderedPipeline::fail(std::exception_ptr failure)
{
    CExclusive hold(m_lock);
    if (!m_failure)
        m_failure = failure;
    m_stopping = true;
    WakeAllConditionVariable(&m_changed);
}

bool COrderedPipeline::run(size_t count, const std::function<void(size_t)>& produce,
                           const std::function<bool(size_t)>& take,
                           const std::function<bool()>& idle)
{
    std::vector<unsigned char> done(m_slots, 0);
    m_done = done.data();
    m_count = count;
    m_produce = &produce;
    m_next = m_taken = 0;
    m_stopping = false;

    std::vector<HANDLE> workers;
    const size_t threads = std::min<size_t>(m_threads, count);
    for (size_t i = 0; i < threads; ++i) {
        const HANDLE worker = CreateThread(nullptr, 0, workerEntry, this, 0, nullptr);
        if (worker)
            workers.push_back(worker);
    }
    bool completed = !workers.empty() || count == 0;
    try {
        for (size_t piece = 0; completed && piece < count; ++piece) {
            bool ready = false;
            while (!ready) {
                {
                    CExclusive hold(m_lock);
                    ready = m_done[piece % m_slots] != 0;
                    if (!ready && !stopping())
                        ready = SleepConditionVariableSRW(&m_changed, &m_lock, kIdleMs, 0) &&
                                m_done[piece % m_slots] != 0;
                }
                // A worker that failed leaves its piece undone.
                if (!ready && (stopping() || !idle())) {
                    completed = false;
                    break;
                }
            }
            if (!completed)
                break;
            completed = take(piece) && idle();
            CExclusive hold(m_lock);
            m_done[piece % m_slots] = 0;
            m_taken = piece + 1;
            WakeAllConditionVariable(&m_changed);
        }
    } catch (...) {
        fail(std::current_exception());
    }
    {
        CExclusive hold(m_lock);
        m_stopping = true;
        WakeAllConditionVariable(&m_changed);
    }
    if (!workers.empty())
        WaitForMultipleObjects(static_cast<DWORD>(workers.size()), workers.data(), TRUE, INFINITE);
    for (HANDLE worker : workers)
        CloseHandle(worker);
    m_done = nullptr;
    m_produce = nullptr;
    if (m_failure)
        std::rethrow_exception(std::exchange(m_failure, nullptr));
    return completed;
}
