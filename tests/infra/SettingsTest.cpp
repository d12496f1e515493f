#include "infra/Settings.h"

#include "infra/Paths.h"
#include "infra/SystemInfo.h"
#include "playback/PlaybackFixtures.h"
#include "support/TestStore.h"

#include <gtest/gtest.h>

TEST(SettingsStore, StoredCutTextGivesTheCutOrAnEmptyOneAndCutsAreWrittenWhole)
{
    EditorSettings settings;
    const auto cutFromText = [&](const wchar_t* text) {
        settings.store.set(L"MV_Settings", L"Cut", text);
        CCutRegion cut;
        GetMVSettings().GetCut(cut);
        return cut;
    };
    EXPECT_EQ(cutFromText(L"15000,75000,2000,3000"), cutOf(15000, 75000, 2000, 3000));
    // Of fades that overlap, the last one set wins.
    EXPECT_EQ(cutFromText(L"1000,900000,500000,500000"), cutOf(1000, 900000, 399000, 500000));
    for (const wchar_t* refused :
         {L"0,500,0,0", L"1000,5000,0", L"1000,5000,0,0,0", L"1000,,0,0", L"-1000,5000,0,0",
          L"1000, 5000,0,0", L"", L"1000,5000,0,0,", L"4294967295,5000,0,0", L"9000,5000,0,0"})
        EXPECT_EQ(cutFromText(refused), CCutRegion()) << "cut text " << Narrow(refused);

    GetMVSettings().SetCut(cutOf(6000000000LL, 6000004000LL, 100, 200));
    EXPECT_EQ(settings.store.value(L"MV_Settings", L"Cut"),
              CString(L"6000000000,6000004000,100,200"));
}

TEST(SettingsStore, MinZoomBelowOneIsRepairedAndNormalizationOutsideTenToHundredIsOff)
{
    EditorSettings repaired{{L"MV_Settings", L"MinZoomSec", L"0"}};
    EXPECT_EQ(GetMVSettings().GetMinZoomSec(), 6);
    EXPECT_EQ(repaired.store.value(L"MV_Settings", L"MinZoomSec"), CString(L"6"));

    const std::pair<const wchar_t*, double> cases[] = {
        {L"9.5", 0.0}, {L"10", 10.0}, {L"100", 100.0}, {L"100.5", 0.0}, {L"55.5", 55.5}};
    for (const auto& [text, expected] : cases) {
        EditorSettings fresh{{L"MV_Settings", L"NormalizationPercent", text}};
        EXPECT_EQ(GetMVSettings().GetNormalizationPercent(), expected) << Narrow(text);
        EXPECT_EQ(fresh.store.value(L"MV_Settings", L"NormalizationPercent"), CString(text));
    }
}

// One that exists is kept: the Facade tests find the work folder in it.
TEST(SettingsStore, MissingTempFolderIsReplacedByTheDefaultAndMade)
{
    TempDir temp;
    EditorSettings settings{{L"Common", L"TempFolder", temp.file(L"gone")}};
    const CString expected = BuildPath(GetDefaultTempMusicDir(), L"Verlanis", nullptr);
    EXPECT_EQ(GetTempFolder(), expected);
    EXPECT_TRUE(IsFolder(expected));
}

TEST(SettingsStore, PortableLogRootFollowsTheTempFolderWhateverItsSeparator)
{
    TempDir dir;
    struct PortableStore : TestStore {
        bool IsPortable() override { return true; }
    } portable;
    FixedHostInfo host;
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
