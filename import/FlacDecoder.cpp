#include "import/FlacDecoder.h"

#include "import/OpProgress.h"
#include "import/WavConversion.h"
#include "import/WavWriter.h"
#include "infra/Logger.h"
#include "infra/TraceChannel.h"

#include <FLAC/stream_decoder.h>

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace {

// Samples go to the file in large writes; a write per frame costs more than
// decoding it. The largest frame (65535 samples of 8 channels) fits.
constexpr size_t kOutputCapacity = 512 * 1024; // 16-bit samples

} // namespace

// One decoding: libFLAC reads the input through read() and hands over the
// stream's header and its frames.
struct CFlacDecoder::Run {
    CFlacDecoder& decoder;
    HANDLE input;
    IOpProgress* progress;
    const wchar_t* output;
    CWavWriter writer{};
    FLAC__StreamMetadata_StreamInfo info{};
    bool infoSeen = false;
    bool cancelled = false;
    bool writeFailed = false;
    const char* damage = nullptr; // libFLAC's name of the first fault found
    uint64_t framesDecoded = 0;
    uint64_t bytesRead = 0;
    std::vector<int32_t> scaled{}; // one frame, interleaved, at 32-bit scale
    std::unique_ptr<int16_t[]> samples{};
    size_t collected = 0;

    bool writeFailure()
    {
        decoder.m_errorCode = writer.lastSystemError();
        writeFailed = true;
        return false;
    }

    bool flush()
    {
        const bool written = writer.write(samples.get(), static_cast<int>(collected * 2));
        collected = 0;
        return written || writeFailure();
    }

    FLAC__StreamDecoderReadStatus read(FLAC__byte buffer[], size_t* bytes)
    {
        if (progress->isCancelled()) {
            cancelled = true;
            return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
        }
        DWORD got = 0;
        if (!ReadFile(input, buffer, static_cast<DWORD>(*bytes), &got, nullptr)) {
            decoder.m_errorCode = GetLastError();
            return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
        }
        *bytes = got;
        bytesRead += got;
        progress->setPos(static_cast<UINT>(bytesRead));
        return got ? FLAC__STREAM_DECODER_READ_STATUS_CONTINUE
                   : FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
    }

    void readInfo(const FLAC__StreamMetadata& metadata)
    {
        if (metadata.type != FLAC__METADATA_TYPE_STREAMINFO || infoSeen)
            return;
        info = metadata.data.stream_info;
        infoSeen = true;
        const WAVEFORMATEX format = Pcm16Format(static_cast<WORD>(info.channels), info.sample_rate);
        if (!writer.create(output, &format, decoder.m_measured))
            writeFailure();
    }

    bool writeFrame(const FLAC__FrameHeader& header, const FLAC__int32* const channels[])
    {
        if (writeFailed || damage)
            return false;
        if (!infoSeen || header.channels != info.channels ||
            header.bits_per_sample != info.bits_per_sample) {
            damage = "a frame unlike the stream's header";
            return false;
        }
        const size_t count = size_t{header.blocksize} * header.channels;
        if (collected + count > kOutputCapacity && !flush())
            return false;
        int16_t* out = samples.get() + collected;
        collected += count;
        framesDecoded += header.blocksize;
        if (header.bits_per_sample == 16) {
            // The common width needs no rounding: copied, it skips the pass
            // through the 32-bit buffer.
            for (unsigned i = 0; i < header.blocksize; ++i)
                for (unsigned c = 0; c < header.channels; ++c)
                    *out++ = static_cast<int16_t>(channels[c][i]);
            return true;
        }
        // At 32-bit scale, ConvertTo16Bit rounds any width as it rounds WAV samples.
        const unsigned up = 32 - header.bits_per_sample;
        scaled.resize(count);
        for (unsigned i = 0; i < header.blocksize; ++i)
            for (unsigned c = 0; c < header.channels; ++c)
                scaled[i * header.channels + c] =
                    static_cast<int32_t>(static_cast<uint32_t>(channels[c][i]) << up);
        ConvertTo16Bit(WAVE_FORMAT_PCM, 32, reinterpret_cast<const BYTE*>(scaled.data()), count,
                       out);
        return true;
    }

    static FLAC__StreamDecoderReadStatus readCallback(const FLAC__StreamDecoder*,
                                                      FLAC__byte buffer[], size_t* bytes, void* run)
    {
        return static_cast<Run*>(run)->read(buffer, bytes);
    }
    static FLAC__StreamDecoderWriteStatus writeCallback(const FLAC__StreamDecoder*,
                                                        const FLAC__Frame* frame,
                                                        const FLAC__int32* const channels[],
                                                        void* run)
    {
        return static_cast<Run*>(run)->writeFrame(frame->header, channels)
                   ? FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE
                   : FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    }
    static void metadataCallback(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata,
                                 void* run)
    {
        static_cast<Run*>(run)->readInfo(*metadata);
    }
    static void errorCallback(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus status,
                              void* run)
    {
        const char*& damage = static_cast<Run*>(run)->damage;
        if (!damage)
            damage = FLAC__StreamDecoderErrorStatusString[status];
    }
};

DecodeResult CFlacDecoder::decodeFile(const wchar_t* input, const wchar_t* output,
                                      IOpProgress* progress)
{
    Run run{*this, openInput(input), progress, output};
    if (run.input == INVALID_HANDLE_VALUE) {
        TraceFormat(LOG_ERROR, L"failed to open input file: %s; error = %s\n", input,
                    m_errorText.GetString());
        return DecodeFailed;
    }
    LARGE_INTEGER size{};
    GetFileSizeEx(run.input, &size);
    progress->setRange(static_cast<UINT>(size.QuadPart));
    progress->show(true);

    run.samples.reset(new (std::nothrow) int16_t[kOutputCapacity]);
    FLAC__StreamDecoder* flac = run.samples ? FLAC__stream_decoder_new() : nullptr;
    bool ran = flac && FLAC__stream_decoder_init_stream(
                           flac, Run::readCallback, nullptr, nullptr, nullptr, nullptr,
                           Run::writeCallback, Run::metadataCallback, Run::errorCallback,
                           &run) == FLAC__STREAM_DECODER_INIT_STATUS_OK;
    ran = ran && FLAC__stream_decoder_process_until_end_of_stream(flac);
    const char* state = flac ? FLAC__stream_decoder_get_resolved_state_string(flac) : "no memory";
    if (flac)
        FLAC__stream_decoder_delete(flac);
    if (ran && !run.writeFailed && !run.damage && run.infoSeen)
        run.flush();
    run.samples.reset();
    CloseHandle(run.input);
    run.writer.close();

    DecodeResult result = DecodeFailed;
    if (run.cancelled) {
        TraceFormat(LOG_DEBUG, L"flac decoding canceled");
        result = DecodeCancelled;
    } else if (m_errorCode != 0 || run.writeFailed) {
        m_errorText = SystemErrorText(m_errorCode);
    } else if (!run.infoSeen) {
        m_errorText = L"No FLAC stream in the file.";
        result = DecodeInvalidFile;
    } else if (run.damage || !ran) {
        m_errorText.Format(L"Damaged FLAC file: %hs.", run.damage ? run.damage : state);
    } else if (run.info.total_samples != 0 && run.framesDecoded != run.info.total_samples) {
        m_errorText.Format(L"Damaged FLAC file: %llu of %llu samples.", run.framesDecoded,
                           run.info.total_samples);
    } else {
        result = DecodeDone;
    }
    if (result != DecodeDone) {
        TraceFormat(LOG_ERROR, L"CFlacDecoder::decodeFile failed: %s", m_errorText.GetString());
        DeleteFileW(output);
    }
    return result;
}
