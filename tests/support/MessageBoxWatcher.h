#pragma once

#include "CString.h"
#include "Wnd.h"

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

// Answers every message box that this process shows while the watcher lives
// (as if the user pressed its default button) and keeps the boxes' texts,
// so code under test that reports to the user cannot block a test.
class MessageBoxWatcher {
public:
    MessageBoxWatcher() : m_thread([this] { run(); }) {}
    ~MessageBoxWatcher()
    {
        m_stop = true;
        m_thread.join();
    }

    std::vector<CString> texts() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_texts;
    }

private:
    void run()
    {
        for (; !m_stop; Sleep(10))
            EnumWindows(answer, reinterpret_cast<LPARAM>(this));
    }

    // Other dialogs of the process (a progress window, say) are left alone:
    // only a message box has its text in a static with the identifier 0xFFFF.
    static BOOL CALLBACK answer(HWND window, LPARAM self)
    {
        auto* watcher = reinterpret_cast<MessageBoxWatcher*>(self);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t className[8] = {};
        GetClassNameW(window, className, 8);
        const HWND text = GetDlgItem(window, 0xFFFF);
        if (process != GetCurrentProcessId() || wcscmp(className, L"#32770") != 0 ||
            !IsWindowVisible(window) || !text || !watcher->m_answered.insert(window).second)
            return TRUE;
        std::lock_guard<std::mutex> lock(watcher->m_mutex);
        watcher->m_texts.push_back(AfxGetWindowText(text));
        PostMessageW(window, WM_COMMAND, IDOK, 0);
        return TRUE;
    }

    mutable std::mutex m_mutex;
    std::vector<CString> m_texts;
    std::set<HWND> m_answered;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};
