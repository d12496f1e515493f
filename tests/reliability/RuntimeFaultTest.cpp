#include "PipelineHarness.h"

#include "res/resource.h"

#include "support/AudioFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

// Faults of the machine around the component: each gives its message,
// leaves no partial output and the editor opens the next file.

// Runs for real only in the ctest case WindowsMediaRuntimeMissing, whose Wine
// has wmvcore disabled.
TEST(RuntimeFaults, MissingWindowsMediaRuntimeIsReportedAndWavStillOpens)
{
    if (GetEnvironmentVariableW(L"TARVISK_WITHOUT_WMVCORE", nullptr, 0) == 0)
        GTEST_SKIP() << "only in the run without the Windows Media runtime";
    TempDir work;
    PipelineHarness harness(work.path());
    CoInitialize(nullptr);
    const OpenOutcome missing = harness.open(FixturePath(L"tone.wma"));
    EXPECT_FALSE(missing.opened);
    EXPECT_EQ(missing.boxes, std::vector<CString>{resourceText(IDS_WMF_MISSING)});
    EXPECT_EQ(harness.checkAfterFailure(), "");
    const OpenOutcome wav = harness.open(FixturePath(L"mono16.wav"));
    EXPECT_TRUE(wav.opened);
    EXPECT_EQ(harness.checkAfterSuccess(), "");
    CoUninitialize();
}
