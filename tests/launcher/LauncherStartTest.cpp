#include <gtest/gtest.h>

#include "tests/support/LauncherHarness.h"

using namespace e2e;

TEST(LauncherStart, ShowsItsBarTitledWithLanguageTextSix)
{
    StagedInstall install(L"LauncherStart");
    std::wstring title = install.UseUniqueTitle();
    RunningLauncher launcher(install, title);
    ASSERT_NE(launcher.Bar(), nullptr);
    EXPECT_TRUE(launcher.WaitVisible(true));
    EXPECT_TRUE(GetWindowLongW(launcher.Bar(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}
