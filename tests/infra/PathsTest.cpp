#include "infra/Paths.h"

#include "infra/Settings.h"
#include "support/MemoryConfigStore.h"
#include "support/TempDir.h"
#include "support/AudioFixtures.h"

#include <gtest/gtest.h>

TEST(Folders, MissingLevelsAreMadeAndAFileInTheWayStopsIt)
{
    TempDir dir;
    EXPECT_TRUE(CreateDirectoryTree(dir.file(L"y\\z\\"), nullptr));
    EXPECT_TRUE(IsFolder(dir.file(L"y\\z")));
    EXPECT_TRUE(CreateDirectoryTree(dir.file(L"y\\z"), nullptr)) << "an existing tree is fine";

    WriteFileBytes(dir.file(L"file"), "not a folder");
    for (const wchar_t* path : {L"file\\z\\", L"file"}) {
        SetLastError(0);
        EXPECT_FALSE(CreateDirectoryTree(dir.file(path), nullptr)) << Narrow(path);
        EXPECT_EQ(GetLastError(), 80u) << Narrow(path);
    }
    EXPECT_FALSE(IsFolder(dir.file(L"file\\z")));

    EXPECT_TRUE(AssureDirExists(dir.file(L"one")));
    EXPECT_TRUE(IsFolder(dir.file(L"one")));
    EXPECT_TRUE(AssureDirExists(dir.file(L"one")));
    EXPECT_FALSE(AssureDirExists(dir.file(L"missing\\two"))) << "one level only";
    EXPECT_FALSE(IsFolder(dir.file(L"missing")));
    EXPECT_FALSE(AssureDirExists(dir.file(L"file")));

    EXPECT_TRUE(EnsureFolder(dir.file(L"file"))) << "anything that exists will do";
    EXPECT_TRUE(EnsureFolder(dir.file(L"a\\b")));
    EXPECT_TRUE(IsFolder(dir.file(L"a\\b")));
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
    EXPECT_TRUE(IsFolder(dir.file(L"Log")));
}
