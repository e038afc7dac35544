#include <gtest/gtest.h>

#include <string>

#include "tests/support/LauncherHarness.h"

using namespace e2e;

namespace {

const char kLightAuto[] = "[config]\r\nauto=1\r\nDEVICETYPE=0\r\ncheck360 =0\r\n";

std::string Unclosed(const std::string& root, const std::string& tag, int depth)
{
    std::string xml = "<" + root + ">";
    xml.reserve(xml.size() + (tag.size() + 2) * static_cast<size_t>(depth));
    for (int level = 0; level < depth; ++level) xml += "<" + tag + ">";
    return xml;
}

}  // namespace

// Both files are read during start-up, the tracker file while the library loads: a
// parser recursing into them would overflow the launcher's stack.
TEST(LauncherBadInput, NestedPlaylistAndTrackerFileAreReadAsMalformed)
{
    StagedInstall install(L"LauncherBadInputDeep");
    install.WriteConfig(kLightAuto);
    std::wstring title = UseBarLanguage(install);
    ASSERT_TRUE(WriteBytes(install.Path(L"data\\EffectPath.xml"), Unclosed("Effects", "Effect", 1000000)));
    ASSERT_TRUE(WriteBytes(install.Path(L"data\\ConfigLight.xml"), Unclosed("CONFIG", "BLOBS", 1000000)));

    RunningLauncher launcher(install, title);
    ASSERT_NE(launcher.Bar(), nullptr) << "the launcher did not come up";
    ASSERT_TRUE(launcher.Sync());
    EXPECT_TRUE(launcher.Alive());

    // An empty playlist, as a malformed file gives.
    launcher.Command(kRotationButton);
    ASSERT_TRUE(install.WaitForMessageBoxes(1, 10000));
    EXPECT_EQ(install.MessageBoxes()[0].text, BarText(27, 1));
    EXPECT_EQ(launcher.Text(kRotationButton), BarText(3, 1));
}

// Every text of this file is left open, so the last one serves every column beyond it.
TEST(LauncherBadInput, AbsurdLanguageNumberStillShowsTheBarPromptly)
{
    StagedInstall install(L"LauncherBadInputLanguage");
    install.WriteConfig("[config]\r\nauto=0\r\nDEVICETYPE=0\r\ncheck360 =0\r\n[version]\r\nlanguage=1000000000\r\n");
    std::wstring title = UniqueTitle();
    std::wstring text = L"; texts left open\n";
    for (int id : {1, 2, 3, 4, 5, 28}) text += std::to_wstring(id) + L"`一` `far#" + std::to_wstring(id) + L"\n";
    text += L"6`x` `" + title + L"\n";
    install.WriteLanguage(text);

    DWORD start = GetTickCount();
    RunningLauncher launcher(install, title);
    ASSERT_NE(launcher.Bar(), nullptr) << "no bar within 15 s";
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(launcher.Text(kRotationButton), L"far#3");
}
