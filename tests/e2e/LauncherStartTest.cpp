#include <gtest/gtest.h>

#include "tests/e2e/StagedInstall.h"

using namespace e2e;

TEST(LauncherStart, ShowsItsBarTitledWithLanguageTextSix)
{
    StagedInstall install(L"LauncherStart");
    std::wstring title = install.UseUniqueTitle();
    HANDLE process = install.Launch();
    ASSERT_NE(process, nullptr);
    HWND bar = StagedInstall::WaitForWindow(title, 10000);
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(GetWindowLongW(bar, GWL_EXSTYLE) & WS_EX_TOPMOST);
}
