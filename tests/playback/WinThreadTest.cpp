#include "WinThread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

std::atomic<int> runs{0};

UINT countRun(LPVOID exitCode)
{
    ++runs;
    return *static_cast<UINT*>(exitCode);
}

// The thread object goes away with its thread, so the test waits on a handle of its own.
HANDLE handleOf(CWinThread* thread)
{
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &copy, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    return copy;
}

} // namespace

TEST(WinThreadTest, SuspendedThreadWaitsWithItsPriorityAndOtherThreadsStartAtOnce)
{
    UINT exitCode = 42;
    CWinThread* suspended =
        AfxBeginThread(countRun, &exitCode, THREAD_PRIORITY_ABOVE_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(suspended, nullptr);
    const HANDLE waiting = handleOf(suspended);
    EXPECT_EQ(WaitForSingleObject(waiting, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(GetThreadPriority(waiting), THREAD_PRIORITY_ABOVE_NORMAL);

    const HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(AfxBeginThread(
                  [](LPVOID event) -> UINT {
                      ++runs;
                      return SetEvent(static_cast<HANDLE>(event));
                  },
                  started),
              nullptr);
    ASSERT_EQ(WaitForSingleObject(started, 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(runs, 1);

    suspended->ResumeThread();
    ASSERT_EQ(WaitForSingleObject(waiting, 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(runs, 2);
    DWORD code = 0;
    GetExitCodeThread(waiting, &code);
    EXPECT_EQ(code, 42u);
    CloseHandle(waiting);
    CloseHandle(started);
}
