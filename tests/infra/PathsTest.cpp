#include "infra/Paths.h"

#include "infra/Settings.h"
#include "support/MemoryConfigStore.h"
#include "support/TempDir.h"
#include "support/TestText.h"

#include <gtest/gtest.h>

namespace {

bool isFolder(const CString& path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

TEST(PathText, PartsAreJoinedWithExactlyOneBackslashAtTheSeam)
{
    const struct {
        const wchar_t *folder, *part, *joined;
    } appended[] = {{L"C:\\a\\", L"\\b", L"C:\\a\\b"},
                    {L"C:\\a", L"b", L"C:\\a\\b"},
                    {L"C:\\a\\", L"b", L"C:\\a\\b"},
                    {L"C:\\a", L"\\b", L"C:\\a\\b"},
                    {L"", L"b", L"b"},
                    {L"C:\\a", nullptr, L"C:\\a\\"}};
    for (const auto& c : appended) {
        CString path = c.folder;
        AppendPathPart(path, c.part);
        EXPECT_EQ(path, CString(c.joined));
    }
    const struct {
        const wchar_t *folder, *name, *extension, *path;
    } built[] = {{nullptr, L"Log", nullptr, L"Log"},
                 {L"C:\\w", L"temp", L"dat", L"C:\\w\\temp.dat"},
                 {L"C:\\w\\", L"temp", nullptr, L"C:\\w\\temp"},
                 {nullptr, L"temp", L"in", L"temp.in"}};
    for (const auto& c : built)
        EXPECT_EQ(BuildPath(c.folder, c.name, c.extension), CString(c.path));
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

TEST(Folders, MissingLevelsAreMadeAndAFileInTheWayStopsIt)
{
    TempDir dir;
    EXPECT_TRUE(CreateDirectoryTree(dir.file(L"y\\z\\"), nullptr));
    EXPECT_TRUE(isFolder(dir.file(L"y\\z")));
    EXPECT_TRUE(CreateDirectoryTree(dir.file(L"y\\z"), nullptr)) << "an existing tree is fine";

    WriteFileBytes(dir.file(L"file"), "not a folder");
    for (const wchar_t* path : {L"file\\z\\", L"file"}) {
        SetLastError(0);
        EXPECT_FALSE(CreateDirectoryTree(dir.file(path), nullptr)) << Narrow(path);
        EXPECT_EQ(GetLastError(), 80u) << Narrow(path);
    }
    EXPECT_FALSE(isFolder(dir.file(L"file\\z")));

    EXPECT_TRUE(AssureDirExists(dir.file(L"one")));
    EXPECT_TRUE(isFolder(dir.file(L"one")));
    EXPECT_TRUE(AssureDirExists(dir.file(L"one")));
    EXPECT_FALSE(AssureDirExists(dir.file(L"missing\\two"))) << "one level only";
    EXPECT_FALSE(isFolder(dir.file(L"missing")));
    EXPECT_FALSE(AssureDirExists(dir.file(L"file")));

    EXPECT_TRUE(EnsureFolder(dir.file(L"file"))) << "anything that exists will do";
    EXPECT_TRUE(EnsureFolder(dir.file(L"a\\b")));
    EXPECT_TRUE(isFolder(dir.file(L"a\\b")));
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
