#include "WinThread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

std::atomic<bool> ran{false};

UINT markRan(LPVOID param)
{
    ran = true;
    return *static_cast<UINT*>(param);
}

HANDLE duplicate(HANDLE thread)
{
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    return copy;
}

} // namespace

// The thread object goes away with its thread, so the test keeps a handle of
// its own to wait on.
TEST(WinThreadTest, SuspendedThreadRunsWithItsPriorityOnceResumed)
{
    ran = false;
    UINT exitCode = 42;
    CWinThread* thread =
        AfxBeginThread(markRan, &exitCode, THREAD_PRIORITY_ABOVE_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    const HANDLE handle = duplicate(thread->m_hThread);
    EXPECT_EQ(WaitForSingleObject(handle, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_FALSE(ran);
    EXPECT_EQ(GetThreadPriority(handle), THREAD_PRIORITY_ABOVE_NORMAL);

    thread->ResumeThread();
    ASSERT_EQ(WaitForSingleObject(handle, 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(ran);
    DWORD code = 0;
    GetExitCodeThread(handle, &code);
    EXPECT_EQ(code, 42u);
    CloseHandle(handle);
}

TEST(WinThreadTest, ThreadStartsAtOnceWithoutTheSuspendFlag)
{
    ran = false;
    HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CWinThread* thread = AfxBeginThread(
        [](LPVOID event) -> UINT {
            ran = true;
            SetEvent(static_cast<HANDLE>(event));
            return 0;
        },
        started);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(started, 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(ran);
    CloseHandle(started);
}
