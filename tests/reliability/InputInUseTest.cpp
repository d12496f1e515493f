#include "PipelineHarness.h"

#include "import/DatFileBuild.h"
#include "import/Mp3Decoder.h"
#include "import/OggDecoder.h"
#include "import/OpProgress.h"
#include "import/WavConversion.h"
#include "import/WavReader.h"
#include "import/WmaDecoder.h"
#include "res/resource.h"

#include "support/AudioFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>

// An input that another program holds or tries to delete while an open
// reads it: the open either completes with the whole file or gives its
// message, and the file opens once it is free.

namespace {

// At the first question, with the input open, another program tries to
// delete it.
class DeletingProgress : public IOpProgress {
public:
    explicit DeletingProgress(const CString& input) : m_input(input) {}
    bool isCancelled() override
    {
        if (!tried) {
            tried = true;
            deleted = DeleteFileW(m_input) != FALSE;
        }
        return false;
    }
    bool tried = false;
    bool deleted = false;

private:
    CString m_input;
};

using Step = std::function<int(const CString& input, const CString& output, IOpProgress*)>;

template <class Decoder> Step decoding()
{
    return [](const CString& input, const CString& output, IOpProgress* progress) {
        Decoder decoder;
        return static_cast<int>(decoder.decodeFile(input, output, progress));
    };
}

// A WAV file is read in place, by the DAT building.
int datBuilding(const CString& input, const CString& output, IOpProgress* progress)
{
    CWavReader reader(input);
    int peak = 0;
    CString errorText;
    return createDatFile(&reader, output, progress, peak, errorText);
}

struct Input {
    const wchar_t* name;
    Step step;
    bool decoded;   // else read in place
    bool repeatable; // Wine's Windows Media runtime dithers, so only its length repeats
    int done() const { return decoded ? static_cast<int>(DecodeDone) : StepDone; }
};

const Input kInputs[] = {
    {L"mono.mp3", decoding<CMp3Decoder>(), true, true},
    {L"stereo.ogg", decoding<COggDecoder>(), true, true},
    {L"tone.wma", decoding<CWmaDecoder>(), true, false},
    {L"mono16.wav", datBuilding, false, true},
};

CString copyOfFixture(const TempDir& dir, const wchar_t* name)
{
    const CString path = dir.file(name);
    WriteFileBytes(path, ReadFileBytes(FixturePath(name)));
    return path;
}

} // namespace

TEST(InputInUse, InputCannotBeDeletedWhileItIsReadAndTheStepCompletes)
{
    CoInitialize(nullptr);
    for (const Input& input : kInputs) {
        TempDir dir;
        const CString path = copyOfFixture(dir, input.name);
        DeletingProgress intruder(path);
        EXPECT_EQ(input.step(path, dir.file(L"out.in"), &intruder), input.done()) << Narrow(input.name);
        ASSERT_TRUE(intruder.tried) << Narrow(input.name);
        EXPECT_FALSE(intruder.deleted) << Narrow(input.name);
        // What was written is the whole file, as without the intruder.
        IOpProgress quiet;
        ASSERT_EQ(input.step(path, dir.file(L"plain.in"), &quiet), input.done());
        const wchar_t* out = input.decoded ? L"out.in" : L"out.dat";
        const wchar_t* plain = input.decoded ? L"plain.in" : L"plain.dat";
        const std::string written = ReadFileBytes(dir.file(out));
        const std::string expected = ReadFileBytes(dir.file(plain));
        EXPECT_EQ(written.size(), expected.size()) << Narrow(input.name);
        if (input.repeatable) {
            EXPECT_TRUE(written == expected) << Narrow(input.name);
        }
    }
    CoUninitialize();
}

TEST(InputInUse, InputHeldByAnotherProgramIsReportedAndOpensOnceReleased)
{
    CoInitialize(nullptr);
    TempDir work;
    PipelineHarness harness(work.path());
    for (const Input& input : kInputs) {
        TempDir dir;
        const CString path = copyOfFixture(dir, input.name);
        HANDLE holder = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    0, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        const OpenOutcome held = harness.open(path);
        CloseHandle(holder);
        EXPECT_FALSE(held.opened) << Narrow(input.name);
        const CString message =
            input.decoded
                ? formatted(IDS_ERROR_DECODING, path)
                : formatted(IDS_COULD_NOT_OPEN,
                            L"error opening file " + path +
                                L": the file is being used by another application and is "
                                L"unavailable.");
        EXPECT_EQ(held.boxes, std::vector<CString>{message}) << Narrow(input.name);
        EXPECT_EQ(harness.checkAfterFailure(), "") << Narrow(input.name);

        const OpenOutcome released = harness.open(path);
        EXPECT_TRUE(released.opened) << Narrow(input.name);
        EXPECT_EQ(harness.checkAfterSuccess(), "") << Narrow(input.name);
        harness.document.reset(true);
        harness.clearWorkFiles();
    }
    CoUninitialize();
}
