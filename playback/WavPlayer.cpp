#include "playback/WavPlayer.h"

#include "import/WavReader.h"
#include "infra/KestraException.h"
#include "infra/Logger.h"
#include "playback/Envelope.h"

#include "WinThread.h"

#include <algorithm>
#include <vector>

namespace {

constexpr uint32_t kTransferBytes = 32768;
constexpr int kOutputBuffers = 4;

// The device is fed whole frames only, so blocks are a multiple of the frame size.
uint32_t frameAlignedBlock(const WAVEFORMATEX& format)
{
    return kTransferBytes - kTransferBytes % format.nBlockAlign;
}

bool isPlayable(const WAVEFORMATEX& format)
{
    return format.wBitsPerSample == 16 && HasUsableLayout(format) && format.nAvgBytesPerSec != 0 &&
           format.nBlockAlign == format.nChannels * 2 && format.nSamplesPerSec >= kMinSampleRate;
}

} // namespace

CWavPlayer::CWavPlayer(CWavPlayerCallBack* callback)
    : m_callback(callback), m_outputLoader(&CWaveOut::loadSystemOutput)
{
}

CWavPlayer::~CWavPlayer()
{
    stop();
    m_outputLoader.join();
}

bool CWavPlayer::play(const CString& wavPath, int64_t startMs, int64_t endMs, const CCutRegion* cut)
{
    CSingleLock lock(this, TRUE);
    if (isPlaying())
        stop();
    CWinThread* thread =
        AfxBeginThread(threadMain, this, THREAD_PRIORITY_ABOVE_NORMAL, 0, CREATE_SUSPENDED);
    if (!thread)
        return false;
    m_wavPath = wavPath;
    m_start = startMs;
    m_end = endMs;
    m_cut = cut ? *cut : CCutRegion();
    {
        CSingleLock state(&m_stateLock, TRUE);
        m_playing = true;
        m_stopRequested = false;
        m_output = std::make_unique<CWaveOut>();
    }
    thread->ResumeThread();
    return true;
}

void CWavPlayer::stop()
{
    CSingleLock lock(this, TRUE);
    {
        CSingleLock state(&m_stateLock, TRUE);
        if (!m_playing)
            return;
        m_stopRequested = true;
        // Queued buffers come back at once, which wakes a worker waiting to fill one.
        m_output->reset();
    }
    // The flag is read under the state lock: once it reads false the worker
    // has let go of the lock and touches this object no more.
    while (isPlaying())
        Sleep(10);
}

bool CWavPlayer::isPlaying()
{
    CSingleLock state(&m_stateLock, TRUE);
    return m_playing;
}

bool CWavPlayer::stopRequested()
{
    CSingleLock state(&m_stateLock, TRUE);
    return m_stopRequested;
}

UINT CWavPlayer::threadMain(LPVOID self)
{
    static_cast<CWavPlayer*>(self)->work();
    return 0;
}

void CWavPlayer::work()
{
    const bool error = !playRange();
    CSingleLock state(&m_stateLock, TRUE);
    if (!m_stopRequested)
        m_callback->onPlayingFinished(error);
    m_output.reset();
    m_playing = false;
}

bool CWavPlayer::playRange()
{
    bool played = true;
    try {
        CWavReader reader(m_wavPath);
        const WAVEFORMATEX format = *reader.getFormat();
        if (!isPlayable(format))
            throw CKestraException(L"not supported wav file", CKestraException::WrapInOpenMessage);
        const uint32_t blockBytes = frameAlignedBlock(format);
        const MMRESULT result = m_output->open(&format, kOutputBuffers, blockBytes, WAVE_MAPPER);
        if (result != MMSYSERR_NOERROR) {
            CString message;
            message.Format(L"error initializing waveout: %d", static_cast<int>(result));
            throw CKestraException(message, CKestraException::WrapInOpenMessage);
        }

        // Times outside the file are held to it: the seek arithmetic only
        // holds for times within the file.
        const int64_t fileEnd = reader.getDurationMs() + 1;
        const int64_t start = std::clamp<int64_t>(m_start, 0, fileEnd);
        const int64_t end = std::clamp<int64_t>(m_end, 0, fileEnd);
        const int endPos = reader.seek(static_cast<uint64_t>(end));
        const int startPos = reader.seek(static_cast<uint64_t>(start));
        if (startPos == -1)
            throw CKestraException(L"invalid start time", CKestraException::WrapInOpenMessage);
        const uint64_t limit = endPos == -1        ? UINT64_MAX
                               : endPos > startPos ? static_cast<uint64_t>(endPos - startPos)
                                                   : 0;

        std::vector<char> block(blockBytes);
        uint64_t done = 0;
        while (done < limit && !stopRequested()) {
            uint32_t length = reader.read(block.data(), static_cast<int>(blockBytes));
            if (length == 0)
                break;
            length = static_cast<uint32_t>(std::min<uint64_t>(length, limit - done));
            applyEnvelope(block.data(), length, start, done, m_cut, format, m_gain);
            m_output->grab(block.data(), length);
            if (m_output->stalled())
                throw CKestraException(L"the wave output device stopped playing", 0);
            done += length;
        }
    } catch (const CKestraException& failure) {
        LogFormat(LOG_ERROR, L"error while playing: %s", failure.message().GetString());
        played = false;
    }
    if (!stopRequested())
        m_output->drain();
    m_output->reset();
    return played && !m_output->stalled();
}
