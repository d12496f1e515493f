#include "infra/Paths.h"

#include "infra/Settings.h"
#include "support/MemoryConfigStore.h"
#include "support/TempDir.h"
#include "support/TestText.h"

#include <gtest/gtest.h>

namespace {

CString joined(const wchar_t* folder, const wchar_t* part)
{
    CString path = folder;
    AppendPathPart(path, part);
    return path;
}

bool isFolder(const CString& path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

TEST(PathText, AppendPathPartPutsExactlyOneBackslashAtTheSeam)
{
    EXPECT_EQ(joined(L"C:\\a\\", L"\\b"), CString(L"C:\\a\\b"));
    EXPECT_EQ(joined(L"C:\\a", L"b"), CString(L"C:\\a\\b"));
    EXPECT_EQ(joined(L"C:\\a\\", L"b"), CString(L"C:\\a\\b"));
    EXPECT_EQ(joined(L"C:\\a", L"\\b"), CString(L"C:\\a\\b"));
    EXPECT_EQ(joined(L"", L"b"), CString(L"b"));
    EXPECT_EQ(joined(L"C:\\a", nullptr), CString(L"C:\\a\\"));
}

TEST(PathText, BuildPathJoinsFolderNameAndExtension)
{
    EXPECT_EQ(BuildPath(nullptr, L"Log", nullptr), CString(L"Log"));
    EXPECT_EQ(BuildPath(L"C:\\w", L"temp", L"dat"), CString(L"C:\\w\\temp.dat"));
    EXPECT_EQ(BuildPath(L"C:\\w\\", L"temp", nullptr), CString(L"C:\\w\\temp"));
    EXPECT_EQ(BuildPath(nullptr, L"temp", L"in"), CString(L"temp.in"));
}

TEST(PathText, SplitPathAndTitle)
{
    const PathParts parts = SplitPath(L"C:\\music\\My-Song 2.tar.mp3");
    EXPECT_EQ(parts.drive, CString(L"C:"));
    EXPECT_EQ(parts.folder, CString(L"\\music\\"));
    EXPECT_EQ(parts.name, CString(L"My-Song 2.tar"));
    EXPECT_EQ(parts.extension, CString(L".mp3"));
    EXPECT_EQ(GetFileTitle(L"C:\\x\\song.MP3"), CString(L"song"));
    CString backslashed = L"C:\\x";
    AddTrailingBackslash(backslashed);
    AddTrailingBackslash(backslashed);
    EXPECT_EQ(backslashed, CString(L"C:\\x\\"));
    CString empty;
    AddTrailingBackslash(empty);
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(Folders, CreateDirectoryTreeMakesEveryMissingLevel)
{
    TempDir dir;
    EXPECT_TRUE(CreateDirectoryTree(dir.file(L"y\\z\\"), nullptr));
    EXPECT_TRUE(isFolder(dir.file(L"y")));
    EXPECT_TRUE(isFolder(dir.file(L"y\\z")));
    EXPECT_TRUE(CreateDirectoryTree(dir.file(L"y\\z"), nullptr));
}

TEST(Folders, CreateDirectoryTreeStopsAtAFileInTheWay)
{
    TempDir dir;
    WriteFileBytes(dir.file(L"y"), "not a folder");
    SetLastError(0);
    EXPECT_FALSE(CreateDirectoryTree(dir.file(L"y\\z\\"), nullptr));
    EXPECT_EQ(GetLastError(), 80u);
    EXPECT_FALSE(isFolder(dir.file(L"y\\z")));
    SetLastError(0);
    EXPECT_FALSE(CreateDirectoryTree(dir.file(L"y"), nullptr));
    EXPECT_EQ(GetLastError(), 80u);
}

TEST(Folders, AssureDirExistsCreatesOneLevelOnly)
{
    TempDir dir;
    EXPECT_TRUE(AssureDirExists(dir.file(L"one")));
    EXPECT_TRUE(isFolder(dir.file(L"one")));
    EXPECT_TRUE(AssureDirExists(dir.file(L"one")));
    EXPECT_FALSE(AssureDirExists(dir.file(L"missing\\two")));
    EXPECT_FALSE(isFolder(dir.file(L"missing")));
    WriteFileBytes(dir.file(L"file"), "x");
    EXPECT_FALSE(AssureDirExists(dir.file(L"file")));
}

TEST(Folders, EnsureFolderAcceptsAnythingThatExists)
{
    TempDir dir;
    WriteFileBytes(dir.file(L"file"), "x");
    EXPECT_TRUE(EnsureFolder(dir.file(L"file")));
    EXPECT_TRUE(EnsureFolder(dir.file(L"a\\b")));
    EXPECT_TRUE(isFolder(dir.file(L"a\\b")));
}

TEST(Folders, SystemTemporaryFolderEndsWithABackslash)
{
    const CString temp = GetDefaultTempMusicDir();
    ASSERT_FALSE(temp.IsEmpty());
    EXPECT_EQ(temp.Right(1), CString(L"\\"));
    EXPECT_TRUE(isFolder(temp));
}

TEST(Folders, LogFolderLiesBelowTheEditionsDataRoot)
{
    MemoryConfigStore store;
    FixedHostInfo host(L"PathsTest");
    CommonKeys(&store, &host);
    MVSettingsKeys(&store);
    const CString expectedRoot = GetLocalAppDataDir() + L"Verlanis\\Sorvenne_PathsTest\\";
    EXPECT_EQ(GetAppDataRoot(), expectedRoot);
    EXPECT_EQ(GetLogRoot(), expectedRoot + L"Log\\");
    EXPECT_EQ(GetLogFolder(), expectedRoot + L"Log\\Melvora");
    EXPECT_TRUE(isFolder(expectedRoot + L"Log\\Melvora"));
}

TEST(Folders, PortableLogRootFollowsTheTempFolderWhateverItsSeparator)
{
    TempDir dir;
    MemoryConfigStore store;
    store.portable = true;
    FixedHostInfo host;
    CommonKeys(&store, &host);
    SetTempFolder(dir.path() + L"/");
    EXPECT_EQ(GetLogRoot(), dir.path() + L"/Log\\");
    EXPECT_TRUE(isFolder(dir.file(L"Log")));
}
