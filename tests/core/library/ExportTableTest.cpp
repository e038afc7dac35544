// The names by which Pavora.exe and other callers bind to Tessaly.dll are a contract:
// the 32-bit product files are read as data and their tables compared with it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "tests/support/PeImage.h"

namespace {

// Every export of the library, except the members of the XML settings class (checked below).
const char* const kLibraryExports[] = {
    "_InitData@4", "_CloseCCV@0", "_SetPointCallBackMethod@4", "_GeneralSetting@0", "_Calibration@8",
    "_CloseCab@0", "_RectifyCamera@0", "_RefreshBkGround@0", "_SetManagerSmooth@4", "_IsWindows7TouchMode@0",
    "_MyRegisterTouchWindow@4", "_MyUnRegisterTouchWindow@4", "_GetEffectPlayInfo@0", "_InstallDriver@8",
    "ShowScreenAreaDlg", "ShowMultiCameraCalibDlg", "ShowQuickToolBar", "Reset", "SetCalibrationPointNum",
    "GetFlashWnd", "SetWin7TouchMode", "AnalysisEffectXml", "PlayEffect", "IsCplusEffect", "KillProcessByName",
    "OpenCmdByCommand",
    "_Z17GetLastEffectPathB5cxx11v",
    "_Z17SetLastEffectPathNSt7__cxx1112basic_stringIwSt11char_traitsIwESaIwEEE",
    "_Z9GetLanStrPKw", "_Z13GetSettingStrv",
    "_ZTV7tstring",
    "_ZN7tstringC1Ev", "_ZN7tstringC1ERNSt7__cxx1112basic_stringIwSt11char_traitsIwESaIwEEE",
    "_ZN7tstringC1ERKS_", "_ZN7tstringC1EPKw", "_ZN7tstringC1EPw", "_ZN7tstringC1EPc",
    "_ZN7tstringD0Ev", "_ZN7tstringD1Ev",
    "_ZN7tstringaSERNSt7__cxx1112basic_stringIwSt11char_traitsIwESaIwEEE", "_ZN7tstringaSERKS_",
    "_ZN7tstringcvPKwEv", "_ZN7tstring4DataEv", "_ZN7tstring7GetBaseB5cxx11Ev",
    "_ZN7tstring9MakeUpperEv", "_ZN7tstring9MakeLowerEv", "_ZN7tstring8TrimLeftEw", "_ZN7tstring9TrimRightEw",
    "_ZN7tstring4TrimEw", "_ZN7tstring6FormatEPKwz", "_ZN7tstring10ReplaceAllEPKwS1_",
    "_ZN7tstring7ReplaceEPKwS1_i", "_ZN7tstring7ReplaceEPwmww", "_ZN7tstring3MidEi", "_ZN7tstring3MidEii",
    "_ZN7tstring4LeftEi", "_ZN7tstring5RightEi", "_ZN7tstring11ToMultiByteEv", "_ZN7tstring11ToMultiByteEPKw",
    "_ZN7tstring5SpiltENSt7__cxx1112basic_stringIwSt11char_traitsIwESaIwEEEb",
    "_ZN7tstring11EqualBufferEPhS0_m", "_ZN7tstring4FindEw", "_ZN7tstring4FindEPKwi", "_ZN7tstring6ReFindEw",
    "_ZN7tstring17InitFromMultiByteEPc",
};

// The members of the XML settings class, by name; their overloads are the class's own matter.
const char kXmlSettingsPrefix[] = "_ZN14ofxXmlSettings";
// Each entry is a member's mangled name up to its parameter list.
const char* const kXmlSettingsMembers[] = {
    "C1E", "D1E", "aSE", "8loadFileE", "8saveFileE", "5clearE", "8getValueE", "8setValueE", "8addValueE",
    "6addTagE", "7pushTagE", "6popTagE", "12getPushLevelE", "10getNumTagsE", "9tagExistsE", "9removeTagE",
    "16clearTagContentsE", "7readTagE", "8writeTagE", "10setVerboseE",
};

const char* const kLauncherImports[] = {
    "Reset", "ShowQuickToolBar", "_CloseCab@0", "ShowScreenAreaDlg", "SetCalibrationPointNum", "IsCplusEffect",
    "GetFlashWnd", "KillProcessByName", "_RefreshBkGround@0", "_CloseCCV@0", "_Calibration@8",
    "_GeneralSetting@0", "_InitData@4", "_IsWindows7TouchMode@0",
    "_ZN7tstringaSERKS_",  // assignment
    "_ZN7tstringcvPKwEv",  // conversion to wide text
    "_ZN7tstring4DataEv", "_ZN7tstringD1Ev", "_GetEffectPlayInfo@0", "AnalysisEffectXml",
    "_SetPointCallBackMethod@4", "_Z9GetLanStrPKw", "PlayEffect",
};

std::wstring ProductFile(const wchar_t* name)
{
    std::string folder = PAVORA_PRODUCT_BIN_WINE;
    std::wstring path(folder.begin(), folder.end());
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path + L"\\" + name;
}

bool IsXmlSettingsMember(const std::string& name)
{
    return name.compare(0, sizeof(kXmlSettingsPrefix) - 1, kXmlSettingsPrefix) == 0;
}

std::string Listed(const std::set<std::string>& names)
{
    std::string text;
    for (const std::string& name : names) text += "\n  " + name;
    return text;
}

// Names of `actual` missing from `expected` and the other way round, for the failure text.
void ExpectSameNames(const std::set<std::string>& expected, const std::set<std::string>& actual)
{
    std::set<std::string> missing, extra;
    std::set_difference(expected.begin(), expected.end(), actual.begin(), actual.end(),
                        std::inserter(missing, missing.end()));
    std::set_difference(actual.begin(), actual.end(), expected.begin(), expected.end(),
                        std::inserter(extra, extra.end()));
    EXPECT_TRUE(missing.empty()) << "missing:" << Listed(missing);
    EXPECT_TRUE(extra.empty()) << "not in the contract:" << Listed(extra);
}

class ExportTable : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(library_.Load(ProductFile(L"Tessaly.dll")));
        ASSERT_TRUE(launcher_.Load(ProductFile(L"Pavora.exe")));
        ASSERT_TRUE(library_.Is32Bit());
        ASSERT_TRUE(launcher_.Is32Bit());
    }

    testing_support::PeImage library_, launcher_;
};

}  // namespace

TEST_F(ExportTable, LibraryExportsExactlyTheContractNames)
{
    std::vector<std::string> exported = library_.ExportNames();
    std::set<std::string> actual;
    for (const std::string& name : exported)
        if (!IsXmlSettingsMember(name)) actual.insert(name);
    ExpectSameNames(std::set<std::string>(std::begin(kLibraryExports), std::end(kLibraryExports)), actual);
    EXPECT_EQ(std::set<std::string>(exported.begin(), exported.end()).size(), exported.size()) << "a name twice";
}

// The loader finds names by binary search: a table out of byte order makes load-time binding fail.
TEST_F(ExportTable, LibraryNameTableIsInByteOrder)
{
    std::vector<std::string> exported = library_.ExportNames();
    EXPECT_TRUE(std::is_sorted(exported.begin(), exported.end(), [](const std::string& a, const std::string& b) {
        return std::strcmp(a.c_str(), b.c_str()) < 0;
    }));
}

TEST_F(ExportTable, LibraryExportsTheXmlSettingsMembers)
{
    std::vector<std::string> members;
    for (const std::string& name : library_.ExportNames())
        if (IsXmlSettingsMember(name)) members.push_back(name);
    auto isMember = [](const std::string& name, const char* member) {
        std::string prefix = std::string(kXmlSettingsPrefix) + member;
        return name.compare(0, prefix.size(), prefix) == 0;
    };
    for (const char* member : kXmlSettingsMembers)
        EXPECT_TRUE(std::any_of(members.begin(), members.end(), [&](const std::string& name) { return isMember(name, member); }))
            << "no export for " << kXmlSettingsPrefix << member;
    for (const std::string& name : members)
        EXPECT_TRUE(std::any_of(std::begin(kXmlSettingsMembers), std::end(kXmlSettingsMembers),
                                [&](const char* member) { return isMember(name, member); }))
            << "not a member of the contract: " << name;
}

TEST_F(ExportTable, LauncherImportsExactlyTheContractNamesFromTheLibrary)
{
    std::vector<std::string> imported = launcher_.ImportNames("Tessaly.dll");
    ExpectSameNames(std::set<std::string>(std::begin(kLauncherImports), std::end(kLauncherImports)),
                    std::set<std::string>(imported.begin(), imported.end()));
    EXPECT_EQ(imported.size(), 23u);
}
