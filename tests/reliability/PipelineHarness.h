#pragma once

#include "import/Decoder.h"
#include "import/DocumentView.h"
#include "import/StreamDocument.h"
#include "import/WavReader.h"

#include "load/LoadRun.h"
#include "support/TestStore.h"
#include "support/TempDir.h"

#include <memory>
#include <string>

// The document's side of the editor, without windows: it keeps the busy flag
// at every refresh of the buttons.
class RecordingView : public IDocumentView {
public:
    void documentChanged(bool) override {}
    void commandStateChanged() override { busySeen.push_back(document->isBusy()); }
    bool isPlaying() override { return false; }
    void stopPlaying() override {}
    int64_t getPosition() override { return 0; }

    const CStreamDocument* document = nullptr;
    std::vector<bool> busySeen;
};

// What an open leaves: its messages, and the WAV and DAT files of one that worked.
struct OpenOutcome {
    bool opened = false;
    std::vector<CString> boxes;
    std::string wav, dat;
    bool operator==(const OpenOutcome&) const = default;
};

// A document on a work folder of its own (a fresh one unless given), with the editor's
// settings, opened as the editor opens files, each open under a watchdog; COM ready for
// Windows Media.
class PipelineHarness {
    // First made and last removed: the document's files are in it.
    TempDir m_freshWork;

public:
    explicit PipelineHarness(const CString& workFolder = CString());
    ~PipelineHarness();

    OpenOutcome open(const CString& input);
    void expectOpens(const CString& input);
    void expectRefused(const CString& input, const CString& message);
    // Every open leaves the busy flag down and any temporary WAV file complete; a
    // successful one a DAT file that matches its WAV file, a failed one the document
    // empty and no DAT file. Returns the problems found, empty when there are none.
    std::string problemsAfter(bool opened);
    // Plays a WAV file's last moments and past its end; true on a player error.
    bool playTail(const CString& wavPath, int64_t durationMs);
    void clearWorkFiles() const;
    // The DecodeThreads setting: 0 for the machine's processors.
    void setDecodeThreads(unsigned threads)
    {
        m_settings.store.set(L"MV_Settings", L"DecodeThreads", std::to_wstring(threads).c_str());
    }

    CString workFile(const wchar_t* name) const { return m_work + L"\\" + name; }
    CStreamDocument document;
    RecordingView view;
    // What a hang report names (the input when empty).
    std::string caseName;
    Watchdog watchdog{60};

private:
    CString m_work;
    EditorSettings m_settings;
};

bool FileExists(const wchar_t* path);
std::string ReadAllSamples(CWavReader& reader);
// A string of the component's resources, in the language the tests load.
CString resourceText(UINT id);
CString formatted(UINT id, const wchar_t* argument);

// A fresh decoder of a kind: make<CMp3Decoder>, say.
using MakeDecoder = std::unique_ptr<IDecoder> (*)();
template <class Decoder> std::unique_ptr<IDecoder> make()
{
    return std::make_unique<Decoder>();
}
