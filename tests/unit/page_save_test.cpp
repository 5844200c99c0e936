#include "crawl/page_save.h"

#include <cerrno>
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "tests/support/scratch_folder.h"
#include "scripted_document.h"

namespace vw {
namespace {

using testing::ScratchFolder;
using testing::ScriptedDocument;
namespace fs = std::filesystem;

// A page of a comment, the html element and one element after it (never visited).
class PageSaveTest : public ::testing::Test {
 protected:
  PageSaveTest() {
    doc.elements = {{"!", "<!-- saved -->"},
                    {"HTML", "<HTML><BODY>\xD6\xD0</BODY></HTML>"},
                    {"BODY", "<BODY>\xD6\xD0</BODY>"}};
  }
  // A path three missing folders deep, with the backslashes the crawl builds.
  std::string Path(const char* name = "page.htm") const {
    return tmp.path() + "\\book\\\xD6\xD0\\deep\\" + name;
  }
  std::string Native(const char* name = "page.htm") const {
    return tmp.path() + "/book/中/deep/" + name;
  }

  ScratchFolder tmp;
  ScriptedDocument doc;
  const std::string source = "<!-- saved -->\n<HTML><BODY>\xD6\xD0</BODY></HTML>\n";
};

TEST_F(PageSaveTest, OwnSaveCountsFrom500Bytes) {
  struct Case { std::size_t saved; bool keptOwn; } cases[] = {{499, false}, {500, true},
                                                              {0, false}, {4000, true}};
  for (const auto& c : cases) {
    doc.canSave = true;
    doc.saveBytes = c.saved;
    EXPECT_TRUE(SavePageHtml(&doc, Path()));
    const std::string written = ScratchFolder::Read(Native());
    if (c.keptOwn) {
      EXPECT_EQ(written, std::string(c.saved, 'x')) << c.saved;
    } else {
      EXPECT_EQ(written, source) << c.saved << " bytes must be replaced by the source";
    }
  }
  EXPECT_EQ(doc.savedTo.size(), 4u);
  EXPECT_EQ(doc.savedTo.front(), Path());
}

TEST_F(PageSaveTest, WithoutOwnSaveTheSourceIsWrittenAndFoldersCreated) {
  EXPECT_TRUE(SavePageHtml(&doc, Path()));
  EXPECT_TRUE(doc.savedTo.empty());
  EXPECT_EQ(ScratchFolder::Read(Native()), source);
}

TEST_F(PageSaveTest, ExistingFileIsReplacedNotAppended) {
  doc.bodyText = "first text, rather long";
  SavePageText(&doc, Path("p.txt"));
  doc.bodyText = "second";
  SavePageText(&doc, Path("p.txt"));
  EXPECT_EQ(ScratchFolder::Read(Native("p.txt")), "second");

  SavePageHtml(&doc, Path());
  doc.elements = {{"HTML", "<html></html>"}};
  SavePageHtml(&doc, Path());
  EXPECT_EQ(ScratchFolder::Read(Native()), "<html></html>\n");
}

TEST_F(PageSaveTest, EmptySourceAndFailedOwnSaveLeaveAnEmptyFile) {
  doc.canSave = true;
  doc.saveBytes = 120;  // a short own save that the empty source must overwrite
  doc.elements = {{"HTML", ""}};
  EXPECT_FALSE(SavePageHtml(&doc, Path()));
  ASSERT_TRUE(fs::exists(Native()));
  EXPECT_EQ(fs::file_size(Native()), 0u);

  doc.elementsReadable = false;
  EXPECT_FALSE(WritePageSource(&doc, Path()));
  EXPECT_EQ(fs::file_size(Native()), 0u);
}

TEST_F(PageSaveTest, TextModeWritesBodyTextOrNothingWithoutBody) {
  doc.bodyText = "\xD6\xD0\xCE\xC4 text";
  SavePageText(&doc, Path("a.txt"));
  EXPECT_EQ(ScratchFolder::Read(Native("a.txt")), "\xD6\xD0\xCE\xC4 text");

  doc.bodyText.clear();
  SavePageText(&doc, Path("empty.txt"));
  ASSERT_TRUE(fs::exists(Native("empty.txt")));
  EXPECT_EQ(fs::file_size(Native("empty.txt")), 0u);

  doc.hasBody = false;
  SavePageText(&doc, tmp.path() + "\\nobody\\x.txt");
  EXPECT_TRUE(fs::is_directory(tmp.path() + "/nobody"));
  EXPECT_FALSE(fs::exists(tmp.path() + "/nobody/x.txt"));

  SavePageText(nullptr, tmp.path() + "\\nulldoc\\x.txt");
  EXPECT_TRUE(fs::is_directory(tmp.path() + "/nulldoc"));
  EXPECT_FALSE(fs::exists(tmp.path() + "/nulldoc/x.txt"));
}

TEST_F(PageSaveTest, FailedOpenIsSilent) {
  // The path names an existing folder, so the file cannot be created.
  fs::create_directories(Native("folder.htm"));
  EXPECT_FALSE(SavePageHtml(&doc, Path("folder.htm")));
  doc.bodyText = "text";
  EXPECT_NO_THROW(SavePageText(&doc, Path("folder.htm")));
}

TEST_F(PageSaveTest, FailedWriteThrowsFileError) {
  doc.bodyText = "text";
  for (int textMode = 0; textMode < 2; ++textMode) {
    try {
      if (textMode) {
        SavePageText(&doc, "/dev/full");
      } else {
        SavePageHtml(&doc, "/dev/full");
      }
      ADD_FAILURE() << "a full device must raise the file error, text mode " << textMode;
    } catch (const FileError& e) {
      EXPECT_EQ(e.error(), ENOSPC);
    }
  }
}

}  // namespace
}  // namespace vw
