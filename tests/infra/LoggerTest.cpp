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

TEST(LogLevels, SetLevelClampsToTheNamedRange)
{
    CLoggerEx logger;
    logger.SetLevel(75);
    EXPECT_EQ(logger.GetLevel(), 60);
    logger.SetLevel(-5);
    EXPECT_EQ(logger.GetLevel(), 0);
    logger.SetLevel(35);
    EXPECT_EQ(logger.GetLevel(), 35);
}

TEST(LogLevels, ParseAcceptsNamesInAnyCaseAndLeadingNumbers)
{
    EXPECT_EQ(ParseLogLevel(L"debug"), 40);
    EXPECT_EQ(ParseLogLevel(L"VERBOSE"), 60);
    EXPECT_EQ(ParseLogLevel(L"None"), 0);
    EXPECT_EQ(ParseLogLevel(L"35"), 35);
    EXPECT_EQ(ParseLogLevel(L"+20x"), 20);
    EXPECT_EQ(ParseLogLevel(L"-7"), -7);
    EXPECT_EQ(ParseLogLevel(L""), 0);
    EXPECT_EQ(ParseLogLevel(L"abc"), 0);
    EXPECT_EQ(ParseLogLevel(L"Info "), 0);
}

TEST(LogLevels, TagsComeFromTheTensRow)
{
    EXPECT_EQ(LogLevelTag(0), CString(L""));
    EXPECT_EQ(LogLevelTag(15), CString(L"ERR"));
    EXPECT_EQ(LogLevelTag(20), CString(L"WRN"));
    EXPECT_EQ(LogLevelTag(35), CString(L"INF"));
    EXPECT_EQ(LogLevelTag(49), CString(L"DBG"));
    EXPECT_EQ(LogLevelTag(50), CString(L"-->"));
    EXPECT_EQ(LogLevelTag(69), CString(L"---"));
    EXPECT_EQ(LogLevelTag(70), CString(L""));
    EXPECT_EQ(LogLevelTag(-1), CString(L""));
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

TEST_F(LoggerFile, LevelZeroWritesNothingAndMakesNoFile)
{
    logger.SetBanner(L"banner", true);
    logger.Log(LOG_ERROR, L"dropped");
    logger.Log(LOG_VERBOSE, L"dropped");
    EXPECT_FALSE(logger.IsOpen());
    EXPECT_TRUE(logFiles(dir.path()).empty());
}

TEST_F(LoggerFile, FileIsNamedByTimeAndProcessAndStartsWithTheBanner)
{
    logger.SetLevel(LOG_WARNING);
    logger.SetBanner(L"the banner", false);
    logger.Log(15, L"first message");
    logger.Log(LOG_INFO, L"too detailed");

    CString expectedName;
    expectedName.Format(L"Log_20260304_050607_%X.txt", GetCurrentProcessId());
    ASSERT_EQ(logFiles(dir.path()), std::vector<CString>{expectedName});

    const std::string bytes = ReadFileBytes(dir.file(expectedName));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xFE);

    const CString prefix = L"05:06:07.089 " + threadHex();
    EXPECT_EQ(fileText(expectedName),
              prefix + L" INF: the banner\r\n" + prefix + L" ERR: first message\r\n");
}

TEST_F(LoggerFile, RaisingTheLevelLaterCreatesTheFileAtTheNextMessage)
{
    logger.SetBanner(L"banner", true);
    EXPECT_TRUE(logFiles(dir.path()).empty());
    logger.SetLevel(LOG_INFO);
    logger.Log(LOG_INFO, L"now");
    const auto files = logFiles(dir.path());
    ASSERT_EQ(files.size(), 1u);
    const CString text = fileText(files[0]);
    // "hh:mm:ss.mmm <thread>" comes first: the banner is the first line.
    EXPECT_EQ(text.Find(L" INF: banner\r\n"), 13 + threadHex().GetLength());
    EXPECT_GT(text.Find(L"INF: now\r\n"), text.Find(L"banner"));
}

TEST_F(LoggerFile, FirstMessageAfterMidnightStartsANewFile)
{
    logger.SetLevel(LOG_INFO);
    logger.SetBanner(L"banner", false);
    setClock(2026, 3, 4, 23, 59, 59, 999);
    logger.Log(LOG_INFO, L"late");
    setClock(2026, 3, 5, 0, 0, 1, 5);
    logger.Log(LOG_INFO, L"early");

    const auto files = logFiles(dir.path());
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].Left(20), CString(L"Log_20260304_235959_"));
    EXPECT_EQ(files[1].Left(20), CString(L"Log_20260305_000001_"));
    const CString tid = threadHex();
    EXPECT_EQ(fileText(files[0]), L"23:59:59.999 " + tid + L" INF: banner\r\n23:59:59.999 " + tid +
                                      L" INF: late\r\n");
    EXPECT_EQ(fileText(files[1]), L"00:00:01.005 " + tid + L" INF: banner\r\n00:00:01.005 " + tid +
                                      L" INF: early\r\n");
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
