#include "playback/WaveOut.h"

#include "import/WavWriter.h"
#include "infra/Logger.h"

#include <algorithm>
#include <cstring>

namespace {

// Under load a working device may hand buffers back late, but never by this much.
constexpr DWORD kStallMarginMs = 5000;

BOOL CALLBACK loadOnce(PINIT_ONCE, PVOID, PVOID*)
{
    const WAVEFORMATEX format = Pcm16Format(2, 44100);
    // A format query goes the whole way to the default device without opening it.
    if (waveOutGetNumDevs() != 0)
        waveOutOpen(nullptr, WAVE_MAPPER, &format, 0, 0, WAVE_FORMAT_QUERY);
    return TRUE;
}

} // namespace

CWaveOut::~CWaveOut()
{
    close();
    if (m_semaphore)
        CloseHandle(m_semaphore);
}

void CWaveOut::close()
{
    if (!m_device)
        return;
    // Buffers still queued cannot be unprepared: the device gives them back first.
    waveOutReset(m_device);
    int kept = 0;
    for (Buffer* buffer : m_buffers) {
        if (waveOutUnprepareHeader(m_device, &buffer->header, sizeof buffer->header) ==
            MMSYSERR_NOERROR)
            HeapFree(GetProcessHeap(), 0, buffer);
        else
            ++kept;
    }
    m_buffers.clear();
    const MMRESULT closed = waveOutClose(m_device);
    m_device = nullptr;
    if (kept != 0 || closed != MMSYSERR_NOERROR) {
        LogFormat(LOG_ERROR,
                  L"the wave output device kept %d buffers and answered %u to its close; they "
                  L"and its semaphore are left to it",
                  kept, closed);
        m_semaphore = nullptr;
    }
}

MMRESULT CWaveOut::open(const WAVEFORMATEX* format, int bufferCount, uint32_t bufferSize,
                        UINT deviceId)
{
    loadSystemOutput();
    close();
    m_bufferCount = bufferCount;
    if (!m_semaphore)
        m_semaphore = CreateSemaphoreW(nullptr, bufferCount, bufferCount, nullptr);
    const MMRESULT result =
        waveOutOpen(&m_device, deviceId, format, reinterpret_cast<DWORD_PTR>(&onDeviceMessage),
                    reinterpret_cast<DWORD_PTR>(m_semaphore), CALLBACK_FUNCTION);
    if (result != MMSYSERR_NOERROR) {
        m_device = nullptr;
        return result;
    }
    for (int i = 0; i < bufferCount; ++i) {
        auto* buffer = static_cast<Buffer*>(
            HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Buffer) + bufferSize));
        if (!buffer) {
            close();
            return MMSYSERR_NOMEM;
        }
        buffer->header.lpData = reinterpret_cast<LPSTR>(buffer + 1);
        buffer->header.dwBufferLength = bufferSize;
        waveOutPrepareHeader(m_device, &buffer->header, sizeof buffer->header);
        m_buffers.push_back(buffer);
    }
    m_current = 0;
    m_mustWait = true;
    m_stalled = false;
    const uint64_t bytesPerSecond = uint64_t{format->nSamplesPerSec} * format->nBlockAlign;
    m_stallMs = bytesPerSecond == 0 ? INFINITE
                                    : static_cast<DWORD>(uint64_t{bufferSize} * bufferCount *
                                                             1000 / bytesPerSecond +
                                                         kStallMarginMs);
    return MMSYSERR_NOERROR;
}

// Runs on the system's audio thread: it may only signal.
void CALLBACK CWaveOut::onDeviceMessage(HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR,
                                        DWORD_PTR)
{
    if (message == WOM_DONE)
        ReleaseSemaphore(reinterpret_cast<HANDLE>(instance), 1, nullptr);
}

void CWaveOut::send()
{
    Buffer& buffer = *m_buffers[m_current];
    buffer.fill = 0;
    const MMRESULT result = waveOutWrite(m_device, &buffer.header, sizeof buffer.header);
    if (result != MMSYSERR_NOERROR) {
        // A buffer the device refused never comes back; count it free again
        // so no one waits for it forever.
        LogFormat(LOG_ERROR, L"waveOutWrite failed: %d", static_cast<int>(result));
        ReleaseSemaphore(m_semaphore, 1, nullptr);
    }
    m_mustWait = true;
    m_current = (m_current + 1) % m_bufferCount;
}

bool CWaveOut::waitForBuffer()
{
    if (WaitForSingleObject(m_semaphore, m_stallMs) == WAIT_OBJECT_0)
        return true;
    LogFormat(LOG_ERROR, L"the wave output device kept its buffers for %u ms", m_stallMs);
    m_stalled = true;
    return false;
}

void CWaveOut::grab(const void* data, uint32_t length)
{
    if (!m_device || m_buffers.empty() || m_stalled)
        return;
    auto* bytes = static_cast<const char*>(data);
    while (length != 0) {
        if (m_mustWait) {
            if (!waitForBuffer())
                return;
            m_mustWait = false;
        }
        Buffer& buffer = *m_buffers[m_current];
        const uint32_t copied =
            std::min<uint32_t>(length, buffer.header.dwBufferLength - buffer.fill);
        memcpy(buffer.header.lpData + buffer.fill, bytes, copied);
        buffer.fill += copied;
        if (buffer.fill < buffer.header.dwBufferLength)
            return;
        send();
        length -= copied;
        bytes += copied;
    }
}

void CWaveOut::flush()
{
    if (!m_device || m_mustWait || m_stalled)
        return;
    Buffer& buffer = *m_buffers[m_current];
    buffer.header.dwBufferLength = buffer.fill;
    send();
}

void CWaveOut::drain()
{
    if (!m_device)
        return;
    flush();
    int returned = 0;
    while (returned < m_bufferCount && !m_stalled && waitForBuffer())
        ++returned;
    if (returned != 0)
        ReleaseSemaphore(m_semaphore, returned, nullptr);
}

void CWaveOut::loadSystemOutput()
{
    static INIT_ONCE loaded = INIT_ONCE_STATIC_INIT;
    InitOnceExecuteOnce(&loaded, &loadOnce, nullptr, nullptr);
}

void CWaveOut::reset()
{
    if (m_device)
        waveOutReset(m_device);
}
