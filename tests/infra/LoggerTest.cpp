#include "infra/Logger.h"

#include "support/AudioFixtures.h"

#include <gtest/gtest.h>

namespace {

// The logger's clock: year, month, weekday (unused), day, hour, minute, second, ms.
SYSTEMTIME g_clock;

class LoggerFile : public testing::Test {
protected:
    void SetUp() override
    {
        logger.SetTimeSource([](SYSTEMTIME* now) { *now = g_clock; });
        logger.SetFilePrefix(dir.file(L"Log"));
        g_clock = {2026, 3, 0, 4, 5, 6, 7, 89};
        tid.Format(L"%X", GetCurrentThreadId());
    }

    CString fileText(const CString& name) { return ReadUtf16File(dir.file(name)).c_str(); }

    TempDir dir;
    CLoggerEx logger;
    CString tid;
};

} // namespace

TEST_F(LoggerFile, EachDaysFileIsNamedByTimeAndProcessAndStartsWithTheBanner)
{
    logger.SetLevel(LOG_WARNING);
    logger.SetBanner(L"the banner", false);
    logger.Log(15, L"first message");
    logger.Log(LOG_INFO, L"too detailed");
    g_clock = {2026, 3, 0, 5, 0, 0, 1, 5};
    logger.Log(LOG_WARNING, L"after midnight");

    CString first, second;
    first.Format(L"Log_20260304_050607_%X.txt", GetCurrentProcessId());
    second.Format(L"Log_20260305_000001_%X.txt", GetCurrentProcessId());
    ASSERT_EQ(FileNames(dir.file(L"*.txt")), (std::vector<CString>{first, second}));
    EXPECT_EQ(ReadFileBytes(dir.file(first)).substr(0, 2), "\xFF\xFE") << "UTF-16 with its BOM";
    EXPECT_EQ(fileText(first), L"05:06:07.089 " + tid + L" INF: the banner\r\n05:06:07.089 " + tid +
                                   L" ERR: first message\r\n");
    EXPECT_EQ(fileText(second), L"00:00:01.005 " + tid + L" INF: the banner\r\n00:00:01.005 " +
                                    tid + L" WRN: after midnight\r\n");
}

TEST_F(LoggerFile, LevelZeroMakesNoFileAndTheNextMessageAfterRaisingItDoesWithTheBanner)
{
    logger.SetBanner(L"banner", true);
    logger.Log(LOG_ERROR, L"dropped");
    logger.Log(LOG_VERBOSE, L"dropped");
    EXPECT_FALSE(logger.IsOpen());
    EXPECT_TRUE(FileNames(dir.file(L"*.txt")).empty());
    logger.SetLevel(LOG_INFO);
    logger.Log(LOG_INFO, L"now");
    const auto files = FileNames(dir.file(L"*.txt"));
    ASSERT_EQ(files.size(), 1u);
    const CString prefix = L"05:06:07.089 " + tid;
    EXPECT_EQ(fileText(files[0]), prefix + L" INF: banner\r\n" + prefix + L" INF: now\r\n");
}

TEST_F(LoggerFile, VanishedFolderIsMadeAgainAndAnUnusableOneDisturbsNobody)
{
    logger.SetLevel(LOG_INFO);
    g_clock = {2026, 3, 0, 4, 23, 59, 59, 0};
    logger.SetFilePrefix(dir.file(L"gone\\deeper\\Log"));
    logger.Log(LOG_INFO, L"first day");
    EXPECT_TRUE(logger.IsOpen());
    logger.Close();
    // Cleaned away while the host runs: the next day's file makes it again.
    RemoveTree(dir.file(L"gone"));
    g_clock = {2026, 3, 0, 5, 0, 0, 1, 0};
    logger.Log(LOG_INFO, L"second day");
    logger.Close();
    const auto files = FileNames(dir.file(L"gone\\deeper\\*.txt"));
    ASSERT_EQ(files.size(), 1u);
    EXPECT_NE(fileText(L"gone\\deeper\\" + files[0]).Find(L"INF: second day\r\n"), -1);

    // A file where the folder should be: the message is lost, the caller is not.
    WriteFileBytes(dir.file(L"blocked"), "not a folder");
    logger.SetFilePrefix(dir.file(L"blocked\\Log"));
    logger.Log(LOG_ERROR, L"nowhere to go");
    EXPECT_FALSE(logger.IsOpen());
    EXPECT_EQ(ReadFileBytes(dir.file(L"blocked")), "not a folder");
}

// The wide format functions of the C library differ on %s; the component's
// own must give wide strings and 64-bit numbers whole.
TEST(LogFormatting, WideStringsAndSixtyFourBitNumbers)
{
    TempDir dir;
    CLoggerEx& logger = GetLogger();
    logger.SetFilePrefix(dir.file(L"Fmt"));
    logger.SetLevel(LOG_INFO);
    LogFormat(LOG_INFO, L"[%s] %I64d %d", L"wide text", -1234567890123LL, 42);
    logger.Close();
    logger.SetLevel(0);

    const auto files = FileNames(dir.file(L"*.txt"));
    ASSERT_EQ(files.size(), 1u);
    const CString text = ReadUtf16File(dir.file(files[0])).c_str();
    EXPECT_NE(text.Find(L"INF: [wide text] -1234567890123 42\r\n"), -1);
}
