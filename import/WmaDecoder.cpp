#include "import/WmaDecoder.h"

#include "import/OpProgress.h"
#include "import/WavWriter.h"
#include "infra/Logger.h"
#include "infra/TraceChannel.h"

#include <nserror.h>
#include <wmsdk.h>

#include <new>

namespace {

// Not in mingw's import libraries.
constexpr GUID kAudioMajorType = {0x73647561, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr GUID kIidHeaderInfo = {0x96406bda, 0x2b2b, 0x11d3, {0xb3, 0x6b, 0x00, 0xc0, 0x4f, 0x61, 0x08, 0xff}};
constexpr HRESULT kAttributeNotFound = static_cast<HRESULT>(0xC00D07F0);

using CreateSyncReaderProc = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, DWORD, IWMSyncReader**);

template <class T> void release(T*& object)
{
    if (object) {
        object->Release();
        object = nullptr;
    }
}

HRESULT outOfMemory()
{
    TraceFormat(LOG_ERROR, L"CWmaDecoder: Insufficient memory");
    return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_OUTOFMEMORY);
}

} // namespace

HRESULT CWmaDecoder::findAudioOutput(IWMSyncReader* reader, DWORD& outputNumber,
                                     std::unique_ptr<BYTE[]>& format)
{
    if (!reader)
        return E_UNEXPECTED;
    DWORD outputs = 0;
    HRESULT status = reader->GetOutputCount(&outputs);
    if (FAILED(status)) {
        TraceFormat(LOG_ERROR, L"CWmaDecoder: Could not get output count");
        return status;
    }
    IWMOutputMediaProps* props = nullptr;
    std::unique_ptr<BYTE[]> typeBuffer;
    DWORD match = 0;
    for (; match < outputs; ++match) {
        release(props);
        typeBuffer.reset();
        const wchar_t* failure = nullptr;
        DWORD size = 0;
        if (FAILED(status = reader->GetOutputProps(match, &props)))
            failure = L"CWmaDecoder: Could not get output props";
        else if (FAILED(status = props->GetMediaType(nullptr, &size)))
            failure = L"CWmaDecoder: Could not query for the space needed for media type";
        else if (!(typeBuffer.reset(new (std::nothrow) BYTE[size]), typeBuffer)) {
            release(props);
            return outOfMemory();
        } else if (FAILED(status = props->GetMediaType(
                              reinterpret_cast<WM_MEDIA_TYPE*>(typeBuffer.get()), &size)))
            failure = L"CWmaDecoder: Could not get media type";
        if (failure) {
            TraceFormat(LOG_ERROR, L"%s", failure);
            release(props);
            return status;
        }
        if (reinterpret_cast<WM_MEDIA_TYPE*>(typeBuffer.get())->majortype == kAudioMajorType)
            break;
    }
    release(props);
    if (match == outputs) {
        TraceFormat(LOG_ERROR, L"CWmaDecoder: Could not find an audio stream in the specified file");
        return E_UNEXPECTED;
    }
    const WM_MEDIA_TYPE* type = reinterpret_cast<WM_MEDIA_TYPE*>(typeBuffer.get());
    // The writer reads a whole WAVEFORMATEX even when the block is shorter.
    const size_t copySize = std::max<size_t>(type->cbFormat, sizeof(WAVEFORMATEX));
    format.reset(new (std::nothrow) BYTE[copySize]());
    if (!format)
        return outOfMemory();
    memcpy(format.get(), type->pbFormat, type->cbFormat);
    outputNumber = match;
    return S_OK;
}

HRESULT CWmaDecoder::readAttribute(IWMHeaderInfo* headerInfo, const wchar_t* name,
                                   std::unique_ptr<BYTE[]>& value)
{
    if (!headerInfo)
        return E_UNEXPECTED;
    WORD stream = 0, length = 0;
    WMT_ATTR_DATATYPE type;
    HRESULT status = headerInfo->GetAttributeByName(&stream, name, &type, nullptr, &length);
    if (status == kAttributeNotFound) {
        value.reset();
        return S_OK;
    }
    if (FAILED(status))
        return status;
    value.reset(new (std::nothrow) BYTE[length]());
    if (!value)
        return E_OUTOFMEMORY;
    return headerInfo->GetAttributeByName(&stream, name, &type, value.get(), &length);
}

DecodeResult CWmaDecoder::decodeFile(const wchar_t* input, const wchar_t* output,
                                     IOpProgress* progress)
{
    HRESULT status = E_FAIL;
    DecodeResult result = DecodeDone;
    bool runtimePresent = false;
    IWMSyncReader* reader = nullptr;
    IWMHeaderInfo* headerInfo = nullptr;
    std::unique_ptr<BYTE[]> format;
    CWavWriter writer;
    progress->show(true);

    HMODULE runtime = LoadLibraryW(L"wmvcore.dll");
    if (!runtime) {
        m_errorCode = GetLastError();
        m_errorText = SystemErrorText(m_errorCode);
        TraceFormat(LOG_ERROR, L"CWmaDecoder: error loading wmvcore.dll, error code = %x : %s",
                    m_errorCode, m_errorText.GetString());
    }
    const auto createReader = runtime ? reinterpret_cast<CreateSyncReaderProc>(reinterpret_cast<void*>(
                                            GetProcAddress(runtime, "WMCreateSyncReader")))
                                      : nullptr;
    DWORD audioOutput = 0;
    if (runtime && !createReader)
        TraceFormat(LOG_ERROR, L"CWmaDecoder: error finding WMCreateSyncReader proc, incorect "
                               L"windows media format version");
    if (createReader) {
        runtimePresent = true;
        if (FAILED(status = createReader(nullptr, WMT_RIGHT_PLAYBACK, &reader)))
            TraceFormat(LOG_ERROR, L"CWmaDecoder: error creating wm reader, error = %x", status);
        else if (FAILED(status = reader->Open(input)))
            TraceFormat(LOG_ERROR, L"CWmaDecoder: error opening file %s, error = %x", input, status);
        else if (FAILED(status = findAudioOutput(reader, audioOutput, format)))
            TraceFormat(LOG_ERROR, L"CWmaDecoder: error getting audio output, error = %x", status);
        else if (!writer.create(output, reinterpret_cast<const WAVEFORMATEX*>(format.get()),
                                    m_measured)) {
            SetLastError(writer.lastSystemError());
            status = E_FAIL;
        }
    }
    QWORD mediaDuration = 0;
    if (SUCCEEDED(status)) {
        std::unique_ptr<BYTE[]> duration;
        if (FAILED(reader->QueryInterface(kIidHeaderInfo, reinterpret_cast<void**>(&headerInfo))))
            TraceFormat(LOG_ERROR, L"Could not QI for IWMHeaderInfo");
        else if (FAILED(readAttribute(headerInfo, L"Duration", duration)))
            TraceFormat(LOG_ERROR, L"Could not get the Duration attribute");
        else {
            if (duration)
                memcpy(&mediaDuration, duration.get(), sizeof(mediaDuration));
            progress->setRange(static_cast<UINT>(mediaDuration / 10000));
        }
    }
    QWORD lastSampleEnd = 0, lastAudioSampleEnd = 0;
    while (SUCCEEDED(status)) {
        if (progress->isCancelled()) {
            TraceFormat(LOG_ERROR, L"wma decoding canceled");
            result = DecodeCancelled;
            status = E_FAIL;
            break;
        }
        INSSBuffer* sample = nullptr;
        QWORD time = 0, duration = 0;
        DWORD flags = 0, outputNumber = 0;
        status = reader->GetNextSample(0, &sample, &time, &duration, &flags, &outputNumber, nullptr);
        if (FAILED(status)) {
            if (status == NS_E_NO_MORE_SAMPLES) {
                TraceFormat(LOG_DEBUG,
                            L"CWmaDecoder: no more samples: lastAudioSampleEndTime = %I64d , "
                            L"lastSampleEndTime = %I64d , mediaDuration = %I64d",
                            lastAudioSampleEnd, lastSampleEnd, mediaDuration);
                status = S_OK;
            } else {
                TraceFormat(LOG_ERROR, L"CWmaDecoder: GetNextSample failed, error = %x", status);
            }
            break;
        }
        lastSampleEnd = time + duration;
        if (outputNumber == audioOutput) {
            lastAudioSampleEnd = lastSampleEnd;
            BYTE* bytes = nullptr;
            DWORD length = 0;
            if (FAILED(status = sample->GetBufferAndLength(&bytes, &length))) {
                TraceFormat(LOG_ERROR, L"GetBufferAndLength failed, error = %x", status);
            } else if (!writer.write(bytes, static_cast<int>(length))) {
                m_errorCode = writer.lastSystemError();
                m_errorText = SystemErrorText(m_errorCode);
                status = E_FAIL;
            }
            progress->setPos(static_cast<UINT>(time / 10000));
        }
        sample->Release();
    }
    release(reader);
    release(headerInfo);
    format.reset();
    if (runtime)
        FreeLibrary(runtime);
    writer.close();

    if (result != DecodeCancelled) {
        if (!runtimePresent) {
            m_errorText = L"Windows media format components are not installed or they are too old! "
                          L"Please install the Window Media Player 9 or newer.";
            result = DecodeRuntimeMissing;
        } else if (m_errorCode != 0) {
            m_errorText = SystemErrorText(m_errorCode);
            result = DecodeFailed;
        } else if (FAILED(status)) {
            if (status != E_FAIL)
                m_errorText = windowsMediaMessage(status);
            result = DecodeFailed;
        }
    }
    if (result != DecodeDone)
        DeleteFileW(output);
    return result;
}

CString CWmaDecoder::windowsMediaMessage(HRESULT code)
{
    HMODULE messages = LoadLibraryW(L"wmerror.dll");
    if (!messages) {
        TraceFormat(LOG_ERROR, L"Error loading wmerror.dll (%d)", static_cast<int>(GetLastError()));
        return CString();
    }
    CString text;
    wchar_t* message = nullptr;
    if (FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                           FORMAT_MESSAGE_FROM_HMODULE,
                       messages, static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                       reinterpret_cast<wchar_t*>(&message), 0, nullptr)) {
        text = message;
        LocalFree(message);
    }
    FreeLibrary(messages);
    return text;
}
