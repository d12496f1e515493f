#include "refhost/RingtoneWriter.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <vector>

namespace {

struct PcmFormat {
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t bits = 0;
};

// A file read, or written front to back as the encoder's sink.
class File : public IRingtoneSink {
public:
    explicit File(HANDLE handle) : m_handle(handle) {}
    ~File() override
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    bool ok() const { return m_handle != INVALID_HANDLE_VALUE; }
    bool read(void* data, DWORD size)
    {
        DWORD got = 0;
        return ReadFile(m_handle, data, size, &got, nullptr) && got == size;
    }
    bool append(const void* data, size_t size) override
    {
        DWORD put = 0;
        return WriteFile(m_handle, data, static_cast<DWORD>(size), &put, nullptr) && put == size;
    }
    bool overwrite(int64_t offset, const void* data, size_t size) override
    {
        const int64_t end = position();
        return seek(offset) && append(data, size) && seek(end);
    }
    bool seek(int64_t offset)
    {
        LARGE_INTEGER to;
        to.QuadPart = offset;
        return SetFilePointerEx(m_handle, to, nullptr, FILE_BEGIN);
    }
    int64_t position()
    {
        LARGE_INTEGER zero{}, at{};
        SetFilePointerEx(m_handle, zero, &at, FILE_CURRENT);
        return at.QuadPart;
    }

private:
    HANDLE m_handle;
};

// Finds the format and the data chunk of a RIFF WAVE file.
bool readHeader(File& file, PcmFormat& format, int64_t& dataStart, uint32_t& dataSize)
{
    char riff[12];
    if (!file.read(riff, 12) || memcmp(riff, "RIFF", 4) || memcmp(riff + 8, "WAVE", 4))
        return false;
    bool haveFormat = false;
    for (;;) {
        char id[4];
        uint32_t size = 0;
        if (!file.read(id, 4) || !file.read(&size, 4))
            return false;
        if (!memcmp(id, "fmt ", 4)) {
            uint8_t record[16];
            if (size < 16 || !file.read(record, 16))
                return false;
            uint16_t tag;
            memcpy(&tag, record, 2);
            memcpy(&format.channels, record + 2, 2);
            memcpy(&format.rate, record + 4, 4);
            memcpy(&format.bits, record + 14, 2);
            haveFormat = tag == WAVE_FORMAT_PCM && format.bits == 16 && format.channels > 0 &&
                         format.rate > 0;
            if (!file.seek(file.position() + (size - 16) + (size & 1)))
                return false;
        } else if (!memcmp(id, "data", 4)) {
            dataStart = file.position();
            dataSize = size;
            return haveFormat;
        } else if (!file.seek(file.position() + size + (size & 1))) {
            return false;
        }
    }
}

double envelope(int64_t t, int64_t begin, int64_t end, int32_t fadeIn, int32_t fadeOut)
{
    double factor = 1.0;
    if (fadeIn > 0 && t < begin + fadeIn)
        factor = std::min(factor, double(t - begin) / fadeIn);
    if (fadeOut > 0 && t > end - fadeOut)
        factor = std::min(factor, double(end - t) / fadeOut);
    return std::clamp(factor, 0.0, 1.0);
}

} // namespace

namespace {

// Longest name kept: leaves room in a 255-character file name for the
// extension and the partial file's suffix.
constexpr size_t kMaxNameLength = 200;

// Names the system opens as devices, whatever extension follows:
// "NUL.wav" would swallow the ringtone and report success.
bool isDeviceName(const std::wstring& name)
{
    std::wstring stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ')
        stem.pop_back();
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
        if (_wcsicmp(stem.c_str(), device) == 0)
            return true;
    }
    const bool port = stem.size() == 4 && (_wcsnicmp(stem.c_str(), L"COM", 3) == 0 ||
                                           _wcsnicmp(stem.c_str(), L"LPT", 3) == 0);
    return port && (iswdigit(stem[3]) || wcschr(L"\u00B9\u00B2\u00B3", stem[3]));
}

} // namespace

std::wstring RingtoneFileName(const std::wstring& trackName)
{
    std::wstring name;
    for (wchar_t ch : trackName) {
        if (ch < 32 || wcschr(L"\\/:*?\"<>|", ch))
            continue;
        name += ch;
    }
    if (name.size() > kMaxNameLength) {
        name.resize(kMaxNameLength);
        // Half a surrogate pair is no character.
        if (IS_HIGH_SURROGATE(name.back()))
            name.pop_back();
    }
    const size_t first = name.find_first_not_of(L". ");
    name = first == std::wstring::npos ? std::wstring() : name.substr(first);
    while (!name.empty() && (name.back() == L' ' || name.back() == L'.'))
        name.pop_back();
    if (name.empty())
        return L"Ringtone";
    return isDeviceName(name) ? L"_" + name : name;
}

std::wstring DecodedStream(const std::wstring& input, const std::wstring& workFolderStream)
{
    const size_t dot = input.find_last_of(L".\\");
    const std::wstring extension = dot == std::wstring::npos ? L"" : input.substr(dot);
    if (_wcsicmp(extension.c_str(), L".wav") != 0 && _wcsicmp(extension.c_str(), L".in") != 0)
        return workFolderStream;
    File file(CreateFileW(input.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                          nullptr));
    PcmFormat format;
    int64_t dataStart = 0;
    uint32_t dataSize = 0;
    return file.ok() && readHeader(file, format, dataStart, dataSize) ? input : workFolderStream;
}

bool WriteRingtone(const RingtoneRequest& request, std::wstring& path, std::wstring& error)
{
    File in(CreateFileW(request.decodedWav.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                        OPEN_EXISTING, 0, nullptr));
    PcmFormat format;
    int64_t dataStart = 0;
    uint32_t dataSize = 0;
    if (!in.ok() || !readHeader(in, format, dataStart, dataSize)) {
        error = L"the decoded stream '" + request.decodedWav + L"' cannot be read";
        return false;
    }
    const uint32_t frameBytes = format.channels * 2u;
    const int64_t totalFrames = dataSize / frameBytes;
    const int64_t firstFrame =
        std::clamp<int64_t>(request.begin * format.rate / 1000, 0, totalFrames);
    const int64_t endFrame =
        std::clamp<int64_t>(request.end * format.rate / 1000, firstFrame, totalFrames);
    if (endFrame == firstFrame) {
        error = L"the cut holds no audio";
        return false;
    }

    std::wstring folder = request.outputFolder;
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    path = folder + RingtoneFileName(request.trackName) + L"." + RingtoneFormatName(request.format);
    const std::wstring partial = path + L".part";
    const std::unique_ptr<IRingtoneEncoder> encoder = MakeRingtoneEncoder(request.format);
    std::wstring refusal;
    bool written = false;
    {
        File out(
            CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        const RingtoneStream stream{format.channels, format.rate, endFrame - firstFrame,
                                    request.trackName};
        written = out.ok() && encoder->start(stream, out, refusal) &&
                  in.seek(dataStart + firstFrame * frameBytes);

        std::vector<int16_t> buffer(4096 * format.channels);
        for (int64_t frame = firstFrame; written && frame < endFrame;) {
            const int count = static_cast<int>(std::min<int64_t>(4096, endFrame - frame));
            written = in.read(buffer.data(), static_cast<DWORD>(count * frameBytes));
            for (int i = 0; written && i < count; ++i) {
                const int64_t t = (frame + i) * 1000 / format.rate;
                const double factor =
                    envelope(t, request.begin, request.end, request.fadeIn, request.fadeOut);
                for (int c = 0; c < format.channels; ++c) {
                    int16_t& sample = buffer[i * format.channels + c];
                    sample = static_cast<int16_t>(sample * factor);
                }
            }
            written = written && encoder->encode(buffer.data(), count);
            frame += count;
        }
        written = written && encoder->finish();
    }
    if (!written || !MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        error = refusal.empty() ? L"'" + path + L"' could not be written" : refusal;
        DeleteFileW(partial.c_str());
        return false;
    }
    return true;
}
