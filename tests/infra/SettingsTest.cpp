#include "infra/Settings.h"

#include "infra/Paths.h"
#include "infra/SystemInfo.h"
#include "playback/PlaybackFixtures.h"
#include "support/TestStore.h"
#include "support/AudioFixtures.h"

#include <gtest/gtest.h>

namespace {

class SettingsStore : public testing::Test {
protected:
    void declare(TestStore& declared)
    {
        CommonKeys(&declared, &host);
        MVSettingsKeys(&declared);
    }

    CCutRegion cutFromText(const wchar_t* text)
    {
        declare(store);
        store.set(L"MV_Settings", L"Cut", text);
        CCutRegion cut;
        GetMVSettings().GetCut(cut);
        return cut;
    }

    TestStore store;
    FixedHostInfo host;
};

} // namespace

TEST_F(SettingsStore, StoredCutTextGivesTheCutOrAnEmptyOneAndCutsAreWrittenWhole)
{
    EXPECT_EQ(cutFromText(L"15000,75000,2000,3000"), cutOf(15000, 75000, 2000, 3000));
    // Of fades that overlap, the last one set wins.
    EXPECT_EQ(cutFromText(L"1000,900000,500000,500000"), cutOf(1000, 900000, 399000, 500000));
    for (const wchar_t* refused :
         {L"0,500,0,0", L"1000,5000,0", L"1000,5000,0,0,0", L"1000,,0,0", L"-1000,5000,0,0",
          L"1000, 5000,0,0", L"", L"1000,5000,0,0,", L"4294967295,5000,0,0", L"9000,5000,0,0"})
        EXPECT_EQ(cutFromText(refused), CCutRegion()) << "cut text " << Narrow(refused);

    GetMVSettings().SetCut(cutOf(6000000000LL, 6000004000LL, 100, 200));
    EXPECT_EQ(store.value(L"MV_Settings", L"Cut"), CString(L"6000000000,6000004000,100,200"));
}

TEST_F(SettingsStore, MinZoomBelowOneIsRepairedAndNormalizationOutsideTenToHundredIsOff)
{
    store.set(L"MV_Settings", L"MinZoomSec", L"0");
    declare(store);
    EXPECT_EQ(GetMVSettings().GetMinZoomSec(), 6);
    EXPECT_EQ(store.value(L"MV_Settings", L"MinZoomSec"), CString(L"6"));

    const std::pair<const wchar_t*, double> cases[] = {
        {L"9.5", 0.0}, {L"10", 10.0}, {L"100", 100.0}, {L"100.5", 0.0}, {L"55.5", 55.5}};
    for (const auto& [text, expected] : cases) {
        TestStore fresh;
        fresh.set(L"MV_Settings", L"NormalizationPercent", text);
        declare(fresh);
        EXPECT_EQ(GetMVSettings().GetNormalizationPercent(), expected) << Narrow(text);
        EXPECT_EQ(fresh.value(L"MV_Settings", L"NormalizationPercent"), CString(text));
    }
}

// One that exists is kept: the Facade tests find the work folder in it.
TEST_F(SettingsStore, MissingTempFolderIsReplacedByTheDefaultAndMade)
{
    TempDir temp;
    store.set(L"Common", L"TempFolder", temp.file(L"gone"));
    declare(store);
    const CString expected = BuildPath(GetDefaultTempMusicDir(), L"Verlanis", nullptr);
    EXPECT_EQ(GetTempFolder(), expected);
    EXPECT_TRUE(IsFolder(expected));
}

TEST_F(SettingsStore, PortableLogRootFollowsTheTempFolderWhateverItsSeparator)
{
    TempDir dir;
    struct PortableStore : TestStore {
        bool IsPortable() override { return true; }
    } portable;
    CommonKeys(&portable, &host);
    SetTempFolder(dir.path() + L"/");
    EXPECT_EQ(GetLogRoot(), dir.path() + L"/Log\\");
    EXPECT_TRUE(IsFolder(dir.file(L"Log")));
}

TEST(SystemInfo, ExecutableWithoutVersionResourceIsNamedByItsFile)
{
    EXPECT_TRUE(GetHostVersion().IsEmpty());
    EXPECT_EQ(GetHostProductName(), CString(L"InfraTests"));
}
