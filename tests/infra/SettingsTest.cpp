#include "infra/Settings.h"

#include "infra/Paths.h"
#include "infra/SystemInfo.h"
#include "support/MemoryConfigStore.h"
#include "support/TempDir.h"
#include "support/TestText.h"
#include "view/CutRegion.h"

#include <gtest/gtest.h>

namespace {

class SettingsStore : public testing::Test {
protected:
    void declare()
    {
        CommonKeys(&store, &host);
        MVSettingsKeys(&store);
    }

    CCutRegion cutFromText(const wchar_t* text)
    {
        declare();
        store.find(L"MV_Settings", L"Cut")->value = text;
        CCutRegion cut;
        GetMVSettings().GetCut(cut);
        return cut;
    }

    MemoryConfigStore store;
    FixedHostInfo host;
};

CCutRegion makeCut(int64_t begin, int64_t end, int32_t fadeIn, int32_t fadeOut)
{
    CCutRegion cut;
    cut.valid = true;
    cut.begin = begin;
    cut.end = end;
    cut.fadeIn = fadeIn;
    cut.fadeOut = fadeOut;
    return cut;
}

} // namespace

TEST_F(SettingsStore, StoredCutTextGivesTheCutOrAnEmptyOneAndCutsAreWrittenWhole)
{
    const std::pair<const wchar_t*, CCutRegion> cases[] = {
        {L"15000,75000,2000,3000", makeCut(15000, 75000, 2000, 3000)},
        {L"1000,900000,500000,500000",
         makeCut(1000, 900000, 399000, 500000)}, // the last fade set wins
        {L"0,500,0,0", {}},
        {L"1000,5000,0", {}},
        {L"1000,5000,0,0,0", {}},
        {L"1000,,0,0", {}},
        {L"-1000,5000,0,0", {}},
        {L"1000, 5000,0,0", {}},
        {L"", {}},
        {L"1000,5000,0,0,", {}},
        {L"4294967295,5000,0,0", {}},
        {L"9000,5000,0,0", {}}};
    for (const auto& [text, cut] : cases)
        EXPECT_EQ(cutFromText(text), cut) << "cut text " << Narrow(text);

    GetMVSettings().SetCut(makeCut(6000000000LL, 6000004000LL, 100, 200));
    EXPECT_EQ(store.find(L"MV_Settings", L"Cut")->value, CString(L"6000000000,6000004000,100,200"));
}

TEST_F(SettingsStore, MinZoomBelowOneIsRepairedAndNormalizationOutsideTenToHundredIsOff)
{
    store.preset(L"MV_Settings", L"MinZoomSec", L"0");
    declare();
    EXPECT_EQ(GetMVSettings().GetMinZoomSec(), 6);
    EXPECT_EQ(store.find(L"MV_Settings", L"MinZoomSec")->value, CString(L"6"));

    const std::pair<const wchar_t*, double> cases[] = {
        {L"9.5", 0.0}, {L"10", 10.0}, {L"100", 100.0}, {L"100.5", 0.0}, {L"55.5", 55.5}};
    for (const auto& [text, expected] : cases) {
        MemoryConfigStore fresh;
        fresh.preset(L"MV_Settings", L"NormalizationPercent", text);
        CommonKeys(&fresh, &host);
        MVSettingsKeys(&fresh);
        EXPECT_EQ(GetMVSettings().GetNormalizationPercent(), expected) << Narrow(text);
        EXPECT_EQ(fresh.find(L"MV_Settings", L"NormalizationPercent")->value, CString(text));
    }
}

TEST_F(SettingsStore, TempFolderIsKeptWhileItExistsAndAMissingOneIsReplacedAndMade)
{
    TempDir temp;
    store.preset(L"Common", L"TempFolder", temp.path());
    declare();
    EXPECT_EQ(GetTempFolder(), temp.path());

    MemoryConfigStore fresh;
    fresh.preset(L"Common", L"TempFolder", temp.file(L"gone"));
    CommonKeys(&fresh, &host);
    MVSettingsKeys(&fresh);
    const CString expected = BuildPath(GetDefaultTempMusicDir(), L"Verlanis", nullptr);
    EXPECT_EQ(GetTempFolder(), expected);
    const DWORD attributes = GetFileAttributesW(expected);
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(SystemInfo, ExecutableWithoutVersionResourceIsNamedByItsFile)
{
    EXPECT_TRUE(GetHostVersion().IsEmpty());
    EXPECT_EQ(GetHostProductName(), CString(L"InfraTests"));
}
