#include "import/OpusDecoder.h"

#include "import/OpProgress.h"
#include "import/WavWriter.h"
#include "infra/Logger.h"
#include "infra/TraceChannel.h"

#include <opusfile.h>

#include <cstdio>
#include <memory>
#include <new>

namespace {

// 120 ms of 8 channels, the most one packet gives, as opusfile advises.
constexpr int kReadBlock = 5760 * 8;
// Decoded blocks are collected and written in large pieces; a write per
// block costs more than decoding it.
constexpr int kWriteBlock = 16 * kReadBlock;
constexpr DWORD kOpusRate = 48000;

int readCallback(void* input, unsigned char* buffer, int bytes)
{
    DWORD got = 0;
    return ReadFile(static_cast<HANDLE>(input), buffer, static_cast<DWORD>(bytes), &got, nullptr)
               ? static_cast<int>(got)
               : -1;
}

// SEEK_SET, SEEK_CUR and SEEK_END are FILE_BEGIN, FILE_CURRENT and FILE_END.
int seekCallback(void* input, opus_int64 offset, int whence)
{
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    return SetFilePointerEx(static_cast<HANDLE>(input), distance, nullptr,
                            static_cast<DWORD>(whence))
               ? 0
               : -1;
}

opus_int64 tellCallback(void* input)
{
    LARGE_INTEGER place{};
    return SetFilePointerEx(static_cast<HANDLE>(input), place, &place, FILE_CURRENT)
               ? place.QuadPart
               : -1;
}

// No close: the decoder closes the handle it opened.
const OpusFileCallbacks kHandleCallbacks = {readCallback, seekCallback, tellCallback, nullptr};

} // namespace

bool COpusDecoder::holdsOpus(const wchar_t* input)
{
    // The first page holds the Opus header alone: a few hundred bytes at most.
    unsigned char start[4096];
    FILE* file = _wfopen(input, L"rb");
    const size_t got = file ? fread(start, 1, sizeof(start), file) : 0;
    if (file)
        fclose(file);
    return op_test(nullptr, start, got) == 0;
}

DecodeResult COpusDecoder::decodeFile(const wchar_t* input, const wchar_t* output,
                                      IOpProgress* progress)
{
    const HANDLE handle = openInput(input);
    if (handle == INVALID_HANDLE_VALUE) {
        TraceFormat(LOG_ERROR, L"failed to open input file: %s; error = %s\n", input,
                    m_errorText.GetString());
        return DecodeFailed;
    }
    std::unique_ptr<opus_int16[]> buffer(new (std::nothrow) opus_int16[kWriteBlock]);
    int error = OP_EFAULT;
    OggOpusFile* opus =
        buffer ? op_open_callbacks(handle, &kHandleCallbacks, nullptr, 0, &error) : nullptr;
    CWavWriter writer;
    DecodeResult result = DecodeFailed;
    const auto writeFailed = [&] {
        m_errorCode = writer.lastSystemError();
        m_errorText = SystemErrorText(m_errorCode);
    };
    if (!opus) {
        m_errorText.Format(L"Not an Opus file (opusfile error %d).", error);
        if (error == OP_ENOTFORMAT)
            result = DecodeInvalidFile;
    } else if (op_link_count(opus) != 1) {
        m_errorText = L"Cannot open Opus files with multiple streams.";
        result = DecodeNotSupported;
    } else {
        op_set_dither_enabled(opus, 0);
        progress->setRange(static_cast<UINT>(op_raw_total(opus, -1)));
        progress->show(true);
        const int channels = op_channel_count(opus, -1);
        const WAVEFORMATEX format = Pcm16Format(static_cast<WORD>(channels), kOpusRate);
        if (!writer.create(output, &format, m_measured))
            writeFailed();
        else
            for (int collected = 0;;) {
                if (progress->isCancelled()) {
                    result = DecodeCancelled;
                    break;
                }
                const int frames = op_read(opus, buffer.get() + collected, kReadBlock, nullptr);
                if (frames < 0) {
                    m_errorText.Format(L"Damaged Opus file (opusfile error %d).", frames);
                    break;
                }
                collected += frames * channels;
                if (frames == 0 || collected + kReadBlock > kWriteBlock) {
                    if (!writer.write(buffer.get(), collected * 2)) {
                        writeFailed();
                        break;
                    }
                    collected = 0;
                }
                if (frames == 0) {
                    result = DecodeDone;
                    break;
                }
                progress->setPos(static_cast<UINT>(op_raw_tell(opus)));
            }
    }
    if (opus)
        op_free(opus);
    CloseHandle(handle);
    writer.close();
    if (result != DecodeDone) {
        TraceFormat(LOG_ERROR, L"COpusDecoder::decodeFile failed: %s", m_errorText.GetString());
        DeleteFileW(output);
    }
    return result;
}
