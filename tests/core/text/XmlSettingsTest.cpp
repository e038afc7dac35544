#include <gtest/gtest.h>

#include <string>

#include "core/text/ofxXmlSettings.h"
#include "tests/support/InstallFolder.h"

namespace {

// Documents come from files, as the system always gets them.
class XmlSettingsTest : public testing::Test {
protected:
    ofxXmlSettings Parse(const std::string& xml)
    {
        folder_.Write(L"data\\parsed.xml", xml);
        ofxXmlSettings settings;
        EXPECT_TRUE(settings.loadFile("parsed.xml"));
        return settings;
    }
    ofxXmlSettings SavedAndLoaded(ofxXmlSettings& settings)
    {
        settings.saveFile("saved.xml");
        return Parse(folder_.Read(L"data\\saved.xml"));
    }

    testing_support::InstallFolder folder_{L"xml"};
};

TEST_F(XmlSettingsTest, WriteResultsAndAppending)
{
    ofxXmlSettings settings;
    EXPECT_EQ(0, settings.setValue("A:B", 5, 0));
    EXPECT_EQ(0, settings.setValue("A:B", 7, 0));
    EXPECT_EQ(1, settings.addValue("A:B", 9));
    EXPECT_EQ(2, settings.setValue("A:B", 1, 3));  // only two A: a third is appended
    EXPECT_EQ(7, settings.getValue("A:B", 0, 0));
    EXPECT_EQ(9, settings.getValue("A:B", 0, 1));
    EXPECT_EQ(1, settings.getValue("A:B", 0, 2));

    // Append mode and `which` apply to the first name; deeper names take their first match.
    EXPECT_EQ(3, settings.addValue("A:C:D", 2));
    EXPECT_EQ(3, settings.setValue("A:C:D", 3, 1));
    EXPECT_EQ(9, settings.getValue("A:B", 0, 1));
    EXPECT_EQ(3, settings.getValue("A:C:D", 0, 1));
    EXPECT_EQ(4, settings.addTag("A"));

    // An empty text is a value until a save and load drop it.
    EXPECT_EQ("", settings.getValue("A", std::string("d"), 4));
    EXPECT_EQ("d", SavedAndLoaded(settings).getValue("A", std::string("d"), 4));
}

TEST_F(XmlSettingsTest, Reading)
{
    ofxXmlSettings settings = Parse(
        "<A><B>1</B><B>2</B></A><A><B>3</B></A>"
        "<CONFIG><BLOBS><MAXNUMBER>x</MAXNUMBER><EMPTY></EMPTY></BLOBS>"
        "<N><OCT>010</OCT><HEX>0x1F</HEX><TAIL>12abc</TAIL><F>2.75e1</F></N>"
        "<E><CHILD>4<X/></CHILD><NESTED><X>1</X>5</NESTED><NOTE><!-- c -->6</NOTE></E></CONFIG>");
    EXPECT_EQ(1, settings.getValue("::A::B:", 0, 0));
    EXPECT_EQ(3, settings.getValue("A:B", 0, 1));  // `which` picks the second A, not the second B
    EXPECT_EQ(1, settings.getValue("A:B", 0, -4));
    EXPECT_EQ(-1, settings.getValue("A:B", -1, 2));
    EXPECT_EQ(-1, settings.getValue("a:b", -1, 0));

    EXPECT_EQ(20, settings.getValue("CONFIG:BLOBS:NOTTHERE", 20, 0));
    EXPECT_EQ(20, settings.getValue("CONFIG:BLOBS:EMPTY", 20, 0));
    EXPECT_EQ(0, settings.getValue("CONFIG:BLOBS:MAXNUMBER", 20, 0));
    EXPECT_EQ(8, settings.getValue("CONFIG:N:OCT", 0, 0));
    EXPECT_EQ(31, settings.getValue("CONFIG:N:HEX", 0, 0));
    EXPECT_EQ(12, settings.getValue("CONFIG:N:TAIL", 0, 0));
    EXPECT_EQ(27.5f, settings.getValue("CONFIG:N:F", 0.0, 0));
    EXPECT_EQ(0.1f, settings.getValue("CONFIG:N:MISSING", 0.1, 0));
    EXPECT_EQ("0x1F", settings.getValue("CONFIG:N:HEX", std::string(), 0));

    // Only a text as the first child is a value.
    EXPECT_EQ(4, settings.getValue("CONFIG:E:CHILD", 0, 0));
    EXPECT_EQ(-1, settings.getValue("CONFIG:E:NESTED", -1, 0));
    EXPECT_EQ(-1, settings.getValue("CONFIG:E:NOTE", -1, 0));
}

TEST_F(XmlSettingsTest, FormatsAndLimits)
{
    ofxXmlSettings settings = Parse("<LONG>" + std::string(2000, 'x') + "</LONG>");
    EXPECT_EQ(std::string(1023, 'x'), settings.getValue("LONG", std::string(), 0));

    settings.setValue("I", -42, 0);
    settings.setValue("F", 1.5, 0);
    settings.setValue("H", 1e300, 0);  // longer than the number buffer: cut, never past it
    EXPECT_EQ("-42", settings.getValue("I", std::string(), 0));
    EXPECT_EQ("1.500000", settings.getValue("F", std::string(), 0));
    EXPECT_EQ(255u, settings.getValue("H", std::string(), 0).size());
}

TEST_F(XmlSettingsTest, SetValueReplacesChildElementsByTheText)
{
    ofxXmlSettings settings = Parse("<A><B>1</B><C><D/></C>tail</A>");
    EXPECT_EQ(0, settings.setValue("A", std::string("text"), 0));
    EXPECT_FALSE(settings.tagExists("A:B", 0));
    EXPECT_FALSE(settings.tagExists("A:C", 0));
    EXPECT_EQ("text", settings.getValue("A", std::string(), 0));
}

TEST_F(XmlSettingsTest, PushAndPop)
{
    ofxXmlSettings settings = Parse("<A><B>0</B></A><A><B>1</B></A><A><B>2</B><C>c</C></A>");
    EXPECT_EQ(0, settings.popTag());
    EXPECT_EQ(0, settings.getPushLevel());

    ASSERT_TRUE(settings.pushTag("A:C", 2));  // the second name is ignored
    EXPECT_EQ(1, settings.getPushLevel());
    EXPECT_EQ(2, settings.getValue("B", -1, 0));
    EXPECT_EQ(-1, settings.getValue("", -1, 0));  // the cursor itself, whose first child is no text

    testing::internal::CaptureStdout();
    EXPECT_FALSE(settings.pushTag("X", 0));
    EXPECT_FALSE(settings.pushTag(":B", 0));  // a leading colon does not cut
    EXPECT_EQ("pushTag - tag not found\npushTag - tag not found\n", testing::internal::GetCapturedStdout());
    EXPECT_EQ(1, settings.getPushLevel());

    EXPECT_EQ(0, settings.setValue("B", 22, 0));
    EXPECT_EQ(0, settings.popTag());
    EXPECT_EQ(22, settings.getValue("A:B", -1, 2));
    EXPECT_EQ(3, settings.getNumTags("A:B"));
}

TEST_F(XmlSettingsTest, SearchingRemovingClearing)
{
    ofxXmlSettings settings = Parse("<A><B><C>1</C></B></A><A><B>2</B></A><D>3</D>");
    EXPECT_TRUE(settings.tagExists("A:B:C", 0));
    EXPECT_FALSE(settings.tagExists("A:B:C", 1));
    EXPECT_FALSE(settings.tagExists("", 0));
    settings.removeTag("A:X", 0);
    settings.removeTag("", 0);
    EXPECT_EQ(2, settings.getNumTags("A"));
    settings.removeTag("A:B", 0);  // with everything in it
    EXPECT_FALSE(settings.tagExists("A:B", 0));
    settings.removeTag("A", 1);
    EXPECT_EQ(1, settings.getNumTags("A"));

    settings.clearTagContents("D", -1);  // clears, never appends
    settings.clearTagContents("X", 0);
    EXPECT_EQ(1, settings.getNumTags("D"));
    EXPECT_EQ("", settings.getValue("D", std::string("d"), 0));
    EXPECT_FALSE(settings.tagExists("X", 0));

    ASSERT_TRUE(settings.pushTag("A", 0));
    settings.setValue("E", 1, 0);
    settings.clear();
    EXPECT_EQ(0, settings.getNumTags("E"));
    settings.popTag();
    EXPECT_TRUE(settings.tagExists("D", 0));
}

TEST_F(XmlSettingsTest, FilesAndTheDataFolder)
{
    ofxXmlSettings settings;
    settings.setValue("V", 1, 0);
    settings.saveFile("plain.xml");
    settings.saveFile("data/direct.xml");
    settings.saveFile("data//double.xml");
    folder_.MakeFolder(L"data\\data");
    settings.saveFile("data\\back.xml");  // a backslash does not count as the folder
    folder_.MakeFolder(L"data\\elsewhere");
    settings.saveFile("/elsewhere/rooted.xml");  // from the root: no prefix
    EXPECT_TRUE(folder_.Exists(L"data\\plain.xml"));
    EXPECT_TRUE(folder_.Exists(L"data\\direct.xml"));
    EXPECT_TRUE(folder_.Exists(L"data\\double.xml"));
    EXPECT_TRUE(folder_.Exists(L"data\\data\\back.xml"));
    EXPECT_FALSE(folder_.Exists(L"data\\elsewhere\\rooted.xml"));

    ASSERT_TRUE(settings.loadFile("data//double.xml"));
    ASSERT_TRUE(settings.pushTag("V", 0));
    EXPECT_FALSE(settings.loadFile("missing.xml"));
    EXPECT_EQ(0, settings.getPushLevel());
    EXPECT_FALSE(settings.tagExists("V", 0));

    // Nothing of a malformed file is kept, not even the part before the fault.
    folder_.Write(L"data\\broken.xml", "<A><B>1</B>");
    EXPECT_FALSE(settings.loadFile("broken.xml"));
    EXPECT_EQ(-1, settings.getValue("A:B", -1, 0));
}

TEST_F(XmlSettingsTest, CopiesOwnTheirDocumentAndCursor)
{
    ofxXmlSettings original = Parse("<M><C><X>1</X></C><C><X>2</X></C></M>");
    ASSERT_TRUE(original.pushTag("M", 0));
    ASSERT_TRUE(original.pushTag("C", 1));
    ofxXmlSettings copy(original);
    ofxXmlSettings assigned;
    assigned.setValue("Other", 1, 0);
    assigned = original;

    EXPECT_EQ(2, copy.getPushLevel());
    copy.setValue("X", 9, 0);
    assigned.clear();
    EXPECT_EQ(2, original.getValue("X", 0, 0));
    EXPECT_EQ(9, copy.getValue("X", 0, 0));
    assigned.popTag();
    assigned.popTag();
    EXPECT_FALSE(assigned.tagExists("Other", 0));
    EXPECT_EQ(1, assigned.getValue("M:C:X", 0, 0));
}

}  // namespace
