#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>

// Work cut into numbered pieces: worker threads do them in any order, and
// the calling thread takes them in order. At most slots() pieces are handed
// out but not yet taken, so the memory they hold stays bounded; piece i may
// use the slot i % slots() of the caller's storage.
class COrderedPipeline {
public:
    explicit COrderedPipeline(unsigned threads);

    // A piece for each thread and two done ahead of the writer.
    size_t slots() const { return m_slots; }
    // The bytes a piece may hold so that the slots together stay within a
    // few megabytes however many threads there are.
    size_t pieceBytes() const;

    // produce(i) runs on a worker thread; take(i) runs on the calling thread,
    // in order, after produce(i) returned. idle() runs on the calling thread
    // at least every 50 ms while it waits, and after each take, to pump
    // messages and ask about Cancel. take or idle returning false stops the
    // run: no further piece starts, and run returns once the workers are
    // done. Returns whether every piece was taken. An exception from any of
    // the three stops the run too, and run throws it once the workers are
    // done.
    bool run(size_t count, const std::function<void(size_t)>& produce,
             const std::function<bool(size_t)>& take, const std::function<bool()>& idle);

    // Whether the run is stopping, for a long produce to give up early.
    bool stopping() const { return m_stopping.load(std::memory_order_relaxed); }

private:
    static DWORD WINAPI workerEntry(void* pipeline);
    void work();
    void fail(std::exception_ptr failure);

    unsigned m_threads;
    size_t m_slots;
    size_t m_count = 0;
    const std::function<void(size_t)>* m_produce = nullptr;

    SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_changed = CONDITION_VARIABLE_INIT;
    size_t m_next = 0;               // the next piece to hand out
    size_t m_taken = 0;              // pieces taken by the calling thread
    unsigned char* m_done = nullptr; // per slot: 1 once its piece is produced
    std::atomic<bool> m_stopping{false};
    std::exception_ptr m_failure; // the first exception of the run
};
