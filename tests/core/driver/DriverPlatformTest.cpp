// Which INF file fits which Windows.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/driver/DriverPlatform.h"
#include "tests/support/SystemVersionFake.h"
#include "tests/support/MessageBoxRecorder.h"

using namespace DRIVER;

namespace {

struct PlatformCase {
    const char* name;
    bool known;
    DWORD platformId, major, minor;
    WORD architecture;
    int kind;
};

void PrintTo(const PlatformCase& item, std::ostream* out) { *out << item.name; }

const PlatformCase kPlatforms[] = {
    {"Windows7x64", true, VER_PLATFORM_WIN32_NT, 6, 1, PROCESSOR_ARCHITECTURE_AMD64, kPlatform64},
    {"Windows10x64", true, VER_PLATFORM_WIN32_NT, 10, 0, PROCESSOR_ARCHITECTURE_AMD64, kPlatform64},
    {"Windows7x86", true, VER_PLATFORM_WIN32_NT, 6, 1, PROCESSOR_ARCHITECTURE_INTEL, kPlatform32},
    {"VistaItanium", true, VER_PLATFORM_WIN32_NT, 6, 0, PROCESSOR_ARCHITECTURE_IA64, kPlatform32},
    {"XpX64", true, VER_PLATFORM_WIN32_NT, 5, 2, PROCESSOR_ARCHITECTURE_AMD64, kPlatform32},
    {"XpX86", true, VER_PLATFORM_WIN32_NT, 5, 1, PROCESSOR_ARCHITECTURE_INTEL, kPlatform32},
    {"Nt4", true, VER_PLATFORM_WIN32_NT, 4, 0, PROCESSOR_ARCHITECTURE_INTEL, kPlatformUnknown},
    {"Windows98", true, VER_PLATFORM_WIN32_WINDOWS, 4, 10, PROCESSOR_ARCHITECTURE_INTEL, kPlatformUnknown},
    {"Win32s", true, VER_PLATFORM_WIN32s, 6, 1, PROCESSOR_ARCHITECTURE_AMD64, kPlatformUnknown},
    {"VersionUnknown", false, VER_PLATFORM_WIN32_NT, 6, 1, PROCESSOR_ARCHITECTURE_AMD64, kPlatformUnknown},
};

const wchar_t* const kInfPaths[] = {L"", L"Drivers\\X86\\oem10.inf", L"Drivers\\X64\\oem26.inf"};

class DriverPlatformKind : public testing::TestWithParam<PlatformCase> {};

TEST_P(DriverPlatformKind, PicksTheInfOrTellsTheUser)
{
    const PlatformCase& item = GetParam();
    testing_support::FakeSystemVersion platform(item.major, item.minor);
    platform.known = item.known;
    platform.platformId = item.platformId;
    platform.architecture = item.architecture;
    EXPECT_EQ(DetectPlatformKind(platform), item.kind);

    testing_support::MessageBoxRecorder boxes;
    {
        testing_support::SystemVersionScope scope(platform);
        EXPECT_EQ(InfPathForThisSystem(), kInfPaths[item.kind]);
    }
    if (item.kind == kPlatformUnknown) {
        ASSERT_EQ(boxes.calls.size(), 1u);
        EXPECT_EQ(boxes.calls[0].text, L"不识别此操作系统");
        EXPECT_EQ(boxes.calls[0].caption, L"信息提示");
        EXPECT_EQ(boxes.calls[0].owner, nullptr);
        EXPECT_EQ(boxes.calls[0].type, static_cast<UINT>(MB_ICONWARNING));
    } else {
        EXPECT_TRUE(boxes.calls.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Driver, DriverPlatformKind, testing::ValuesIn(kPlatforms),
                         [](const testing::TestParamInfo<PlatformCase>& info) { return std::string(info.param.name); });

// This prefix is 32-bit Windows 7 (a 64-bit one where the tests run on 64-bit Wine).
TEST(DriverPlatformKindOfWine, IsAKnownKindMatchingThePointerSize)
{
    EXPECT_EQ(DetectPlatformKind(kit::RealSystemVersion()), sizeof(void*) == 8 ? kPlatform64 : kPlatform32);
}

}  // namespace
