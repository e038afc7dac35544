#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "core/frame/LibraryState.h"
#include "core/library/TessalyApi.h"
#include "core/text/ConfigFile.h"
#include "core/touch/TouchManager.h"
#include "framework/MessageBox.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/ScratchFolder.h"

namespace {

const char kBefore[] =
    "[config]\r\n"
    "auto=1\r\n"
    "StartWin7Touch=1\r\n"
    "DEVICETYPE=2\r\n"
    "FilterWay=2\r\n"
    "SendSocket=1\r\n"
    "bDotCursor=1\r\n"
    "check360 =0\r\n"
    "MaskCommonCamera=0\r\n"
    "password=abc\r\n"
    "[version]\r\n"
    "language=2\r\n"
    "[QuickKey]\r\n"
    "F5=116\r\n";

// Every section with its lines as the private-profile functions see them.
std::wstring Contents(const wchar_t* path)
{
    std::vector<wchar_t> names(4096), lines(16384);
    DWORD length = GetPrivateProfileSectionNamesW(names.data(), static_cast<DWORD>(names.size()), path);
    std::wstring text;
    for (const wchar_t* name = names.data(); name < names.data() + length && *name; name += wcslen(name) + 1) {
        text += L"[" + std::wstring(name) + L"]\n";
        DWORD size = GetPrivateProfileSectionW(name, lines.data(), static_cast<DWORD>(lines.size()), path);
        for (const wchar_t* line = lines.data(); line < lines.data() + size && *line; line += wcslen(line) + 1)
            text += std::wstring(line) + L"\n";
    }
    return text;
}

}  // namespace

TEST(Reset, WritesOnlyItsTwoKeysAndReturnsTheBoxAnswer)
{
    testing_support::ScratchFolder folder(L"reset");
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, tessaly::config::kPath);
    folder.Write(L"Bin\\config.ini", kBefore);
    TouchManager touch;  // takes FilterWay=2 from the file
    ASSERT_EQ(touch.filterWay, 2);

    std::vector<kit::MessageBoxCall> boxes;
    int result = 0;
    {
        testing_support::MessageBoxRecorder recorder(4242);  // whatever the box answers comes back
        result = Reset();
        boxes = recorder.calls;
    }
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, tessaly::config::kPath);

    EXPECT_EQ(result, 4242);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(boxes[0].text, L"恢复默认配置成功\n请重启软件");
    EXPECT_EQ(boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
    EXPECT_FALSE(boxes[0].caption.empty());

    EXPECT_EQ(touch.filterWay, 0);
    std::string expected = kBefore;
    expected.replace(expected.find("FilterWay=2"), 11, "FilterWay=0");
    expected.replace(expected.find("bDotCursor=1"), 12, "bDotCursor=0");
    std::wstring reference = folder.Write(L"Bin\\expected.ini", expected);
    EXPECT_EQ(Contents((folder.Path() + L"\\Bin\\config.ini").c_str()), Contents(reference.c_str()));
}
