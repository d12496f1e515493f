#include "import/WavConversion.h"

#include "import/OpProgress.h"
#include "import/WavReader.h"
#include "import/WavWriter.h"
#include "infra/KestraException.h"
#include "infra/Logger.h"
#include "res/resource.h"

#include <memory>
#include <new>
#include <optional>

namespace {

constexpr int kInputBlock = 100000;
constexpr int kOutputBlock = 2 * kInputBlock;

} // namespace

bool Convert8To16Bit(const BYTE* input, int length, BYTE* output, int& capacity)
{
    if (2 * length > capacity) {
        LogFormat(LOG_ERROR, L"convertWavFrom8Bit: lenOut too small");
        return false;
    }
    capacity = 2 * length;
    for (int i = 0; i < length; ++i) {
        const int sample = (input[i] - 128) * 256;
        output[2 * i] = static_cast<BYTE>(sample & 0xFF);
        output[2 * i + 1] = static_cast<BYTE>((sample >> 8) & 0xFF);
    }
    return true;
}

int convertWavFrom8Bit(CWavReader* reader, const wchar_t* destination, IOpProgress* progress,
                       CString& errorText)
{
    std::unique_ptr<BYTE[]> input(new (std::nothrow) BYTE[kInputBlock]);
    std::unique_ptr<BYTE[]> output(new (std::nothrow) BYTE[kOutputBlock]);
    if (!input || !output)
        return StepFailed;

    progress->setTextId(IDS_CONVERTING_WAV);
    progress->setRange(reader->getDataSize());
    progress->show(true);

    WAVEFORMATEX format = *reader->getFormat();
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(format.nChannels * 2);
    format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;

    std::optional<int> result;
    DWORD systemError = 0;
    CWavWriter writer;
    try {
        if (!writer.create(destination, &format)) {
            systemError = writer.lastSystemError();
            throw CKestraException(L"error creating dest wav file",
                                   CKestraException::WrapInOpenMessage);
        }
        UINT done = 0;
        while (!result) {
            if (progress->isCancelled()) {
                LogFormat(LOG_DEBUG, L"convertWavFrom8Bit canceled");
                result = StepCancelled;
                break;
            }
            const UINT count = reader->read(input.get(), kInputBlock);
            if (count == 0) {
                result = StepDone;
                break;
            }
            if (count == static_cast<UINT>(-1)) {
                LogFormat(LOG_ERROR, L"convertWavFrom8Bit: error reading from wav file");
                result = StepFailed;
                break;
            }
            int converted = kOutputBlock;
            if (!Convert8To16Bit(input.get(), static_cast<int>(count), output.get(), converted)) {
                result = StepFailed;
                break;
            }
            if (!writer.write(output.get(), converted)) {
                LogFormat(LOG_ERROR, L"convertWavFrom8Bit: error writing to wav file");
                systemError = writer.lastSystemError();
                result = StepFailed;
                break;
            }
            done += count;
            progress->setPos(done);
        }
    } catch (const CKestraException& e) {
        LogFormat(LOG_ERROR, L"error converting wav file: %s", e.message().GetString());
        if (!result)
            result = StepFailed;
    }
    writer.close();
    if (*result != StepDone) {
        if (systemError != 0)
            errorText = SystemErrorText(systemError);
        DeleteFileW(destination);
    }
    return *result;
}
