#include "infra/SystemInfo.h"

#include "support/TestText.h"

#include <gtest/gtest.h>

TEST(SystemInfo, VersionNamesFollowThePlatformTable)
{
    EXPECT_EQ(FormatOSVersion({2, 6, 1, 7600, L""}), CString(L"Windows 7, build 7600"));
    EXPECT_EQ(FormatOSVersion({2, 6, 2, 9200, L""}), CString(L"Windows 6.2, build 9200"));
    EXPECT_EQ(FormatOSVersion({2, 5, 1, 2600, L"Service Pack 3"}),
              CString(L"Windows XP, Service Pack 3, build 2600"));
    EXPECT_EQ(FormatOSVersion({2, 3, 51, 1057, L""}), CString(L"Windows NT 3.51, build 1057"));
    EXPECT_EQ(FormatOSVersion({1, 4, 10, 2222, L"A"}), CString(L"Windows 98, A, build 2222"));
    EXPECT_EQ(FormatOSVersion({1, 4, 90, 3000, L""}), CString(L"Windows Millennium, build 3000"));
    EXPECT_EQ(FormatOSVersion({2, 10, 0, 19045, L""}), CString(L"Windows 10.0, build 19045"));
}

TEST(SystemInfo, ExecutableWithoutVersionResourceIsNamedByItsFile)
{
    EXPECT_TRUE(GetHostVersion().IsEmpty());
    EXPECT_EQ(GetHostProductName(), CString(L"InfraTests"));
}
