// Files the system writes are replaced in one step: a write that fails half-way, or a target
// that may not be changed, leaves the target byte for byte as it was and no temporary file.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include <tinyxml.h>

#include "core/effects/Playlist.h"
#include "core/effects/PlaylistEditing.h"
#include "core/frame/TrackerFiles.h"
#include "core/text/DocumentFile.h"
#include "tests/support/InstallFolder.h"

namespace {

using tessaly::DocumentWriter;

// Half of the document reaches the file, then the disk is full.
bool WriteHalfThenFail(const TiXmlDocument& document, std::FILE* file)
{
    TiXmlPrinter printer;
    document.Accept(&printer);
    const std::string text = printer.CStr();
    std::fwrite(text.data(), 1, text.size() / 2, file);
    return false;
}

class WriterScope {
public:
    explicit WriterScope(DocumentWriter writer) : previous_(tessaly::SetDocumentWriter(writer)) {}
    ~WriterScope() { tessaly::SetDocumentWriter(previous_); }
    WriterScope(const WriterScope&) = delete;
    WriterScope& operator=(const WriterScope&) = delete;

private:
    DocumentWriter previous_;
};

const char kTrackerBefore[] =
    "<?xml version=\"1.0\" ?>\r\n<CONFIG>\r\n    <INT>\r\n        <THRESHOLD>40</THRESHOLD>\r\n    </INT>\r\n"
    "    <!-- kept byte for byte -->\r\n</CONFIG>\r\n";
const char kPlaylistBefore[] = "<Effects>\n    <Effect>\n        <file>x.exe</file>\n        <time>8.5</time>\n"
                               "    </Effect>\n</Effects>\n";

class ReplacedFiles : public testing::Test {
protected:
    ReplacedFiles() : device_(0)
    {
        folder_.Write(L"data\\ConfigLight.xml", kTrackerBefore);
        folder_.Write(L"data\\EffectPath.xml", kPlaylistBefore);
        program_ = folder_.Write(L"fx\\effect.exe", "");
    }

    // Every way the system saves: a document directly, the effect page's playlist and the
    // pages' tracker write-back. True for each one that reported success.
    struct Saves {
        bool document, playlist, tracker;
    };
    Saves SaveEach()
    {
        TiXmlDocument document;
        document.Parse("<CONFIG><INT><THRESHOLD>99</THRESHOLD></INT></CONFIG>");
        return {tessaly::SaveDocumentReplacing(document, std::wstring(L"data\\ConfigLight.xml")),
                tessaly::SavePlaylist({{program_, L"3"}}, tessaly::kPlaylistFile),
                tessaly::WriteTrackerSettings({{tessaly::kThreshold, 77}})};
    }
    void ExpectUntouched()
    {
        EXPECT_EQ(folder_.Read(L"data\\ConfigLight.xml"), kTrackerBefore);
        EXPECT_EQ(folder_.Read(L"data\\EffectPath.xml"), kPlaylistBefore);
        ExpectNoTemporaryFile();
    }
    void ExpectNoTemporaryFile()
    {
        EXPECT_FALSE(folder_.Exists(L"data\\ConfigLight.xml.saving"));
        EXPECT_FALSE(folder_.Exists(L"data\\EffectPath.xml.saving"));
    }
    static bool ReadOnly(const wchar_t* path) { return (GetFileAttributesW(path) & FILE_ATTRIBUTE_READONLY) != 0; }

    testing_support::InstallFolder folder_{L"ReplacedFiles"};
    testing_support::DeviceTypeScope device_;
    std::wstring program_;
};

TEST_F(ReplacedFiles, AWriteFailingHalfWayLeavesEveryTargetAsItWas)
{
    {
        WriterScope full(WriteHalfThenFail);
        Saves saves = SaveEach();
        EXPECT_FALSE(saves.document);
        EXPECT_FALSE(saves.playlist);
        EXPECT_FALSE(saves.tracker);
        ExpectUntouched();

        // A file that was not there is not there afterwards either.
        DeleteFileW(L"data\\EffectPath.xml");
        EXPECT_FALSE(tessaly::SavePlaylist({{program_, L"3"}}, tessaly::kPlaylistFile));
        EXPECT_FALSE(folder_.Exists(L"data\\EffectPath.xml"));
        ExpectNoTemporaryFile();
    }
    // The same saves with room on the disk.
    Saves saves = SaveEach();
    EXPECT_TRUE(saves.document);
    EXPECT_TRUE(saves.playlist);
    EXPECT_TRUE(saves.tracker);
    ExpectNoTemporaryFile();
    EXPECT_EQ(tessaly::ReadTrackerValue(tessaly::kThreshold), 77);
    EffectList playlist;
    ASSERT_TRUE(tessaly::LoadPlaylist(tessaly::kPlaylistFile, playlist));
    ASSERT_EQ(playlist.size(), 1u);
    EXPECT_EQ(std::wstring(playlist[0].path), program_);
}

TEST_F(ReplacedFiles, AReadOnlyTargetIsNotChangedAndTheSaveFails)
{
    for (const wchar_t* file : {L"data\\ConfigLight.xml", L"data\\EffectPath.xml"})
        ASSERT_TRUE(SetFileAttributesW(file, FILE_ATTRIBUTE_READONLY));
    Saves saves = SaveEach();
    EXPECT_FALSE(saves.document);
    EXPECT_FALSE(saves.playlist);
    EXPECT_FALSE(saves.tracker);
    ExpectUntouched();
    EXPECT_TRUE(ReadOnly(L"data\\ConfigLight.xml"));
    EXPECT_TRUE(ReadOnly(L"data\\EffectPath.xml"));
}

// A tracker file that already holds the values asked for is what the tracker will read:
// a write-back that could not replace it has still nothing to report.
TEST_F(ReplacedFiles, ATrackerWriteBackOfTheValuesAlreadyThereSucceedsEvenReadOnly)
{
    ASSERT_TRUE(SetFileAttributesW(L"data\\ConfigLight.xml", FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(tessaly::WriteTrackerSettings({{tessaly::kThreshold, 40}}));
    EXPECT_FALSE(tessaly::WriteTrackerSettings({{tessaly::kThreshold, 40}, {tessaly::kTrackDark, 1}}));
    ExpectUntouched();
}

}  // namespace
