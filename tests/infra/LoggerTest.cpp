#include "infra/Logger.h"

#include "support/TempDir.h"
#include "support/TestText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

SYSTEMTIME g_clock;

void testClock(SYSTEMTIME* now)
{
    *now = g_clock;
}

void setClock(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms)
{
    g_clock = SYSTEMTIME{year, month, 0, day, hour, minute, second, ms};
}

// Log files in folder, in name order.
std::vector<CString> logFiles(const CString& folder)
{
    std::vector<CString> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(folder + L"\\*.txt", &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

CString threadHex()
{
    CString text;
    text.Format(L"%X", GetCurrentThreadId());
    return text;
}

class LoggerFile : public testing::Test {
protected:
    void SetUp() override
    {
        logger.SetTimeSource(testClock);
        logger.SetFilePrefix(dir.file(L"Log"));
        setClock(2026, 3, 4, 5, 6, 7, 89);
    }

    CString fileText(const CString& name) { return ReadUtf16File(dir.file(name)).c_str(); }

    TempDir dir;
    CLoggerEx logger;
};

} // namespace

TEST(LogLevels, LevelsAreClampedParsedAndTaggedByTheirTensRow)
{
    CLoggerEx logger;
    for (const auto& [set, kept] : {std::pair{75, 60}, {-5, 0}, {35, 35}}) {
        logger.SetLevel(set);
        EXPECT_EQ(logger.GetLevel(), kept) << set;
    }
    const std::pair<const wchar_t*, int> parsed[] = {
        {L"debug", 40}, {L"VERBOSE", 60}, {L"None", 0}, {L"35", 35},  {L"+20x", 20},
        {L"-7", -7},    {L"", 0},         {L"abc", 0},  {L"Info ", 0}};
    for (const auto& [text, level] : parsed)
        EXPECT_EQ(ParseLogLevel(text), level) << Narrow(text);
    const std::pair<int, const wchar_t*> tags[] = {{0, L""},     {15, L"ERR"}, {20, L"WRN"},
                                                   {35, L"INF"}, {49, L"DBG"}, {50, L"-->"},
                                                   {69, L"---"}, {70, L""},    {-1, L""}};
    for (const auto& [level, tag] : tags)
        EXPECT_EQ(LogLevelTag(level), CString(tag)) << level;
}

TEST(LogErrors, SystemTextsCarryTheCode)
{
    const CString known = SystemErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_GT(known.GetLength(), 4);
    EXPECT_EQ(known.Right(4), CString(L" (2)"));
    EXPECT_EQ(known.Find(L'\n'), -1);
    EXPECT_EQ(known.Find(L'\r'), -1);
    EXPECT_EQ(SystemErrorText(0x20001234u), CString(L" (536875572)"));

    SetLastError(ERROR_ACCESS_DENIED);
    const CString last = LastErrorText();
    EXPECT_EQ(last.Left(3), CString(L"5: "));
    EXPECT_GT(last.GetLength(), 3);
}

TEST_F(LoggerFile, EachDaysFileIsNamedByTimeAndProcessAndStartsWithTheBanner)
{
    logger.SetLevel(LOG_WARNING);
    logger.SetBanner(L"the banner", false);
    logger.Log(15, L"first message");
    logger.Log(LOG_INFO, L"too detailed");
    setClock(2026, 3, 5, 0, 0, 1, 5);
    logger.Log(LOG_WARNING, L"after midnight");

    CString first, second;
    first.Format(L"Log_20260304_050607_%X.txt", GetCurrentProcessId());
    second.Format(L"Log_20260305_000001_%X.txt", GetCurrentProcessId());
    ASSERT_EQ(logFiles(dir.path()), (std::vector<CString>{first, second}));
    const std::string bytes = ReadFileBytes(dir.file(first));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE") << "UTF-16 with its byte order mark";
    const CString tid = threadHex();
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
    EXPECT_TRUE(logFiles(dir.path()).empty());
    logger.SetLevel(LOG_INFO);
    logger.Log(LOG_INFO, L"now");
    const auto files = logFiles(dir.path());
    ASSERT_EQ(files.size(), 1u);
    const CString prefix = L"05:06:07.089 " + threadHex();
    EXPECT_EQ(fileText(files[0]), prefix + L" INF: banner\r\n" + prefix + L" INF: now\r\n");
}

TEST_F(LoggerFile, VanishedFolderIsMadeAgainAndAnUnusableOneDisturbsNobody)
{
    logger.SetLevel(LOG_INFO);
    setClock(2026, 3, 4, 23, 59, 59, 0);
    logger.SetFilePrefix(dir.file(L"gone\\deeper\\Log"));
    logger.Log(LOG_INFO, L"first day");
    EXPECT_TRUE(logger.IsOpen());
    logger.Close();
    // Cleaned away while the host runs: the next day's file makes it again.
    RemoveTree(dir.file(L"gone"));
    setClock(2026, 3, 5, 0, 0, 1, 0);
    logger.Log(LOG_INFO, L"second day");
    logger.Close();
    const auto files = logFiles(dir.file(L"gone\\deeper"));
    ASSERT_EQ(files.size(), 1u);
    EXPECT_NE(fileText(L"gone\\deeper\\" + files[0]).Find(L"INF: second day\r\n"), -1);

    // A file where the folder should be: the message is lost, the caller is not.
    WriteFileBytes(dir.file(L"blocked"), "not a folder");
    logger.SetFilePrefix(dir.file(L"blocked\\Log"));
    logger.Log(LOG_ERROR, L"nowhere to go");
    EXPECT_FALSE(logger.IsOpen());
    EXPECT_EQ(ReadFileBytes(dir.file(L"blocked")), "not a folder");
}

TEST(LogFormatting, WideStringsAndSixtyFourBitNumbers)
{
    TempDir dir;
    CLoggerEx& logger = GetLogger();
    logger.SetFilePrefix(dir.file(L"Fmt"));
    logger.SetLevel(LOG_INFO);
    LogFormat(LOG_INFO, L"[%s] %I64d %d", L"wide text", -1234567890123LL, 42);
    LogFormat(LOG_DEBUG, L"filtered");
    logger.Close();
    logger.SetLevel(0);

    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(dir.file(L"Fmt_*.txt"), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    const CString text = ReadUtf16File(dir.file(found.cFileName)).c_str();
    EXPECT_NE(text.Find(L"INF: [wide text] -1234567890123 42\r\n"), -1);
    EXPECT_EQ(text.Find(L"filtered"), -1);
}
