#include "import/WmaDecoder.h"

#include "import/OpProgress.h"
#include "import/RuntimeWorker.h"
#include "import/WavWriter.h"
#include "infra/Logger.h"
#include "infra/TraceChannel.h"

#include <nserror.h>
#include <wmsdk.h>

#include <algorithm>
#include <atomic>
#include <new>

namespace {

// Not in mingw's import libraries.
constexpr GUID kAudioMajorType = {
    0x73647561, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr GUID kIidHeaderInfo = {
    0x96406bda, 0x2b2b, 0x11d3, {0xb3, 0x6b, 0x00, 0xc0, 0x4f, 0x61, 0x08, 0xff}};
constexpr HRESULT kAttributeNotFound = static_cast<HRESULT>(0xC00D07F0);
// How long the end of a step waits for the worker to let go of the runtime: a
// runtime that is slow, not stuck, finishes within it after a Cancel, and
// with the 10 ms polls a Cancel is answered within a second.
constexpr DWORD kWorkerEndMs = 900;

using CreateSyncReaderProc = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, DWORD, IWMSyncReader**);

template <class T> void release(T*& object)
{
    if (object) {
        object->Release();
        object = nullptr;
    }
}

// Everything the worker thread touches: the runtime's objects and the answers
// of its last call. The decoder reads the answers only once the call has
// returned. A worker given up on keeps this alive, and with it the factory,
// so the runtime stays loaded while the worker may still be inside it.
struct RuntimeSide {
    RuntimeSide(std::shared_ptr<IWmReaderFactory> readerFactory, const wchar_t* path)
        : factory(std::move(readerFactory)), input(path)
    {
    }

    // Names the runtime call about to be made, for the report of a stall.
    void entering(const wchar_t* call) { current = call; }

    void createReader();
    void open();
    void findAudioOutput();
    void outOfMemory();
    void readDuration();
    // size: the bytes of value the runtime filled.
    HRESULT readAttribute(const wchar_t* name, std::unique_ptr<BYTE[]>& value, WORD& size);
    void nextSample();
    void releaseAll();

    std::shared_ptr<IWmReaderFactory> factory;
    const CString input;
    std::atomic<const wchar_t*> current{L"WMCreateSyncReader"};
    IWMSyncReader* reader = nullptr;
    IWMHeaderInfo* headerInfo = nullptr;
    INSSBuffer* sample = nullptr;

    ReaderCreation creation;
    HRESULT status = E_FAIL;
    // What failed in the last step, for the trace; null when nothing did.
    const wchar_t* failure = nullptr;
    // The audio output: its number and a copy of its format block.
    DWORD audioOutput = 0;
    std::unique_ptr<BYTE[]> format;
    // The header's duration in 100 ns units, 0 when the header has none.
    QWORD mediaDuration = 0;
    // The last sample, and its bytes when it belongs to the audio output.
    QWORD time = 0;
    QWORD duration = 0;
    DWORD outputNumber = 0;
    HRESULT bufferStatus = S_OK;
    BYTE* bytes = nullptr;
    DWORD length = 0;
};

void RuntimeSide::createReader()
{
    entering(L"WMCreateSyncReader");
    creation = factory->create(&reader);
    status = creation.status;
}

void RuntimeSide::open()
{
    entering(L"IWMSyncReader::Open");
    status = reader->Open(input);
}

void RuntimeSide::findAudioOutput()
{
    failure = nullptr;
    DWORD outputs = 0;
    entering(L"IWMSyncReader::GetOutputCount");
    if (FAILED(status = reader->GetOutputCount(&outputs))) {
        failure = L"CWmaDecoder: Could not get output count";
        return;
    }
    IWMOutputMediaProps* props = nullptr;
    std::unique_ptr<BYTE[]> typeBuffer;
    DWORD match = 0;
    for (; match < outputs; ++match) {
        release(props);
        typeBuffer.reset();
        entering(L"IWMSyncReader::GetOutputProps");
        if (FAILED(status = reader->GetOutputProps(match, &props))) {
            failure = L"CWmaDecoder: Could not get output props";
            break;
        }
        DWORD size = 0;
        entering(L"IWMOutputMediaProps::GetMediaType");
        if (FAILED(status = props->GetMediaType(nullptr, &size)))
            failure = L"CWmaDecoder: Could not query for the space needed for media type";
        else if (!(typeBuffer.reset(new (std::nothrow) BYTE[size]), typeBuffer))
            outOfMemory();
        else if (FAILED(status = props->GetMediaType(
                            reinterpret_cast<WM_MEDIA_TYPE*>(typeBuffer.get()), &size)))
            failure = L"CWmaDecoder: Could not get media type";
        if (failure ||
            reinterpret_cast<WM_MEDIA_TYPE*>(typeBuffer.get())->majortype == kAudioMajorType)
            break;
    }
    entering(L"IWMOutputMediaProps::Release");
    release(props);
    if (failure)
        return;
    if (match == outputs) {
        failure = L"CWmaDecoder: Could not find an audio stream in the specified file";
        status = E_UNEXPECTED;
        return;
    }
    const WM_MEDIA_TYPE* type = reinterpret_cast<WM_MEDIA_TYPE*>(typeBuffer.get());
    // The writer reads a whole WAVEFORMATEX even when the block is shorter.
    const size_t copySize = std::max<size_t>(type->cbFormat, sizeof(WAVEFORMATEX));
    format.reset(new (std::nothrow) BYTE[copySize]());
    if (!format)
        return outOfMemory();
    memcpy(format.get(), type->pbFormat, type->cbFormat);
    audioOutput = match;
    status = S_OK;
}

void RuntimeSide::outOfMemory()
{
    failure = L"CWmaDecoder: Insufficient memory";
    status = HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_OUTOFMEMORY);
}

HRESULT RuntimeSide::readAttribute(const wchar_t* name, std::unique_ptr<BYTE[]>& value, WORD& size)
{
    WORD stream = 0;
    size = 0;
    WMT_ATTR_DATATYPE type;
    entering(L"IWMHeaderInfo::GetAttributeByName");
    HRESULT result = headerInfo->GetAttributeByName(&stream, name, &type, nullptr, &size);
    if (result == kAttributeNotFound) {
        value.reset();
        return S_OK;
    }
    if (FAILED(result))
        return result;
    value.reset(new (std::nothrow) BYTE[size]());
    if (!value)
        return E_OUTOFMEMORY;
    return headerInfo->GetAttributeByName(&stream, name, &type, value.get(), &size);
}

void RuntimeSide::readDuration()
{
    failure = nullptr;
    std::unique_ptr<BYTE[]> value;
    WORD size = 0;
    entering(L"IWMSyncReader::QueryInterface");
    if (FAILED(reader->QueryInterface(kIidHeaderInfo, reinterpret_cast<void**>(&headerInfo))))
        failure = L"Could not QI for IWMHeaderInfo";
    else if (FAILED(readAttribute(L"Duration", value, size)))
        failure = L"Could not get the Duration attribute";
    // A Duration of another size is not the 64-bit count of 100 ns it must
    // be: the stream goes on as one without a known length.
    else if (value && size == sizeof(mediaDuration))
        memcpy(&mediaDuration, value.get(), sizeof(mediaDuration));
}

void RuntimeSide::nextSample()
{
    entering(L"INSSBuffer::Release");
    release(sample);
    bytes = nullptr;
    length = 0;
    DWORD flags = 0;
    entering(L"IWMSyncReader::GetNextSample");
    status = reader->GetNextSample(0, &sample, &time, &duration, &flags, &outputNumber, nullptr);
    if (SUCCEEDED(status) && outputNumber == audioOutput) {
        entering(L"INSSBuffer::GetBufferAndLength");
        bufferStatus = sample->GetBufferAndLength(&bytes, &length);
    }
}

void RuntimeSide::releaseAll()
{
    release(sample);
    release(reader);
    release(headerInfo);
    format.reset();
}

} // namespace

CWmRuntimeReaderFactory::~CWmRuntimeReaderFactory()
{
    if (m_runtime)
        FreeLibrary(m_runtime);
}

ReaderCreation CWmRuntimeReaderFactory::create(IWMSyncReader** reader)
{
    ReaderCreation creation;
    if (!m_runtime && !(m_runtime = LoadLibraryW(L"wmvcore.dll"))) {
        creation.loadError = GetLastError();
        return creation;
    }
    const auto createReader = reinterpret_cast<CreateSyncReaderProc>(
        reinterpret_cast<void*>(GetProcAddress(m_runtime, "WMCreateSyncReader")));
    if (!createReader) {
        creation.runtime = ReaderCreation::EntryPointMissing;
        return creation;
    }
    creation.runtime = ReaderCreation::Present;
    creation.status = createReader(nullptr, WMT_RIGHT_PLAYBACK, reader);
    return creation;
}

CWmaDecoder::CWmaDecoder(std::shared_ptr<IWmReaderFactory> factory, DWORD stallLimitMs)
    : m_factory(std::move(factory)), m_stallLimitMs(stallLimitMs)
{
}

DecodeResult CWmaDecoder::decodeFile(const wchar_t* input, const wchar_t* output,
                                     IOpProgress* progress)
{
    HRESULT status = E_FAIL;
    DecodeResult result = DecodeDone;
    CWavWriter writer;
    // The input stays open for the whole step, so nobody deletes or
    // replaces it before the runtime opens it.
    const HANDLE inputHold = openInput(input);
    if (inputHold == INVALID_HANDLE_VALUE) {
        TraceFormat(LOG_ERROR, L"CWmaDecoder: error opening file %s: %s", input,
                    m_errorText.GetString());
        return DecodeFailed;
    }
    progress->show(true);

    CRuntimeWorker worker(m_stallLimitMs);
    if (!worker.start()) {
        m_errorCode = GetLastError();
        m_errorText = SystemErrorText(m_errorCode);
        TraceFormat(LOG_ERROR, L"CWmaDecoder: no thread for the runtime: %s",
                    m_errorText.GetString());
        CloseHandle(inputHold);
        return DecodeFailed;
    }
    const auto side = std::make_shared<RuntimeSide>(m_factory, input);
    // One step on the worker. When the user cancels or the runtime stays
    // silent, the worker is given up on and the status ends the decoding.
    CRuntimeWorker::Wait wait = CRuntimeWorker::Wait::Answered;
    const wchar_t* stalledCall = nullptr;
    const auto ask = [&](void (RuntimeSide::*step)()) {
        wait = worker.run([side, step] { ((*side).*step)(); }, progress);
        if (wait == CRuntimeWorker::Wait::Answered)
            return true;
        stalledCall = side->current;
        status = E_FAIL;
        return false;
    };

    bool runtimePresent = false;
    if (ask(&RuntimeSide::createReader)) {
        const ReaderCreation& creation = side->creation;
        runtimePresent = creation.runtime == ReaderCreation::Present;
        status = creation.status;
        if (creation.runtime == ReaderCreation::LibraryMissing) {
            m_errorCode = creation.loadError;
            m_errorText = SystemErrorText(m_errorCode);
            TraceFormat(LOG_ERROR, L"CWmaDecoder: error loading wmvcore.dll, error code = %x : %s",
                        m_errorCode, m_errorText.GetString());
        } else if (!runtimePresent) {
            TraceFormat(LOG_ERROR, L"CWmaDecoder: error finding WMCreateSyncReader proc, incorect "
                                   L"windows media format version");
        } else if (FAILED(status)) {
            TraceFormat(LOG_ERROR, L"CWmaDecoder: error creating wm reader, error = %x", status);
        }
    }
    if (SUCCEEDED(status) && ask(&RuntimeSide::open) && FAILED(status = side->status))
        TraceFormat(LOG_ERROR, L"CWmaDecoder: error opening file %s, error = %x", input, status);
    if (SUCCEEDED(status) && ask(&RuntimeSide::findAudioOutput) && FAILED(status = side->status)) {
        TraceFormat(LOG_ERROR, L"%s", side->failure);
        TraceFormat(LOG_ERROR, L"CWmaDecoder: error getting audio output, error = %x", status);
    }
    if (SUCCEEDED(status) &&
        !writer.create(output, reinterpret_cast<const WAVEFORMATEX*>(side->format.get()),
                       m_measured)) {
        m_errorCode = writer.lastSystemError();
        m_errorText = SystemErrorText(m_errorCode);
        status = E_FAIL;
    }
    if (SUCCEEDED(status) && ask(&RuntimeSide::readDuration)) {
        if (side->failure)
            TraceFormat(LOG_ERROR, L"%s", side->failure);
        else
            progress->setRange(static_cast<UINT>(side->mediaDuration / 10000));
    }
    QWORD lastSampleEnd = 0, lastAudioSampleEnd = 0;
    while (SUCCEEDED(status)) {
        if (progress->isCancelled()) {
            wait = CRuntimeWorker::Wait::Cancelled;
            status = E_FAIL;
            break;
        }
        if (!ask(&RuntimeSide::nextSample))
            break;
        if (FAILED(status = side->status)) {
            if (status == NS_E_NO_MORE_SAMPLES) {
                TraceFormat(LOG_DEBUG,
                            L"CWmaDecoder: no more samples: lastAudioSampleEndTime = %I64d , "
                            L"lastSampleEndTime = %I64d , mediaDuration = %I64d",
                            lastAudioSampleEnd, lastSampleEnd, side->mediaDuration);
                status = S_OK;
            } else {
                TraceFormat(LOG_ERROR, L"CWmaDecoder: GetNextSample failed, error = %x", status);
            }
            break;
        }
        lastSampleEnd = side->time + side->duration;
        if (side->outputNumber == side->audioOutput) {
            lastAudioSampleEnd = lastSampleEnd;
            if (FAILED(status = side->bufferStatus)) {
                TraceFormat(LOG_ERROR, L"GetBufferAndLength failed, error = %x", status);
            } else if (!writer.write(side->bytes, static_cast<int>(side->length))) {
                m_errorCode = writer.lastSystemError();
                m_errorText = SystemErrorText(m_errorCode);
                status = E_FAIL;
            }
            progress->setPos(static_cast<UINT>(side->time / 10000));
        }
    }
    // The worker lets go of the runtime now, or once the runtime lets it go.
    worker.post([side] { side->releaseAll(); });
    worker.finish(kWorkerEndMs, progress);
    writer.close();
    CloseHandle(inputHold);

    if (wait == CRuntimeWorker::Wait::Cancelled) {
        TraceFormat(LOG_ERROR, L"wma decoding canceled");
        result = DecodeCancelled;
    } else if (wait == CRuntimeWorker::Wait::Stalled) {
        m_errorText.Format(L"CWmaDecoder: %s did not return within %u ms", stalledCall,
                           m_stallLimitMs);
        TraceFormat(LOG_ERROR, L"%s", m_errorText.GetString());
        result = DecodeFailed;
    } else if (!runtimePresent) {
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
                       messages, static_cast<DWORD>(code),
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                       reinterpret_cast<wchar_t*>(&message), 0, nullptr)) {
        text = message;
        LocalFree(message);
    }
    FreeLibrary(messages);
    return text;
}
