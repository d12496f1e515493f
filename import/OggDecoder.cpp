#include "import/OggDecoder.h"

#include "import/OpProgress.h"
#include "import/WavWriter.h"
#include "infra/KestraException.h"
#include "infra/Logger.h"
#include "infra/TraceChannel.h"

#include <vorbis/vorbisfile.h>

#include <fcntl.h>
#include <io.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>

namespace {

constexpr int kReadBlock = 4096;
// Decoded blocks are collected and written in large pieces; a write per
// block costs more than decoding it.
constexpr int kWriteBlock = 256 * kReadBlock;

size_t readCallback(void* buffer, size_t size, size_t count, void* file)
{
    return fread(buffer, size, count, static_cast<FILE*>(file));
}

// libvorbisfile seeks to the end to find the file's links: a long, 32 bits
// here, would send a file over 2 GB elsewhere.
int seekCallback(void* file, ogg_int64_t offset, int whence)
{
    return _fseeki64(static_cast<FILE*>(file), offset, whence);
}

int closeCallback(void* file)
{
    return fclose(static_cast<FILE*>(file));
}

// The callback's type is libvorbisfile's; a place it cannot hold is an error.
long tellCallback(void* file)
{
    const int64_t place = _ftelli64(static_cast<FILE*>(file));
    return place > LONG_MAX ? -1 : static_cast<long>(place);
}

const ov_callbacks kFileCallbacks = {readCallback, seekCallback, closeCallback, tellCallback};

} // namespace

DecodeResult COggDecoder::decodeFile(const wchar_t* input, const wchar_t* output,
                                     IOpProgress* progress)
{
    const HANDLE handle = openInput(input);
    // The C stream owns the handle from here on: fclose closes it.
    FILE* file =
        handle == INVALID_HANDLE_VALUE
            ? nullptr
            : _fdopen(_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY), "rb");
    if (!file) {
        TraceFormat(LOG_ERROR, L"failed to open input file: %s; error = %s\n", input,
                    m_errorText.GetString());
        return DecodeFailed;
    }
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kWriteBlock]);
    if (!buffer) {
        fclose(file);
        return DecodeFailed;
    }
    DecodeResult result = DecodeDone;
    OggVorbis_File vf;
    bool opened = false;
    CWavWriter writer;
    try {
        if (ov_open_callbacks(file, &vf, nullptr, 0, kFileCallbacks) < 0)
            throw CKestraException(L"failed to open file as vorbis file", 0);
        opened = true;
        if (ov_streams(&vf) != 1) {
            result = DecodeNotSupported;
            m_errorText = L"Cannot open ogg files with multiple streams.";
            throw CKestraException(L"cannot open ogg files with multiple streams", 0);
        }
        progress->setRange(static_cast<UINT>(ov_raw_total(&vf, 0)));
        progress->show(true);

        const vorbis_info* info = ov_info(&vf, 0);
        const WAVEFORMATEX format =
            Pcm16Format(static_cast<WORD>(info->channels), static_cast<DWORD>(info->rate));
        if (!writer.create(output, &format, m_measured)) {
            m_errorCode = writer.lastSystemError();
            m_errorText = SystemErrorText(m_errorCode);
            throw CKestraException(L"error creating dest wav file", 0);
        }
        int collected = 0;
        auto writeCollected = [&] {
            const bool written = writer.write(buffer.get(), collected);
            collected = 0;
            if (!written) {
                m_errorCode = writer.lastSystemError();
                m_errorText = SystemErrorText(m_errorCode);
                result = DecodeFailed;
            }
            return written;
        };
        for (;;) {
            if (progress->isCancelled()) {
                TraceFormat(LOG_DEBUG, L"ogg decoding canceled");
                result = DecodeCancelled;
                break;
            }
            int section = 0;
            const long count =
                ov_read(&vf, buffer.get() + collected, kReadBlock, 0, 2, 1, &section);
            if (count < 0)
                throw CKestraException(L"error reading ogg file", 0);
            if (count == 0) {
                writeCollected();
                break;
            }
            if (section != 0)
                throw CKestraException(L"only one logical bitstream currently supported", 0);
            collected += static_cast<int>(count);
            if (collected + kReadBlock > kWriteBlock && !writeCollected())
                break;
            progress->setPos(static_cast<UINT>(ov_raw_tell(&vf)));
        }
    } catch (const CKestraException& e) {
        if (result == DecodeDone)
            result = DecodeFailed;
        TraceFormat(LOG_ERROR, L"COggDecoder::decodeFile failed: %s", e.message().GetString());
    }
    buffer.reset();
    // Once opened, the file belongs to libvorbisfile and closes through the callback.
    if (opened)
        ov_clear(&vf);
    else
        fclose(file);
    writer.close();
    if (result == DecodeDone)
        return result;
    if (m_errorCode != 0)
        m_errorText = SystemErrorText(m_errorCode);
    DeleteFileW(output);
    return result;
}
