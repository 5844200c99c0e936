#include "platform/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/ansi_convert.h"
#include "tests/support/scratch_folder.h"

namespace vw {
namespace {

using testing::ScratchFolder;
namespace fs = std::filesystem;

// "\xD6\xD0\xCE\xC4" is "中文" in GBK; "\xD5\x5C" is a character whose trail byte is '\\'.
const char kChinese[] = "\xD6\xD0\xCE\xC4";
const char kTrail5C[] = "\xD5\x5C";

TEST(NativePath, ConvertsSeparatorsAndGbkNames) {
  struct Case { std::string in; std::string out; } cases[] = {
      {"/books\\a\\b.htm", "/books/a/b.htm"},
      {"/books/a.htm", "/books/a.htm"},
      {std::string("/t\\") + kChinese + "\\x.htm", "/t/中文/x.htm"},
      // The trail byte of the double-byte character is part of the name, not a separator.
      {std::string("/t\\") + kTrail5C + "\\x.htm", "/t/" + ansi::ToUtf8(kTrail5C) + "/x.htm"},
  };
  for (const auto& c : cases) EXPECT_EQ(NativePath(c.in), c.out) << c.in;
  EXPECT_EQ(ansi::ToUtf8(kTrail5C).find('\\'), std::string::npos);
  EXPECT_EQ(ansi::ToUtf8(kTrail5C).find('?'), std::string::npos);
}

TEST(MakeSureDirectoryPathExists, CreatesEveryFolderButNotTheFileName) {
  ScratchFolder tmp;
  const std::string path =
      tmp.path() + "\\a\\" + kChinese + "\\" + kTrail5C + "\\page.htm";
  ASSERT_TRUE(MakeSureDirectoryPathExists(path));
  const fs::path deepest =
      fs::path(tmp.path()) / "a" / "中文" / ansi::ToUtf8(kTrail5C);
  EXPECT_TRUE(fs::is_directory(deepest));
  EXPECT_FALSE(fs::exists(deepest / "page.htm"));
  // A folder made from the trail byte's character, never a folder split at its 0x5C.
  EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(tmp.path()) / "a" / "中文"),
                          fs::directory_iterator()),
            1);
  EXPECT_TRUE(MakeSureDirectoryPathExists(path)) << "existing folders are fine";
}

TEST(MakeSureDirectoryPathExists, FailsWhereAFileBlocksTheWay) {
  ScratchFolder tmp;
  FileWriter blocker;
  ASSERT_TRUE(blocker.Open(tmp.path() + "\\blocker"));
  blocker.Close();
  EXPECT_FALSE(MakeSureDirectoryPathExists(tmp.path() + "\\blocker\\sub\\x.htm"));
}

TEST(FileWriter, CreatesAlwaysAndReplacesContent) {
  ScratchFolder tmp;
  const std::string path = tmp.path() + "\\" + kChinese + ".htm";
  {
    FileWriter file;
    ASSERT_TRUE(file.Open(path));
    file.Write(std::string("a long first content"));
    file.Close();
  }
  {
    FileWriter file;
    ASSERT_TRUE(file.Open(path));
    file.Write(std::string("short"));
    file.Close();
  }
  EXPECT_EQ(ScratchFolder::Read(tmp.path() + "/中文.htm"), "short");
  std::uint64_t size = 0;
  ASSERT_TRUE(FileSize(path, size));
  EXPECT_EQ(size, 5u);
  EXPECT_FALSE(FileSize(tmp.path() + "\\missing.htm", size));
  EXPECT_FALSE(FileSize(tmp.path(), size)) << "a folder is not a file";
}

TEST(FileWriter, FailedWriteThrowsFileErrorWithErrno) {
  FileWriter file;
  ASSERT_TRUE(file.Open("/dev/full"));
  try {
    file.Write(std::string(4096, 'x'));
    FAIL() << "writing to a full device must throw";
  } catch (const FileError& e) {
    EXPECT_EQ(e.error(), ENOSPC);
    EXPECT_EQ(e.path(), "/dev/full");
  }
}

TEST(FileWriter, OpenFailsInAMissingFolder) {
  ScratchFolder tmp;
  FileWriter file;
  EXPECT_FALSE(file.Open(tmp.path() + "\\no-such-folder\\x.htm"));
  EXPECT_FALSE(file.IsOpen());
}

TEST(FileWriter, OpenFailsWhereNoFileCanBeCreated) {
  // A file standing where a folder should be stops every user, root included (a read-only
  // folder does not stop root; the end-to-end fault test covers it as another user).
  ScratchFolder tmp;
  {
    FileWriter blocker;
    ASSERT_TRUE(blocker.Open(tmp.path() + "\\dir"));
    blocker.Close();
  }
  FileWriter file;
  EXPECT_FALSE(file.Open(tmp.path() + "\\dir\\x.htm"));
  EXPECT_EQ(errno, ENOTDIR);
  EXPECT_FALSE(MakeSureDirectoryPathExists(tmp.path() + "\\dir\\sub\\x.htm"));
}

}  // namespace
}  // namespace vw
