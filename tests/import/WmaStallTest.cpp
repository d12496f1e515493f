#include "import/ProgressDlg.h"
#include "import/RuntimeWorker.h"
#include "import/WmaDecoder.h"
#include "res/resource.h"

#include "reliability/PipelineHarness.h"
#include "support/AudioFixtures.h"
#include "support/ProcessWindows.h"

#include <gtest/gtest.h>

#include <process.h>
#include <wmsdk.h>

#include <atomic>
#include <tuple>

namespace {

enum class Silent { InOpen, InGetNextSample };

// Shared by the test and the stand-in, which may outlive the decoder.
struct Gate {
    ~Gate() { CloseHandle(open); }
    // The silent call goes on once the test sets open; readerGone: the worker
    // has released the stand-in; runtimeGone: nobody holds the runtime's library.
    const HANDLE open = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> readerGone = false;
    std::atomic<bool> runtimeGone = false;
    Silent silent;
    // The user presses Cancel there while the runtime is silent; the click
    // arrives only if the waiting thread keeps pumping the dialog's messages.
    HWND cancelFrom = nullptr;
};

// The runtime's own reader, silent in one call until the gate opens.
class SilentReader final : public IWMSyncReader {
public:
    SilentReader(IWMSyncReader* runtime, std::shared_ptr<Gate> gate)
        : m_runtime(runtime), m_gate(std::move(gate))
    {
    }
    ~SilentReader()
    {
        m_runtime->Release();
        m_gate->readerGone = true;
    }

    STDMETHODIMP Open(const WCHAR* file) override
    {
        waitIf(m_gate->silent == Silent::InOpen);
        return m_runtime->Open(file);
    }
    STDMETHODIMP GetNextSample(WORD stream, INSSBuffer** sample, QWORD* time, QWORD* duration,
                               DWORD* flags, DWORD* output, WORD* streamOut) override
    {
        waitIf(m_gate->silent == Silent::InGetNextSample && ++m_samples > 3);
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
    // The rest as the runtime answers.
#define FORWARD(Method, Parameters, Arguments)                                                     \
    STDMETHODIMP Method Parameters override                                                        \
    {                                                                                              \
        return m_runtime->Method Arguments;                                                        \
    }
    FORWARD(QueryInterface, (REFIID iid, void** object), (iid, object))
    FORWARD(Close, (), ())
    FORWARD(SetRange, (QWORD start, LONGLONG duration), (start, duration))
    FORWARD(SetRangeByFrame, (WORD s, QWORD frame, LONGLONG frames), (s, frame, frames))
    FORWARD(SetStreamsSelected, (WORD n, WORD* s, WMT_STREAM_SELECTION* w), (n, s, w))
    FORWARD(GetStreamSelected, (WORD s, WMT_STREAM_SELECTION* w), (s, w))
    FORWARD(SetReadStreamSamples, (WORD s, BOOL compressed), (s, compressed))
    FORWARD(GetReadStreamSamples, (WORD s, BOOL* compressed), (s, compressed))
    FORWARD(GetOutputSetting, (DWORD o, LPCWSTR n, WMT_ATTR_DATATYPE* t, BYTE* v, WORD* l),
            (o, n, t, v, l))
    FORWARD(SetOutputSetting, (DWORD o, LPCWSTR n, WMT_ATTR_DATATYPE t, const BYTE* v, WORD l),
            (o, n, t, v, l))
    FORWARD(GetOutputCount, (DWORD * n), (n))
    FORWARD(GetOutputProps, (DWORD o, IWMOutputMediaProps** p), (o, p))
    FORWARD(SetOutputProps, (DWORD o, IWMOutputMediaProps* p), (o, p))
    FORWARD(GetOutputFormatCount, (DWORD o, DWORD* n), (o, n))
    FORWARD(GetOutputFormat, (DWORD o, DWORD f, IWMOutputMediaProps** p), (o, f, p))
    FORWARD(GetOutputNumberForStream, (WORD s, DWORD* o), (s, o))
    FORWARD(GetStreamNumberForOutput, (DWORD o, WORD* s), (o, s))
    FORWARD(GetMaxOutputSampleSize, (DWORD o, DWORD* n), (o, n))
    FORWARD(GetMaxStreamSampleSize, (WORD s, DWORD* n), (s, n))
    FORWARD(OpenStream, (IStream * stream), (stream))
#undef FORWARD

private:
    void waitIf(bool silent)
    {
        if (silent && m_gate->cancelFrom)
            PostMessageW(m_gate->cancelFrom, WM_COMMAND, IDCANCEL, 0);
        if (silent)
            WaitForSingleObject(m_gate->open, INFINITE);
    }

    IWMSyncReader* m_runtime;
    std::shared_ptr<Gate> m_gate;
    int m_samples = 0;
    std::atomic<ULONG> m_references = 1;
};

// What the host's save wrote.
constexpr char kSavedCut[] = "RIFF, the cut as the host saved it";

class SilentReaderFactory : public CWmRuntimeReaderFactory {
public:
    explicit SilentReaderFactory(std::shared_ptr<Gate> gate) : m_gate(std::move(gate)) {}
    ~SilentReaderFactory() override { m_gate->runtimeGone = true; }
    ReaderCreation create(IWMSyncReader** reader) override
    {
        const ReaderCreation creation = CWmRuntimeReaderFactory::create(reader);
        if (SUCCEEDED(creation.status))
            *reader = new SilentReader(*reader, m_gate);
        return creation;
    }

private:
    std::shared_ptr<Gate> m_gate;
};

// A box the user opened during the open: its modal loop holds the waiting
// thread inside the progress the first time it is asked. (The stall limit
// itself: WmaStall.)
struct ModalLoop : IOpProgress {
    bool isCancelled() override
    {
        if (loop)
            std::exchange(loop, nullptr)();
        return false;
    }
    std::function<void()> loop;
};

// Where the runtime goes silent, and whether the user cancels there (or
// else the stall limit ends the step).
class WmaStall : public testing::TestWithParam<std::tuple<Silent, bool>> {
protected:
    WmaStall() { CoInitialize(nullptr); }
    ~WmaStall() override { CoUninitialize(); }
};

} // namespace

TEST_P(WmaStall, StepEndsAtOnceAndTheWorkerGivenUpOnHarmsNobody)
{
    const auto [silentIn, userCancels] = GetParam();
    const CString call = silentIn == Silent::InOpen ? L"Open" : L"GetNextSample";
    TempDir dir;
    const CString output = dir.file(L"temp.in");
    CProgressDlg dialog;
    ASSERT_TRUE(dialog.create(IDS_OPEN_FILE_TITLE, nullptr));
    const auto gate = std::make_shared<Gate>();
    gate->silent = silentIn;
    gate->cancelFrom = userCancels ? dialog.GetSafeHwnd() : nullptr;
    {
        CWmaDecoder decoder(std::make_shared<SilentReaderFactory>(gate), 5000);
        EXPECT_EQ(decoder.decodeFile(FixturePath(L"tone.wma"), output, &dialog),
                  userCancels ? DecodeCancelled : DecodeFailed);
        EXPECT_EQ(decoder.errorText(), userCancels ? CString()
                                                   : L"CWmaDecoder: IWMSyncReader::" + call +
                                                         L" did not return within 5000 ms");
    }
    EXPECT_FALSE(FileExists(output));
    EXPECT_FALSE(gate->runtimeGone) << "the runtime stays loaded while the worker may be inside it";

    // The next open works while the runtime still keeps the first worker.
    const CString next = dir.file(L"next.in");
    IOpProgress silent;
    EXPECT_EQ(CWmaDecoder().decodeFile(FixturePath(L"tone.wma"), next, &silent), DecodeDone);
    EXPECT_TRUE(ReadWavFile(next).valid);

    // As the child of WmaStallExit: the user's work goes to disk, the worker
    // stays given up on, and the process exits so.
    wchar_t folder[MAX_PATH] = L"";
    if (GetEnvironmentVariableW(L"TARVISK_EXIT_CHILD", folder, MAX_PATH)) {
        WritePrivateProfileStringW(L"MV_Settings", L"Cut", L"1000,3000,0,0",
                                   CString(folder) + L"\\host.ini");
        WriteFileBytes(CString(folder) + L"\\saved.wav", kSavedCut);
        return;
    }
    // Once the runtime answers, the worker releases the reader, then lets the
    // runtime go, and leaves the output alone.
    SetEvent(gate->open);
    EXPECT_TRUE(WaitFor([&] { return gate->runtimeGone.load(); }));
    EXPECT_TRUE(gate->readerGone);
    EXPECT_FALSE(FileExists(output));
}

INSTANTIATE_TEST_SUITE_P(SilentRuntime, WmaStall,
                         testing::Combine(testing::Values(Silent::InOpen, Silent::InGetNextSample),
                                          testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<1>(info.param) ? "Cancel" : "Stall") +
                                    (std::get<0>(info.param) == Silent::InOpen ? "InOpen"
                                                                               : "InGetNextSample");
                         });

TEST(RuntimeWorker, ACallAnsweredDuringAModalLoopLongerThanTheLimitHasNotStalled)
{
    ULONGLONG now = 0;
    CRuntimeWorker worker(1000, [&] { return now; });
    ASSERT_TRUE(worker.start());
    const auto gate = std::make_shared<Gate>();
    ModalLoop progress;
    progress.loop = [&] {
        now += 60000;
        SetEvent(gate->open);
        // Runs once the silent call has answered.
        const auto behind = std::make_shared<Gate>();
        worker.post([behind] { SetEvent(behind->open); });
        WaitForSingleObject(behind->open, INFINITE);
    };
    EXPECT_EQ(worker.run([gate] { WaitForSingleObject(gate->open, INFINITE); }, &progress),
              CRuntimeWorker::Wait::Answered);
}

// Under Wine a process that ends while a worker given up on holds the
// runtime's reader open dies at its exit (see the README's failure model):
// the child saves and sets, then so exits, and neither is lost.
TEST(WmaStallExit, WhatWasSavedAndSetBeforeTheExitIsKept)
{
    TempDir dir;
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    SetEnvironmentVariableW(L"TARVISK_EXIT_CHILD", dir.path());
    _wspawnl(_P_WAIT, self, L"ImportTests",
             L"--gtest_filter=SilentRuntime/WmaStall.*/CancelInGetNextSample", nullptr);
    SetEnvironmentVariableW(L"TARVISK_EXIT_CHILD", nullptr);
    wchar_t cut[64] = L"";
    GetPrivateProfileStringW(L"MV_Settings", L"Cut", L"", cut, 64, dir.file(L"host.ini"));
    EXPECT_STREQ(cut, L"1000,3000,0,0");
    EXPECT_EQ(ReadFileBytes(dir.file(L"saved.wav")), kSavedCut);
}
