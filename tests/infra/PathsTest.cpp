#include "infra/Paths.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

// A file at the folder's own place, an existing folder and a single level
// made: WorkFolderFaults and Facade (the work folder made at init).
TEST(Folders, MissingLevelsAreMadeAndAFileInTheWayStopsIt)
{
    TempDir dir;
    EXPECT_TRUE(CreateDirectoryTree(dir.file(L"y\\z\\"), nullptr));
    EXPECT_TRUE(IsFolder(dir.file(L"y\\z")));
    WriteFileBytes(dir.file(L"file"), "not a folder");
    SetLastError(0);
    EXPECT_FALSE(CreateDirectoryTree(dir.file(L"file\\z\\"), nullptr));
    EXPECT_EQ(GetLastError(), 80u);

    EXPECT_TRUE(AssureDirExists(dir.file(L"y")));
    EXPECT_FALSE(AssureDirExists(dir.file(L"missing\\two"))) << "one level only";
    EXPECT_FALSE(IsFolder(dir.file(L"missing")));
    EXPECT_FALSE(AssureDirExists(dir.file(L"file")));

    EXPECT_TRUE(EnsureFolder(dir.file(L"file"))) << "anything that exists will do";
    EXPECT_TRUE(EnsureFolder(dir.file(L"a\\b")));
    EXPECT_TRUE(IsFolder(dir.file(L"a\\b")));
}
