#pragma once

#include "import/Decoder.h"

#include <memory>

struct IWMSyncReader;
struct IWMHeaderInfo;

// Windows Media audio through the runtime's synchronous reader, loaded at
// run time from wmvcore.dll. The audio output's samples are written in the
// runtime's default format, unchanged.
class CWmaDecoder : public IDecoder {
public:
    DecodeResult decodeFile(const wchar_t* input, const wchar_t* output,
                            IOpProgress* progress) override;

    // The runtime's text for a Windows Media result code; empty when unknown.
    static CString windowsMediaMessage(HRESULT code);

private:
    HRESULT findAudioOutput(IWMSyncReader* reader, DWORD& outputNumber,
                            std::unique_ptr<BYTE[]>& format);
    HRESULT readAttribute(IWMHeaderInfo* headerInfo, const wchar_t* name,
                          std::unique_ptr<BYTE[]>& value);
};
