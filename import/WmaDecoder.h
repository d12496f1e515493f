#pragma once

#include "import/Decoder.h"

#include <memory>

struct IWMSyncReader;

// What making the runtime's reader gave.
struct ReaderCreation {
    enum Runtime { LibraryMissing, EntryPointMissing, Present } runtime = LibraryMissing;
    // The system's code when the library could not be loaded.
    DWORD loadError = 0;
    // The result of WMCreateSyncReader; E_FAIL when the runtime is missing.
    HRESULT status = E_FAIL;
};

// Where the decoder's synchronous reader comes from. Called on the decoder's
// worker thread; whatever the reader needs stays loaded while the factory lives.
class IWmReaderFactory {
public:
    virtual ~IWmReaderFactory() = default;
    virtual ReaderCreation create(IWMSyncReader** reader) = 0;
};

// The Windows Media Format runtime, loaded at run time from wmvcore.dll.
class CWmRuntimeReaderFactory : public IWmReaderFactory {
public:
    ~CWmRuntimeReaderFactory() override;
    ReaderCreation create(IWMSyncReader** reader) override;

private:
    HMODULE m_runtime = nullptr;
};

// Windows Media audio through the runtime's synchronous reader. The audio
// output's samples are written in the runtime's default format, unchanged.
// Every call into the runtime runs on a worker thread, so a runtime that
// never answers costs the user at most the stall limit, and Cancel always works.
class CWmaDecoder : public IDecoder {
public:
    static constexpr DWORD kStallLimitMs = 30000;

    explicit CWmaDecoder(
        std::shared_ptr<IWmReaderFactory> factory = std::make_shared<CWmRuntimeReaderFactory>(),
        DWORD stallLimitMs = kStallLimitMs);

    DecodeResult decodeFile(const wchar_t* input, const wchar_t* output,
                            IOpProgress* progress) override;

    // The runtime's text for a Windows Media result code; empty when unknown.
    static CString windowsMediaMessage(HRESULT code);

private:
    std::shared_ptr<IWmReaderFactory> m_factory;
    DWORD m_stallLimitMs;
};
