// Tests of the folder, path, deletion, replacement, clipboard and word-letter services.
#include "foundation/Paths.h"

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "FoundationTestSupport.h"
#include "foundation/Exception.h"

namespace
{

std::string Str(const CString& str)
{
    return std::string(str.GetString(), static_cast<size_t>(str.GetLength()));
}

bool Exists(const std::string& strPath)
{
    return ::GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(PathsTest, DataAndTemporaryFoldersAreCreatedOnEveryCall)
{
    CTempRedirect temp;
    EXPECT_EQ(temp.TempPath() + "Lv\\", Str(GetTempFolder()));
    EXPECT_TRUE(Exists(temp.TempPath() + "Lv"));
    ::RemoveDirectoryA((temp.TempPath() + "Lv").c_str());
    GetTempFolder();
    EXPECT_TRUE(Exists(temp.TempPath() + "Lv")) << "a deleted temporary folder comes back";
    EXPECT_EQ(temp.TempPath() + "Lv\\HTML", Str(GetTempHtmlPath()));

    const std::string strData = Str(GetUserDataFolder());
    EXPECT_EQ("\\Vorn", strData.substr(strData.size() - 5));
    EXPECT_TRUE(Exists(strData));
}

TEST(PathsTest, EachAttachmentFolderIsNew)
{
    CTempRedirect temp;
    EXPECT_EQ(temp.TempPath() + "Lv\\Attach\\1", Str(CreateUniqueAttachFolder()));
    EXPECT_EQ(temp.TempPath() + "Lv\\Attach\\2", Str(CreateUniqueAttachFolder()));
    EXPECT_TRUE(Exists(temp.TempPath() + "Lv\\Attach\\2"));
    ::RemoveDirectoryA((temp.TempPath() + "Lv\\Attach\\1").c_str());
    EXPECT_EQ(temp.TempPath() + "Lv\\Attach\\1", Str(CreateUniqueAttachFolder()));
}

TEST(PathsTest, TwoThreadsNeverGetTheSameAttachmentFolder)
{
    CTempRedirect temp;
    const int kPerThread = 150;
    std::vector<std::string> folders[2];
    std::atomic<int> nReady(0);
    auto take = [&](std::vector<std::string>& taken) {
        // Both threads start looking together, so that their checks and creations interleave.
        ++nReady;
        while (nReady.load() < 2)
            std::this_thread::yield();
        for (int i = 0; i < kPerThread; ++i)
            taken.push_back(Str(CreateUniqueAttachFolder()));
    };
    std::thread first(take, std::ref(folders[0]));
    std::thread second(take, std::ref(folders[1]));
    first.join();
    second.join();

    std::set<std::string> distinct;
    for (const auto& taken : folders)
    {
        for (const std::string& folder : taken)
        {
            EXPECT_TRUE(Exists(folder)) << folder;
            EXPECT_TRUE(distinct.insert(folder).second) << folder << " went to both threads";
        }
    }
    EXPECT_EQ(static_cast<size_t>(2 * kPerThread), distinct.size());
}

TEST(PathsTest, PartsOfDriveAndSharePaths)
{
    const struct
    {
        const char* path;
        const char* driveOrShare;
        const char* folder;
        const char* extension;
        const char* nameExt;
    } cases[] = {
        {"C:\\mail\\in\\a.eml", "C:", "C:\\mail\\in\\", ".eml", "a.eml"},
        {"\\\\srv\\docs\\a\\b.txt", "\\\\srv\\docs\\", "\\\\srv\\docs\\a\\", ".txt", "b.txt"},
        {"\\\\srv\\docs", "", "\\\\srv\\", "", "docs"},
        {"notes.tar.gz", "", "", ".gz", "notes.tar.gz"},
        {"C:\\dir.v2\\README", "C:", "C:\\dir.v2\\", "", "README"},
        {"", "", "", "", ""},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.driveOrShare, Str(GetDriveOrShare(c.path))) << c.path;
        EXPECT_EQ(c.folder, Str(GetPathFolder(c.path))) << c.path;
        EXPECT_EQ(c.extension, Str(GetPathExtension(c.path))) << c.path;
        EXPECT_EQ(c.nameExt, Str(GetPathFileNameExt(c.path))) << c.path;
    }
}

TEST(PathsTest, DeletingFolderContentsKeepsTheNamedFileAndSkipsDeniedOnes)
{
    CScratchFolder folder;
    ::CreateDirectoryA(folder.Path("sub").c_str(), NULL);
    ::CreateDirectoryA(folder.Path("sub\\deeper").c_str(), NULL);
    for (const char* name : {"a.txt", "keep.txt", "sub\\b.txt", "sub\\deeper\\c.txt", "readonly.txt"})
        WriteWholeFile(folder.Path(name), name);
    ::SetFileAttributesA(folder.Path("readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_TRUE(DeleteFolderContents((folder.Path() + "\\").c_str(), "keep.txt"));
    EXPECT_FALSE(Exists(folder.Path("a.txt")));
    EXPECT_FALSE(Exists(folder.Path("sub")));
    EXPECT_TRUE(Exists(folder.Path("keep.txt")));
    EXPECT_TRUE(Exists(folder.Path("readonly.txt")))
        << "a denied file is skipped, so true is no proof of empty";

    EXPECT_TRUE(DeleteFolderContents(folder.Path("no such folder").c_str()));
}

TEST(PathsTest, AFileInUseStopsTheDeletionWithItsPath)
{
    CScratchFolder folder;
    WriteWholeFile(folder.Path("busy.txt"), "x");
    HANDLE hBusy =
        ::CreateFileA(folder.Path("busy.txt").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hBusy);
    try
    {
        DeleteFolderContents(folder.Path().c_str());
        ADD_FAILURE() << "no exception";
    }
    catch (CException* e)
    {
        EXPECT_EQ(0u,
                  Str(e->m_strMessage)
                      .find("ERROR: Delete a file failed!\r\n\r\n" + folder.Path("busy.txt") + "\r\n\r\n"));
        delete e;
    }
    ::CloseHandle(hBusy);
}

TEST(PathsTest, ReplacingAFileAsksFirstAndDeletesOnlyOnYes)
{
    CScratchFolder folder;
    const std::string strPath = folder.Path("attachment.doc");
    {
        CMessageBoxRecorder boxes(IDNO);
        EXPECT_EQ(IDYES, ConfirmReplaceFile(strPath.c_str()));
        EXPECT_TRUE(boxes.Boxes().empty()) << "a missing file needs no question";

        WriteWholeFile(strPath, "old");
        EXPECT_EQ(IDNO, ConfirmReplaceFile(strPath.c_str()));
        EXPECT_TRUE(Exists(strPath));
        ASSERT_EQ(1u, boxes.Boxes().size());
        EXPECT_EQ("File '" + strPath + "' is exists. Do you want to replace it?", boxes.Boxes()[0].text);
        EXPECT_EQ(0x23u, boxes.Boxes()[0].style);

        boxes.SetAnswer(IDYES);
        EXPECT_EQ(IDYES, ConfirmReplaceFile(strPath.c_str()));
        EXPECT_FALSE(Exists(strPath));
    }
}

TEST(PathsTest, WordLettersIncludeCyrillicOfCodePage1251)
{
    const struct
    {
        unsigned char c;
        bool letter;
    } cases[] = {
        {'a', true},  {'Z', true},   {',', false},  {'?', true},   {'.', false},  {'5', false},
        {' ', false}, {'\t', false}, {'\n', false}, {0xA8, true},  {0xB8, true},  {0xC0, true},
        {0xE0, true}, {0xFF, true},  {0xF7, true},  {0x85, false}, {0xAB, false}, {0xBB, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.letter, IsWordLetter(c.c)) << "byte " << static_cast<int>(c.c);
    EXPECT_EQ(0x00332211u, SwapRedBlue(0x00112233));
}

TEST(PathsTest, ReadingTheClipboardLeavesItAsItWas)
{
    SetClipboardText("copied text");
    EXPECT_EQ("copied text", Str(GetClipboardText()));
    EXPECT_EQ("copied text", Str(GetClipboardText()));
}

} // namespace
