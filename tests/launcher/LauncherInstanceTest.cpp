#include <gtest/gtest.h>

#include "tests/support/LauncherHarness.h"

using namespace e2e;

TEST(LauncherInstance, SecondStartShowsTheFirstBarAndEnds)
{
    StagedInstall install(L"LauncherInstanceShow");
    std::wstring title = UseBarLanguage(install);
    RunningLauncher first(install, title);
    ASSERT_NE(first.Bar(), nullptr);
    first.Command(kHideButton);
    ASSERT_TRUE(first.WaitVisible(false));

    HANDLE second = install.Launch();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(WaitForExit(second, 15000));
    EXPECT_TRUE(first.WaitVisible(true));
    EXPECT_TRUE(first.Alive());
    EXPECT_EQ(FindWindowW(nullptr, title.c_str()), first.Bar()) << "only the first copy has a bar";
    EXPECT_TRUE(install.MessageBoxes().empty());
}

TEST(LauncherInstance, SecondStartWithoutABarOfItsTitleSaysThatACopyRuns)
{
    StagedInstall install(L"LauncherInstanceTips");
    std::wstring firstTitle = UseBarLanguage(install);
    RunningLauncher first(install, firstTitle);
    ASSERT_NE(first.Bar(), nullptr);

    // The second copy reads another title: it cannot find the first one's bar.
    WriteBarLanguage(install, UniqueTitle());
    HANDLE second = install.Launch();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(WaitForExit(second, 15000));
    ASSERT_TRUE(install.WaitForMessageBoxes(1, 5000));
    std::vector<MessageBoxRecord> boxes = install.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Tips");
    EXPECT_EQ(boxes[0].text, L"软件正在运行,请强制关闭后在运行");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_TRUE(first.Alive());
}
