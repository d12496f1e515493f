#include "import/ProgressDlg.h"
#include "import/WmaDecoder.h"
#include "res/resource.h"

#include "support/AudioFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <wmsdk.h>

#include <atomic>
#include <functional>

// A Windows Media runtime that stops answering, inside Open or in the middle
// of the samples: the user's Cancel and the stall limit both end the step at
// once, nothing is left behind, and the worker given up on harms nobody.

namespace {

enum class Silent { InOpen, InGetNextSample };

// Shared by the test and the stand-in, which may outlive the decoder.
struct Gate {
    Gate()
        : open(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          readerGone(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          runtimeGone(CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
    }
    ~Gate()
    {
        CloseHandle(open);
        CloseHandle(readerGone);
        CloseHandle(runtimeGone);
    }
    HANDLE open;        // the silent call goes on once the test sets it
    HANDLE readerGone;  // the worker has released the stand-in
    HANDLE runtimeGone; // nobody holds the runtime's library any more
    std::function<void()> whenSilent;
};

// The runtime's own reader, silent in one call until the gate opens.
class SilentReader final : public IWMSyncReader {
public:
    SilentReader(IWMSyncReader* runtime, std::shared_ptr<Gate> gate, Silent silent)
        : m_runtime(runtime), m_gate(std::move(gate)), m_silent(silent)
    {
    }
    ~SilentReader()
    {
        m_runtime->Release();
        SetEvent(m_gate->readerGone);
    }

    STDMETHODIMP Open(const WCHAR* file) override
    {
        waitIf(m_silent == Silent::InOpen);
        return m_runtime->Open(file);
    }
    STDMETHODIMP GetNextSample(WORD stream, INSSBuffer** sample, QWORD* time, QWORD* duration,
                               DWORD* flags, DWORD* output, WORD* streamOut) override
    {
        waitIf(m_silent == Silent::InGetNextSample && ++m_samples > 3);
        return m_runtime->GetNextSample(stream, sample, time, duration, flags, output, streamOut);
    }

    STDMETHODIMP_(ULONG) AddRef() override { return ++m_references; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG left = --m_references;
        if (left == 0)
            delete this;
        return left;
    }
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        return m_runtime->QueryInterface(iid, object);
    }
    // The rest as the runtime answers.
    STDMETHODIMP Close() override { return m_runtime->Close(); }
    STDMETHODIMP SetRange(QWORD start, LONGLONG duration) override
    {
        return m_runtime->SetRange(start, duration);
    }
    STDMETHODIMP SetRangeByFrame(WORD s, QWORD frame, LONGLONG frames) override
    {
        return m_runtime->SetRangeByFrame(s, frame, frames);
    }
    STDMETHODIMP SetStreamsSelected(WORD n, WORD* s, WMT_STREAM_SELECTION* w) override
    {
        return m_runtime->SetStreamsSelected(n, s, w);
    }
    STDMETHODIMP GetStreamSelected(WORD s, WMT_STREAM_SELECTION* w) override
    {
        return m_runtime->GetStreamSelected(s, w);
    }
    STDMETHODIMP SetReadStreamSamples(WORD s, BOOL compressed) override
    {
        return m_runtime->SetReadStreamSamples(s, compressed);
    }
    STDMETHODIMP GetReadStreamSamples(WORD s, BOOL* compressed) override
    {
        return m_runtime->GetReadStreamSamples(s, compressed);
    }
    STDMETHODIMP GetOutputSetting(DWORD o, LPCWSTR name, WMT_ATTR_DATATYPE* type, BYTE* value,
                                  WORD* length) override
    {
        return m_runtime->GetOutputSetting(o, name, type, value, length);
    }
    STDMETHODIMP SetOutputSetting(DWORD o, LPCWSTR name, WMT_ATTR_DATATYPE type, const BYTE* value,
                                  WORD length) override
    {
        return m_runtime->SetOutputSetting(o, name, type, value, length);
    }
    STDMETHODIMP GetOutputCount(DWORD* n) override { return m_runtime->GetOutputCount(n); }
    STDMETHODIMP GetOutputProps(DWORD o, IWMOutputMediaProps** props) override
    {
        return m_runtime->GetOutputProps(o, props);
    }
    STDMETHODIMP SetOutputProps(DWORD o, IWMOutputMediaProps* props) override
    {
        return m_runtime->SetOutputProps(o, props);
    }
    STDMETHODIMP GetOutputFormatCount(DWORD o, DWORD* n) override
    {
        return m_runtime->GetOutputFormatCount(o, n);
    }
    STDMETHODIMP GetOutputFormat(DWORD o, DWORD f, IWMOutputMediaProps** p) override
    {
        return m_runtime->GetOutputFormat(o, f, p);
    }
    STDMETHODIMP GetOutputNumberForStream(WORD s, DWORD* o) override
    {
        return m_runtime->GetOutputNumberForStream(s, o);
    }
    STDMETHODIMP GetStreamNumberForOutput(DWORD o, WORD* s) override
    {
        return m_runtime->GetStreamNumberForOutput(o, s);
    }
    STDMETHODIMP GetMaxOutputSampleSize(DWORD o, DWORD* n) override
    {
        return m_runtime->GetMaxOutputSampleSize(o, n);
    }
    STDMETHODIMP GetMaxStreamSampleSize(WORD s, DWORD* n) override
    {
        return m_runtime->GetMaxStreamSampleSize(s, n);
    }
    STDMETHODIMP OpenStream(IStream* stream) override { return m_runtime->OpenStream(stream); }

private:
    void waitIf(bool silent)
    {
        if (!silent)
            return;
        m_gate->whenSilent();
        WaitForSingleObject(m_gate->open, INFINITE);
    }

    IWMSyncReader* m_runtime;
    std::shared_ptr<Gate> m_gate;
    Silent m_silent;
    int m_samples = 0;
    std::atomic<ULONG> m_references = 1;
};

class SilentReaderFactory : public IWmReaderFactory {
public:
    SilentReaderFactory(std::shared_ptr<Gate> gate, Silent silent)
        : m_gate(std::move(gate)), m_silent(silent)
    {
    }
    ~SilentReaderFactory() override { SetEvent(m_gate->runtimeGone); }
    ReaderCreation create(IWMSyncReader** reader) override
    {
        IWMSyncReader* runtimeReader = nullptr;
        const ReaderCreation creation = m_runtime.create(&runtimeReader);
        if (SUCCEEDED(creation.status))
            *reader = new SilentReader(runtimeReader, m_gate, m_silent);
        return creation;
    }

private:
    CWmRuntimeReaderFactory m_runtime;
    std::shared_ptr<Gate> m_gate;
    Silent m_silent;
};

struct StallCase {
    const char* name;
    Silent silent;
    bool userCancels; // else the stall limit ends the step
    DecodeResult result;
    const wchar_t* errorText;
};

class WmaStall : public testing::TestWithParam<StallCase> {
protected:
    WmaStall() { CoInitialize(nullptr); }
    ~WmaStall() override { CoUninitialize(); }
};

bool exists(const wchar_t* path)
{
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

TEST_P(WmaStall, StepEndsAtOnceAndTheWorkerGivenUpOnHarmsNobody)
{
    const StallCase& c = GetParam();
    TempDir dir;
    const CString output = dir.file(L"temp.in");
    CProgressDlg dialog;
    ASSERT_TRUE(dialog.create(IDS_OPEN_FILE_TITLE, nullptr));
    const auto gate = std::make_shared<Gate>();
    // The user presses Cancel while the runtime is silent; the click arrives
    // only if the waiting thread keeps pumping the dialog's messages.
    gate->whenSilent = [cancels = c.userCancels, hwnd = dialog.GetSafeHwnd()] {
        if (cancels)
            PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDCANCEL)));
    };
    {
        CWmaDecoder decoder(std::make_shared<SilentReaderFactory>(gate, c.silent), 5000);
        EXPECT_EQ(decoder.decodeFile(FixturePath(L"tone.wma"), output, &dialog), c.result);
        EXPECT_EQ(decoder.errorText(), c.errorText);
    }
    EXPECT_FALSE(exists(output));
    EXPECT_EQ(WaitForSingleObject(gate->runtimeGone, 0), WAIT_TIMEOUT)
        << "the runtime stays loaded while the worker may be inside it";

    // The next open works while the runtime still keeps the first worker.
    const CString next = dir.file(L"next.in");
    CWmaDecoder decoder;
    IOpProgress silent;
    EXPECT_EQ(decoder.decodeFile(FixturePath(L"tone.wma"), next, &silent), DecodeDone);
    EXPECT_TRUE(ReadWavFile(next).valid);

    // Once the runtime answers, the worker releases the reader, then lets the
    // runtime go, and leaves the output alone.
    SetEvent(gate->open);
    EXPECT_EQ(WaitForSingleObject(gate->runtimeGone, 60000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(gate->readerGone, 0), WAIT_OBJECT_0);
    EXPECT_FALSE(exists(output));
}

INSTANTIATE_TEST_SUITE_P(
    SilentRuntime, WmaStall,
    testing::Values(
        StallCase{"CancelInOpen", Silent::InOpen, true, DecodeCancelled, L""},
        StallCase{"StallInOpen", Silent::InOpen, false, DecodeFailed,
                  L"CWmaDecoder: IWMSyncReader::Open did not return within 5000 ms"},
        StallCase{"CancelInGetNextSample", Silent::InGetNextSample, true, DecodeCancelled, L""},
        StallCase{"StallInGetNextSample", Silent::InGetNextSample, false, DecodeFailed,
                  L"CWmaDecoder: IWMSyncReader::GetNextSample did not return within 5000 ms"}),
    [](const testing::TestParamInfo<StallCase>& info) { return info.param.name; });
