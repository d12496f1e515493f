#pragma once

#include "CString.h"
#include "Sync.h"
#include "view/CommandState.h"
#include "view/CutRegion.h"
#include "waveform/DatCache.h"

#include <mmsystem.h>

#include <cstdint>

class CDatBlocks;
class CWnd;
class IDocumentView;
class IOpProgress;

// The one open stream of an editor: the decoded 16-bit WAV file, its DAT
// file, format, duration, normalisation gain, names and the cut region.
class CStreamDocument {
public:
    CStreamDocument();
    ~CStreamDocument();
    CStreamDocument(const CStreamDocument&) = delete;
    CStreamDocument& operator=(const CStreamDocument&) = delete;

    void attach(CWnd* owner, IDocumentView* view);
    void store();

    // Decodes or converts input as needed and fills the document; errors
    // are shown to the user. wavPath, when given, is read instead of decoding.
    bool openInputFile(const wchar_t* input, const wchar_t* wavPath, int flag);
    // Whether the last open ended because the user cancelled it.
    bool openCancelled() const { return m_openCancelled; }
    // A decoder's samples are measured into measured, when given, as it writes them.
    bool decodeToWav(const wchar_t* input, CString& wavPath, IOpProgress* progress,
                     CDatBlocks* measured = nullptr);
    static double computeGain(double percent, int peak);
    // Display text of an input type and its parameter; empty for files.
    static CString typeDescription(int type, const CString& parameter);
    // The letters of the file name up to its first dot, else "ringtone".
    static CString titleFromFileName(const CString& inputFileName);

    void reset(bool refreshView);
    void setBusy(bool busy);
    bool isBusy() const { return m_busy != 0; }

    CCutRegion& cutRegion() { return m_cut; }
    const CCutRegion* cutAtPosition(int64_t position) const;
    void setCut(int64_t begin, int64_t end);
    void resetCut();
    void cutChanged();
    void setVisibleSpan(uint32_t seconds);
    uint32_t visibleSpan();

    const signed char* readDatRange(int64_t start, int64_t end, int* count);

    int64_t getDurationMs() const { return m_durationMs; }
    double getGain() const { return m_gain; }
    const CString& getWavPath() const { return m_wavPath; }
    const CString& getDatPath() const { return m_datPath; }
    const WAVEFORMATEX& getFormat() const { return m_format; }
    const CString& getDisplayName() const { return m_displayName; }
    const CString& getInputFileName() const { return m_inputFileName; }
    // The display name again from the input type and the InputName setting.
    void refreshDisplayName();
    // The document's part of what the editor's buttons may do now.
    void fillCommandState(CommandState& state);
    const CString& getTitle() const { return m_title; }
    const CString& getOpenFilter() const { return m_openFilter; }

private:
    // Makes the work folder again when it has gone; throws when it cannot.
    static void assureWorkFolder();
    CString temporaryBase() const;
    void applyDefaultCut();
    void loadNames(const wchar_t* input);
    bool storedNamesApply() const;

    CWnd* m_owner = nullptr;
    IDocumentView* m_view = nullptr;
    CCutRegion m_cut;
    CString m_openFilter;
    CString m_inputFileName;
    CString m_displayName;
    CString m_title;
    int m_inputType = 0;
    CString m_inputParam;
    CString m_wavPath;
    CString m_datPath;
    double m_gain = 1.0;
    WAVEFORMATEX m_format{};
    int64_t m_durationMs = 0;
    uint32_t m_visibleSpan = 60;
    CDatCache m_datCache;
    CCriticalSection m_lock;
    int m_busy = 0;
    bool m_openCancelled = false;
};

// The document of the editor, for the windows that reach it without an owner.
CStreamDocument* GetStreamDocument();
