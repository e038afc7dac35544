#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "core/text/ConfigFile.h"
#include "tests/support/ScratchFolder.h"

namespace config = tessaly::config;
using testing_support::ScratchFolder;

namespace {

class ConfigFile : public testing::Test {
protected:
    // The private-profile functions may cache a file: drop the cache before rewriting it.
    void WriteConfig(const std::string& text)
    {
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, config::kPath);
        folder_.Write(L"Bin\\config.ini", text);
    }

    // "Name0000=1" ... for `count` names of the [QuickKey] section; returns the names.
    std::vector<std::wstring> WriteQuickKeys(int count)
    {
        std::string text = "[config]\r\nauto=1\r\n[QuickKey]\r\n";
        std::vector<std::wstring> names;
        for (int i = 0; i < count; ++i) {
            char name[32];
            wsprintfA(name, "Name%05d", i);
            text += std::string(name) + "=" + std::to_string(65 + i % 26) + "\r\n";
            names.push_back(std::wstring(name, name + strlen(name)));
        }
        text += "[version]\r\nlanguage=2\r\n";
        WriteConfig(text);
        return names;
    }

    static std::vector<std::wstring> Texts(std::vector<tstring> names)
    {
        std::vector<std::wstring> texts;
        for (tstring& name : names) texts.push_back(name.Data());
        return texts;
    }

    ScratchFolder folder_{L"config"};
};

struct IntCase {
    const config::IntKey& key;
    int missingValue;  // with no file
    const char* section;
    const char* line;  // a value other than the default, under the key's name as stored
    int storedValue;
};

const IntCase kIntKeys[] = {
    {config::kAuto, 0, "config", "auto=1", 1},
    {config::kStartWin7Touch, 0, "config", "StartWin7Touch=1", 1},
    {config::kDeviceType, 0, "config", "DEVICETYPE=3", 3},
    {config::kFilterWay, 0, "config", "FilterWay=2", 2},
    {config::kSendSocket, 0, "config", "SendSocket=7", 7},
    {config::kDotCursor, 0, "config", "bDotCursor=1", 1},
    {config::kCheck360, 1, "config", "check360 =0", 0},
    {config::kManualCalibrate, 0, "config", "manualcalibrate=1", 1},
    {config::kMaskCommonCamera, 1, "config", "MaskCommonCamera=0", 0},
    {config::kDebug, 0, "version", "debug=1", 1},
    {config::kLanguage, 1, "version", "language=3", 3},
    {config::kRightClick, 1, "rightmouse", "rightClick=0", 0},
    {config::kSamePointTime, 0, "rightmouse", "isSamePoint=250", 250},
};

}  // namespace

TEST_F(ConfigFile, MissingFileGivesEveryDefault)
{
    for (const IntCase& item : kIntKeys) EXPECT_EQ(config::ReadInt(item.key), item.missingValue) << item.line;
    for (const config::StringKey* key : {&config::kPassword, &config::kCompany, &config::kContact, &config::kHelp})
        EXPECT_EQ(config::ReadString(*key), L"");
    EXPECT_EQ(config::Language(), 1);
    EXPECT_TRUE(config::SectionKeys(config::kQuickKeySection).empty());
}

// Each key is found under its stored section and name, whatever the case of the file's spelling.
TEST_F(ConfigFile, KeysAreReadUnderTheirStoredNames)
{
    std::string text;
    for (const char* section : {"config", "version", "rightmouse"}) {
        text += std::string("[") + section + "]\r\n";
        for (const IntCase& item : kIntKeys)
            if (std::string(item.section) == section) text += std::string(item.line) + "\r\n";
        if (std::string(section) == "config") text += "password=geheim\r\n";
    }
    text += "[COPYRIGHT]\r\nCompany=Acme\r\ncontact=0755-123\r\nhelp=http://x/\r\n";
    WriteConfig(text);

    for (const IntCase& item : kIntKeys) EXPECT_EQ(config::ReadInt(item.key), item.storedValue) << item.line;
    EXPECT_EQ(config::ReadString(config::kPassword), L"geheim");
    EXPECT_EQ(config::ReadString(config::kCompany), L"Acme");
    EXPECT_EQ(config::ReadString(config::kContact), L"0755-123");
    EXPECT_EQ(config::ReadString(config::kHelp), L"http://x/");
}

TEST_F(ConfigFile, LongStringsAreCutToTheirBuffers)
{
    std::string longText(400, 'x');
    WriteConfig("[config]\r\npassword=" + longText + "\r\n[copyright]\r\nhelp=" + longText + "\r\n");
    EXPECT_EQ(config::ReadString(config::kPassword).size(), 99u);
    EXPECT_EQ(config::ReadString(config::kHelp).size(), 259u);
}

// The name is passed exactly, trailing blank included; what the private-profile
// functions make of the blank is the platform's matter, not emulated here.
TEST_F(ConfigFile, SecurityCheckKeyIsPassedWithItsTrailingBlank)
{
    EXPECT_STREQ(config::kCheck360.name, L"check360 ");

    WriteConfig("[config]\r\ncheck360 =0\r\n");
    EXPECT_EQ(config::ReadInt(config::kCheck360), 0);

    WriteConfig("[config]\r\ncheck360=0\r\n");
    UINT platform = GetPrivateProfileIntW(L"config", L"check360 ", 1, L"Bin\\config.ini");
    EXPECT_EQ(config::ReadInt(config::kCheck360), static_cast<int>(platform));
    RecordProperty("check360WithoutBlankReads", static_cast<int>(platform));
}

TEST_F(ConfigFile, LanguageBelowOneCountsAsOne)
{
    WriteConfig("[version]\r\nlanguage=0\r\n");
    EXPECT_EQ(config::Language(), 1);
    WriteConfig("[version]\r\nlanguage=-3\r\n");
    EXPECT_EQ(config::Language(), 1);
    WriteConfig("[version]\r\nlanguage=2\r\n");
    EXPECT_EQ(config::Language(), 2);
}

TEST_F(ConfigFile, SectionKeysAreListedCompletelyInFileOrder)
{
    // 30 names of nine characters overflow the first buffer of 200; 1,000 overflow 6,400.
    for (int count : {30, 1000}) {
        std::vector<std::wstring> names = WriteQuickKeys(count);
        EXPECT_EQ(Texts(config::SectionKeys(config::kQuickKeySection)), names) << count << " names";
    }
}

// A listing that just fits the first buffer but leaves fewer than ten characters free is
// retried larger; the last name must not come back cut.
TEST_F(ConfigFile, SectionKeysNearlyFillingTheFirstBufferStayWhole)
{
    for (int count = 18; count <= 21; ++count) {
        std::vector<std::wstring> names = WriteQuickKeys(count);  // 10 characters each with the separator
        EXPECT_EQ(Texts(config::SectionKeys(config::kQuickKeySection)), names) << count << " names";
    }
}

TEST_F(ConfigFile, SectionKeysBeyondTheLargestBufferListOnlyWholeNames)
{
    std::vector<std::wstring> names = WriteQuickKeys(11000);  // 110,000 characters
    std::vector<std::wstring> listed = Texts(config::SectionKeys(config::kQuickKeySection));
    ASSERT_GT(listed.size(), 10000u);
    ASSERT_LT(listed.size(), names.size());
    EXPECT_TRUE(std::equal(listed.begin(), listed.end(), names.begin()));
}

TEST_F(ConfigFile, EmptyOrMissingSectionListsNothing)
{
    WriteConfig("[config]\r\nauto=1\r\n[QuickKey]\r\n[version]\r\nlanguage=2\r\n");
    EXPECT_TRUE(config::SectionKeys(config::kQuickKeySection).empty());
    EXPECT_TRUE(config::SectionKeys(L"NoSuchSection").empty());
}
