#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "launcher/EffectPathCheck.h"

namespace {

std::wstring g_kept = L"C:\\effects\\One\\effect.exe";
const char g_constant[] = "read-only";

TEST(EffectPathCheck, OnlyObjectsInAModulesWritableDataPass)
{
    HMODULE self = GetModuleHandleW(nullptr);
    EXPECT_TRUE(launcher::InWritableImageData(self, &g_kept, sizeof(g_kept)));

    auto heap = std::make_unique<std::wstring>(L"x");
    std::wstring local;
    EXPECT_FALSE(launcher::InWritableImageData(self, heap.get(), sizeof(std::wstring)));
    EXPECT_FALSE(launcher::InWritableImageData(self, &local, sizeof(local)));
    EXPECT_FALSE(launcher::InWritableImageData(self, reinterpret_cast<const void*>(0x12345678), 24));
    EXPECT_FALSE(launcher::InWritableImageData(self, nullptr, 24));
    EXPECT_FALSE(launcher::InWritableImageData(self, reinterpret_cast<const void*>(&launcher::InWritableImageData), 4))
        << "code";
    EXPECT_FALSE(launcher::InWritableImageData(nullptr, &g_kept, sizeof(g_kept))) << "no library loaded";
    (void)g_constant;
}

}  // namespace
