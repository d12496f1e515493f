#include "waveform/DatFileEncoder.h"

#include "infra/KestraException.h"
#include "infra/Logger.h"
#include "infra/TraceChannel.h"

namespace {

const WAVEFORMATEX& checkedFormat(const WAVEFORMATEX* format)
{
    if (!format)
        throw CKestraEncoderException(L"DAT: NULL waveformatex as parameter", 0);
    return *format;
}

} // namespace

CDatSampler::CDatSampler(const WAVEFORMATEX& format, uint64_t firstFrame)
    : m_channels(format.nChannels), m_step(format.nSamplesPerSec / 100)
{
    // Values fall on the multiples of the step.
    if (m_step != 0)
        m_position = static_cast<UINT>((m_step - firstFrame % m_step) % m_step);
}

void CDatSampler::sample(const BYTE* data, UINT length, std::vector<signed char>& values)
{
    const UINT frameSize = m_channels * 2u;
    const UINT frames = length / frameSize;
    for (; m_position < frames; m_position += m_step)
        values.push_back(CDatFileEncoder::frameValue(
            data + static_cast<size_t>(m_position) * frameSize, m_channels));
    m_position -= frames;
}

CDatFileEncoder::CDatFileEncoder(const wchar_t* baseName, const WAVEFORMATEX* format)
    : m_sampler(checkedFormat(format))
{
    // Without frames or a step the sampling loop would never advance.
    if (!m_sampler.usable())
        throw CKestraEncoderException(L"DAT: unsupported sample layout", 0);
    open(baseName);
}

CDatFileEncoder::~CDatFileEncoder()
{
    close();
}

signed char CDatFileEncoder::frameValue(const BYTE* frame, WORD channels)
{
    const int left = static_cast<signed char>(frame[1]);
    if (channels != 2)
        return static_cast<signed char>(left);
    const int right = static_cast<signed char>(frame[3]);
    return static_cast<signed char>((left + right) >> 1);
}

void CDatFileEncoder::encode(const BYTE* data, UINT length)
{
    if (m_handle == INVALID_HANDLE_VALUE)
        throw CKestraEncoderException(L"invalid DAT file state", 0);
    m_values.clear();
    m_sampler.sample(data, length, m_values);
    write(m_values.data(), static_cast<DWORD>(m_values.size()));
}

void CDatFileEncoder::write(const signed char* values, DWORD count)
{
    if (m_handle == INVALID_HANDLE_VALUE)
        throw CKestraEncoderException(L"invalid DAT file state", 0);
    DWORD written = 0;
    if (!WriteFile(m_handle, values, count, &written, nullptr) || written != count) {
        m_lastSystemError = GetLastError();
        if (m_lastSystemError == 0)
            m_lastSystemError = ERROR_DISK_FULL;
        TraceFormat(LOG_ERROR, L"Error writing to file: %s",
                    SystemErrorText(m_lastSystemError).GetString());
        CString message;
        message.Format(L"Error writing %lu bytes to file", count);
        throw CKestraEncoderException(message, 0);
    }
}

void CDatFileEncoder::restart(const wchar_t* baseName)
{
    if (m_handle == INVALID_HANDLE_VALUE)
        throw CKestraEncoderException(L"invalid DAT file state", 0);
    close();
    open(baseName);
}

void CDatFileEncoder::open(const wchar_t* baseName)
{
    if (!baseName)
        throw CKestraEncoderException(L"NULL DAT file name as parameter", 0);
    m_fileName = CString(baseName) + L".dat";
    m_handle = CreateFileW(m_fileName, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_handle == INVALID_HANDLE_VALUE) {
        m_lastSystemError = GetLastError();
        TraceFormat(LOG_ERROR, L"Error creating DAT file %s, error: %s", m_fileName.GetString(),
                    SystemErrorText(m_lastSystemError).GetString());
        throw CKestraEncoderException(L"error creating DAT file \"" + m_fileName + L"\"", 0);
    }
}

void CDatFileEncoder::close()
{
    if (m_handle != INVALID_HANDLE_VALUE) {
        CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }
}
