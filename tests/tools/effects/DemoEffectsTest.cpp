// The demo effects of the staged installation, played through the library's effect
// operations the way the launcher's rotation plays them.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/CurrentDirectoryScope.h"
#include "core/library/TessalyApi.h"

namespace {

std::wstring StageFolder()
{
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring bin = program;
    bin.erase(bin.find_last_of(L"\\/"));
    return bin.substr(0, bin.find_last_of(L"\\/")) + L"\\stage";
}

// Whether an effect window is there (or gone, when `present` is false) within the time.
bool WaitForEffectWindow(bool present, DWORD timeoutMs)
{
    for (DWORD waited = 0;; waited += 50) {
        if ((GetFlashWnd() != nullptr) == present) return true;
        if (waited >= timeoutMs) return false;
        Sleep(50);
    }
}

class DemoEffects : public testing::Test {
protected:
    // Effects outlive whoever started them: none of an earlier test may stay around.
    DemoEffects() : inInstallation_(StageFolder()) { EndEveryEffect(); }
    ~DemoEffects() override { EndEveryEffect(); }

    static void EndEveryEffect()
    {
        KillProcessByName(L"effect.exe");
        KillProcessByName(L"Nimbrel.exe");
        WaitForEffectWindow(false, 5000);
    }

    kit::CurrentDirectoryScope inInstallation_;
};

TEST_F(DemoEffects, PlaylistHoldsEveryDemoForOneAndAHalfMinutes)
{
    AnalysisEffectXml();
    const EffectList& list = *GetEffectPlayInfo();
    ASSERT_EQ(2u, list.size());
    EXPECT_TRUE(IsCplusEffect(list[0].path));
    EXPECT_NE(nullptr, wcsstr(list[1].path, L".cmd"));
    for (const EffectEntry& entry : list) EXPECT_FLOAT_EQ(1.5f, entry.time) << entry.path;
}

TEST_F(DemoEffects, EachDemoShowsItsWindowAndStopsByName)
{
    AnalysisEffectXml();
    const EffectList& list = *GetEffectPlayInfo();
    ASSERT_FALSE(list.empty());
    ASSERT_TRUE(WaitForEffectWindow(false, 0)) << "an effect window is already open";
    for (const EffectEntry& entry : list) {
        ASSERT_TRUE(PlayEffect(entry.path)) << entry.path;
        EXPECT_TRUE(WaitForEffectWindow(true, 20000)) << entry.path;
        EXPECT_EQ(1, KillProcessByName(entry.path)) << entry.path;
        EXPECT_TRUE(WaitForEffectWindow(false, 5000)) << entry.path;
    }
}

}  // namespace
