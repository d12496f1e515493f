#pragma once

#include "import/DocumentView.h"
#include "import/StreamDocument.h"
#include "playback/WavPlayerCallBack.h"

#include "support/MemoryConfigStore.h"
#include "support/TempDir.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// Ends the process when a watched step overruns its bound: a hang must fail
// the test, not hold up the whole run. The label names the step in the report.
class Watchdog {
public:
    explicit Watchdog(DWORD seconds);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    void arm(const std::string& label);
    void disarm();

private:
    void run();

    DWORD m_bound;
    HANDLE m_wake;
    CRITICAL_SECTION m_lock;
    std::string m_label;
    ULONGLONG m_deadline = 0;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

// The document's side of the editor, without windows.
class QuietView : public IDocumentView {
public:
    void documentChanged(bool) override {}
    void commandStateChanged() override {}
    bool isPlaying() override { return false; }
    void stopPlaying() override {}
    int64_t getPosition() override { return 0; }
};

// What one open left behind.
struct OpenOutcome {
    bool opened = false;
    std::vector<CString> boxes;
};

// A document on a work folder of its own, with the settings the editor
// declares, opened the way the editor opens files.
class PipelineHarness {
public:
    explicit PipelineHarness(const CString& workFolder);
    ~PipelineHarness();

    // Opens input, answering every box; the busy flag must be down again.
    OpenOutcome open(const CString& input);
    // Failed opens leave the document empty and no DAT file behind; a
    // temporary WAV file left by a decoder that finished is complete.
    // Returns the problems found, empty when there are none.
    std::string checkAfterFailure();
    // A successful open leaves a document whose DAT file matches its WAV file.
    std::string checkAfterSuccess() const;
    // Plays the last moments of a WAV file and past its end; true when the
    // player reported an error. The watchdog bounds the wait.
    bool playTail(const CString& wavPath, int64_t durationMs);
    // Removes the temporary files so each open starts clean.
    void clearWorkFiles() const;

    CString workFile(const wchar_t* name) const;
    CStreamDocument document;

private:
    CString m_work;
    MemoryConfigStore m_store;
    FixedHostInfo m_hostInfo;
    QuietView m_view;
};

// A complete RIFF WAVE file: both size fields agree with the file's length.
bool IsCompleteWav(const wchar_t* path);
bool FileExists(const wchar_t* path);
// A string of the component's resources, in the language the tests load.
CString resourceText(UINT id);
// The resource string with its one %s filled in.
CString formatted(UINT id, const wchar_t* argument);
