#include "import/StreamDocument.h"

#include "Wnd.h"
#include "import/AacDecoder.h"
#include "import/DatFileBuild.h"
#include "import/DocumentView.h"
#include "import/FlacDecoder.h"
#include "import/Mp3Decoder.h"
#include "import/OggDecoder.h"
#include "import/OpusDecoder.h"
#include "import/ProgressDlg.h"
#include "import/WavConversion.h"
#include "import/WavReader.h"
#include "import/WmaDecoder.h"
#include "infra/ErrorBox.h"
#include "infra/KestraException.h"
#include "infra/Logger.h"
#include "infra/Paths.h"
#include "infra/Settings.h"
#include "res/resource.h"

#include <cwctype>
#include <memory>

namespace {

CStreamDocument* g_document = nullptr;

CString loadedString(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

// 16-bit PCM in a plain format record: the player and the DAT step read it
// in place; every other layout they take is converted to it first.
bool isPlain16BitPcm(const WAVEFORMATEX& format)
{
    return format.wFormatTag == WAVE_FORMAT_PCM && format.nAvgBytesPerSec != 0 &&
           format.wBitsPerSample == 16 && HasUsableLayout(format);
}

void checkReadable(const CWavReader& reader)
{
    const WAVEFORMATEX& format = *reader.getFormat();
    CString message;
    // The 16-bit frame of the converted file must fit its format record too.
    if (!HasUsableLayout(format) || format.nAvgBytesPerSec == 0 || format.nChannels > 0x7FFF ||
        format.nBlockAlign != format.nChannels * format.wBitsPerSample / 8 ||
        !IsConvertibleTo16Bit(reader.getEncoding(), format.wBitsPerSample)) {
        message.Format(loadedString(IDS_UNSUPPORTED_WAVE),
                       WaveFormatName(reader.getEncoding()).GetString(), format.wBitsPerSample);
        throw CKestraException(message, CKestraException::ShowUnchanged);
    }
    if (format.nSamplesPerSec < kMinSampleRate) {
        message.LoadString(IDS_SAMPLE_RATE_TOO_LOW);
        throw CKestraException(message, CKestraException::ShowUnchanged);
    }
}

std::unique_ptr<IDecoder> decoderFor(const CString& extension, const wchar_t* input)
{
    if (extension.CompareNoCase(L".mp3") == 0)
        return std::make_unique<CMp3Decoder>();
    // Ogg holds Vorbis or Opus: its first page tells which.
    if (extension.CompareNoCase(L".ogg") == 0 && !COpusDecoder::holdsOpus(input))
        return std::make_unique<COggDecoder>();
    if (extension.CompareNoCase(L".ogg") == 0 || extension.CompareNoCase(L".opus") == 0)
        return std::make_unique<COpusDecoder>();
    if (extension.CompareNoCase(L".flac") == 0)
        return std::make_unique<CFlacDecoder>();
    for (const wchar_t* mp4 : {L".m4a", L".mp4", L".m4r"}) {
        if (extension.CompareNoCase(mp4) == 0)
            return std::make_unique<CAacDecoder>();
    }
    for (const wchar_t* media : {L".wma", L".wmv", L".asf"}) {
        if (extension.CompareNoCase(media) == 0)
            return std::make_unique<CWmaDecoder>();
    }
    return nullptr;
}

} // namespace

CStreamDocument* GetStreamDocument()
{
    return g_document;
}

CStreamDocument::CStreamDocument() : m_openFilter(loadedString(IDS_OPEN_FILTER))
{
    g_document = this;
}

CStreamDocument::~CStreamDocument()
{
    if (g_document == this)
        g_document = nullptr;
}

void CStreamDocument::assureWorkFolder()
{
    // The folder is made at start-up, but it may be removed while the editor
    // runs; every step of an open writes into it.
    const CString folder = GetMVSettings().GetWorkFolder();
    if (CreateDirectoryTree(folder, nullptr))
        return;
    const DWORD error = GetLastError();
    CString message;
    message.Format(loadedString(IDS_WORK_FOLDER_UNUSABLE), folder.GetString(),
                   SystemErrorText(error).GetString());
    throw CKestraException(message, CKestraException::ShowUnchanged);
}

CString CStreamDocument::temporaryBase() const
{
    CString base = GetMVSettings().GetWorkFolder();
    AppendPathPart(base, L"temp");
    return base;
}

void CStreamDocument::attach(CWnd* owner, IDocumentView* view)
{
    m_owner = owner;
    m_view = view;
    reset(false);
    GetMVSettings().GetCut(m_cut);
    applyDefaultCut();
    if (m_view)
        m_view->documentChanged(true);
}

void CStreamDocument::store()
{
    if (m_view)
        m_view->stopPlaying();
    CMVSettings& settings = GetMVSettings();
    settings.SetInputFileName(m_inputFileName);
    settings.SetInputName(m_displayName);
    settings.SetInputType(m_inputType, m_inputParam);
    settings.SetWavFileName(m_wavPath);
    settings.SetInputTitle(m_title);
    settings.SetCut(m_cut);
}

void CStreamDocument::reset(bool refreshView)
{
    m_inputFileName.Empty();
    m_displayName.Empty();
    m_title.Empty();
    m_inputType = 0;
    m_inputParam.Empty();
    m_wavPath.Empty();
    m_datPath.Empty();
    m_cut.reset();
    m_durationMs = 0;
    m_datCache.setSource(CString(), 0);
    if (refreshView && m_view)
        m_view->documentChanged(true);
}

void CStreamDocument::setBusy(bool busy)
{
    m_busy = busy ? 1 : 0;
    if (m_view)
        m_view->commandStateChanged();
}

const CCutRegion* CStreamDocument::cutAtPosition(int64_t position) const
{
    return m_cut.contains(position) ? &m_cut : nullptr;
}

void CStreamDocument::setCut(int64_t begin, int64_t end)
{
    m_cut.setBegin(begin);
    m_cut.setEnd(end);
    m_cut.validate();
    if (m_view)
        m_view->documentChanged(false);
}

void CStreamDocument::resetCut()
{
    m_cut.reset();
}

void CStreamDocument::cutChanged()
{
    if (m_view)
        m_view->commandStateChanged();
}

void CStreamDocument::setVisibleSpan(uint32_t seconds)
{
    CSingleLock lock(&m_lock, TRUE);
    m_visibleSpan = seconds;
}

uint32_t CStreamDocument::visibleSpan()
{
    CSingleLock lock(&m_lock, TRUE);
    return m_visibleSpan;
}

const signed char* CStreamDocument::readDatRange(int64_t start, int64_t end, int* count)
{
    return m_datCache.readRange(start, end, count);
}

double CStreamDocument::computeGain(double percent, int peak)
{
    if (peak < 100 || percent > 100.0 || percent < 10.0)
        return 0.0;
    return 32767.0 * percent / peak / 100.0;
}

CString CStreamDocument::typeDescription(int type, const CString& parameter)
{
    CString text;
    switch (type) {
    case 1:
        text.Format(loadedString(IDS_AUDIO_CD_TRACK), parameter.GetString());
        break;
    case 2:
        if (!parameter.IsEmpty())
            text = L"[" + parameter + L"]";
        break;
    case 3:
        text.Format(loadedString(IDS_RECORDED_FROM), parameter.GetString());
        break;
    }
    return text;
}

CString CStreamDocument::titleFromFileName(const CString& inputFileName)
{
    CString title;
    for (int i = inputFileName.ReverseFind(L'\\') + 1; i < inputFileName.GetLength(); ++i) {
        const wchar_t ch = inputFileName[i];
        if (ch == L'.')
            break;
        if (iswalpha(ch))
            title += ch;
    }
    return title.IsEmpty() ? CString(L"ringtone") : title;
}

void CStreamDocument::loadNames(const wchar_t* input)
{
    // The stored names describe the file of the last session; they apply
    // only when that is the file opened now, and the file handed to the
    // host on save is always the one opened.
    CMVSettings& settings = GetMVSettings();
    m_inputFileName = input;
    const bool storedForThisFile = storedNamesApply();
    m_inputType = storedForThisFile ? settings.GetInputType(m_inputParam) : 0;
    if (!storedForThisFile)
        m_inputParam.Empty();
    if (m_inputType < 0 || m_inputType > 3)
        m_inputType = 0;
    refreshDisplayName();
    m_title = storedForThisFile ? settings.GetInputTitle() : CString();
    if (m_title.IsEmpty())
        m_title = titleFromFileName(m_inputFileName);
}

bool CStreamDocument::storedNamesApply() const
{
    return GetMVSettings().GetInputFileName().CompareNoCase(m_inputFileName) == 0;
}

void CStreamDocument::refreshDisplayName()
{
    const CString description = typeDescription(m_inputType, m_inputParam);
    if (m_inputType == 0) {
        m_displayName = storedNamesApply() ? GetMVSettings().GetInputName() : CString();
        if (m_displayName.IsEmpty() && !m_inputFileName.IsEmpty())
            m_displayName = L"[" + m_inputFileName + L"]";
    } else {
        m_displayName = description;
    }
    if (m_owner && !description.IsEmpty())
        m_displayName = description;
}

void CStreamDocument::fillCommandState(CommandState& state)
{
    const int64_t position = m_view ? m_view->getPosition() : 0;
    state.streamLoaded = m_durationMs > 0;
    state.cutValid = m_cut.valid;
    state.posInCut = m_cut.valid && m_cut.begin <= position && position < m_cut.end;
    // Fades are removed at the position only, as they are set.
    state.cutHasFades = state.posInCut && (m_cut.fadeIn != 0 || m_cut.fadeOut != 0);
    state.playing = m_view && m_view->isPlaying();
    state.documentBusy = isBusy();
}

void CStreamDocument::applyDefaultCut()
{
    if (m_cut.valid && m_cut.end > m_durationMs)
        m_cut.reset();
    if (m_cut.valid || m_durationMs <= 0)
        return;
    m_cut.reset();
    if (m_durationMs > 20000) {
        m_cut.setBegin(10000);
        m_cut.setEnd(20000);
    } else if (m_durationMs > 2000) {
        m_cut.setBegin(m_durationMs / 4);
        m_cut.setEnd(m_durationMs * 3 / 4);
    }
    m_cut.validate();
}

bool CStreamDocument::decodeToWav(const wchar_t* input, CString& wavPath, IOpProgress* progress,
                                  CDatBlocks* measured)
{
    const CString path(input);
    const int dot = path.ReverseFind(L'.');
    const CString extension = dot >= 0 ? path.Mid(dot) : CString();
    if (extension.CompareNoCase(L".wav") == 0 || extension.CompareNoCase(L".in") == 0) {
        wavPath = path;
        return true;
    }
    std::unique_ptr<IDecoder> decoder = decoderFor(extension, input);
    if (!decoder) {
        ErrorBoxRes(nullptr, IDS_UNSUPPORTED_EXTENSION, input);
        return false;
    }
    wavPath = temporaryBase() + L".in";
    LogFormat(LOG_DEBUG, L"start decoding file %s", input);
    progress->setTextId(IDS_DECODING_FILE);
    decoder->measureInto(measured);
    decoder->useThreads(GetMVSettings().GetDecodeThreads());
    const DecodeResult result = decoder->decodeFile(input, wavPath, progress);

    CString message;
    switch (result) {
    case DecodeFailed:
        message.Format(loadedString(IDS_ERROR_DECODING), input);
        break;
    case DecodeInvalidFile:
        message.LoadString(IDS_INVALID_FILE);
        break;
    case DecodeNotSupported:
        message.LoadString(IDS_FILE_NOT_SUPPORTED);
        break;
    case DecodeRuntimeMissing:
        message.LoadString(IDS_WMF_MISSING);
        break;
    default:
        break;
    }
    const CString errorText = decoder->errorText();
    decoder.reset();
    if (result == DecodeDone)
        return true;
    if (!errorText.IsEmpty())
        LogFormat(LOG_ERROR, L"%s", errorText.GetString());
    if (result != DecodeCancelled) {
        progress->show(false);
        ErrorBox(message);
    }
    return false;
}

bool CStreamDocument::openInputFile(const wchar_t* input, const wchar_t* wavPath, int flag)
{
    LogFormat(LOG_DEBUG, L"openInputFile(%s, %s, %d)", input, wavPath ? wavPath : L"(null)", flag);
    const CString tempWav = temporaryBase() + L".in";
    reset(true);
    setBusy(true);
    CProgressDlg progress(m_owner);
    // Shown by the first step and taken down at the end only: hiding a shown
    // window can hold this thread without pumping (two seconds under Wine
    // without a window manager).
    progress.create(IDS_OPEN_FILE_TITLE, m_owner ? m_owner->GetParent() : nullptr);

    bool opened = false;
    std::unique_ptr<CWavReader> reader;
    // A decoded file's DAT values, taken as it was written, spare the DAT
    // step reading it back.
    CDatBlocks measured;
    try {
        assureWorkFolder();
        CString source;
        if (wavPath)
            source = wavPath;
        if (wavPath || decodeToWav(input, source, &progress, &measured)) {
            reader = std::make_unique<CWavReader>(source);
            checkReadable(*reader);
            if (!isPlain16BitPcm(*reader->getFormat())) {
                LogFormat(LOG_DEBUG, L"start converting file %s", source.GetString());
                CString errorText;
                const int converted =
                    convertWavTo16Bit(reader.get(), tempWav, &progress, errorText);
                if (converted == StepCancelled)
                    throw CKestraException(CString(), CKestraException::Cancelled);
                if (converted == StepFailed)
                    throw CKestraException(
                        errorText.IsEmpty() ? loadedString(IDS_ERROR_CONVERTING_WAV) : errorText,
                        CKestraException::ShowUnchanged);
                reader.reset();
                source = tempWav;
                reader = std::make_unique<CWavReader>(source);
                if (!isPlain16BitPcm(*reader->getFormat()))
                    throw CKestraException(loadedString(IDS_ERROR_CONVERTING_WAV),
                                           CKestraException::ShowUnchanged);
            }
            m_format = *reader->getFormat();

            LogFormat(LOG_DEBUG, L"start creating dat file");
            const CString datPath = temporaryBase() + L".dat";
            int peak = 0;
            CString errorText;
            const int built =
                createDatFile(reader.get(), temporaryBase(), &progress, peak, errorText, &measured,
                              GetMVSettings().GetDecodeThreads());
            if (built == StepCancelled)
                throw CKestraException(CString(), CKestraException::Cancelled);
            if (built == StepFailed) {
                if (errorText.IsEmpty())
                    errorText.Format(loadedString(IDS_ERROR_CREATING_DAT), datPath.GetString());
                throw CKestraException(errorText, CKestraException::ShowUnchanged);
            }
            m_gain = computeGain(GetMVSettings().GetNormalizationPercent(), peak);
            m_wavPath = source;
            m_datPath = datPath;
            loadNames(input);
            m_durationMs = reader->getDurationMs();
            m_datCache.setSource(m_datPath, m_durationMs);
            applyDefaultCut();
            if (m_view)
                m_view->documentChanged(true);
            opened = true;
        }
    } catch (const CKestraException& e) {
        LogFormat(LOG_ERROR, L"openInputFile failed: %s", e.message().GetString());
        reset(true);
        progress.show(false);
        if (e.code() == CKestraException::WrapInOpenMessage)
            ErrorBoxRes(nullptr, IDS_COULD_NOT_OPEN, e.message().GetString());
        else if (e.code() != CKestraException::Cancelled)
            ErrorBox(e.message());
    }
    reader.reset();
    // Cancel stays set once pressed, and every step stops on it.
    m_openCancelled = !opened && progress.cancelRequested();
    progress.DestroyWindow();
    setBusy(false);
    return opened;
}
