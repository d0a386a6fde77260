#include "platform/folders.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "fakes/temp_folder.h"

namespace platform {
namespace {

using fakes::TempFolder;

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

TEST(FoldersTest, ProgramFolderIsTheExecutablesFolderUnlessSet) {
  const auto real = ProgramFolder();
  EXPECT_TRUE(IsDirectory(real));
  TempFolder folder;
  SetProgramFolder(folder.Path());
  EXPECT_EQ(ProgramFolder(), folder.Path());
  SetProgramFolder({});
  EXPECT_EQ(ProgramFolder(), real);
}

TEST(FoldersTest, DesktopFolderFromXdgThenHome) {
  const char* savedXdg = std::getenv("XDG_DESKTOP_DIR");
  const std::string xdg = savedXdg ? savedXdg : "";
  const char* savedHome = std::getenv("HOME");
  const std::string home = savedHome ? savedHome : "";

  setenv("XDG_DESKTOP_DIR", "/tmp/xdg-desk", 1);
  EXPECT_EQ(DesktopFolder(), std::filesystem::path("/tmp/xdg-desk"));
  unsetenv("XDG_DESKTOP_DIR");
  setenv("HOME", "/home/operator", 1);
  EXPECT_EQ(DesktopFolder(), std::filesystem::path("/home/operator/Desktop"));
  SetDesktopFolder("/tmp/injected");
  EXPECT_EQ(DesktopFolder(), std::filesystem::path("/tmp/injected"));
  SetDesktopFolder({});

  if (savedXdg) {
    setenv("XDG_DESKTOP_DIR", xdg.c_str(), 1);
  }
  if (savedHome) {
    setenv("HOME", home.c_str(), 1);
  } else {
    unsetenv("HOME");
  }
}

TEST(FoldersTest, ExistsDirectoryAndCreate) {
  TempFolder folder;
  const auto nested = folder / "a/b/c";
  EXPECT_FALSE(FileExists(nested));
  EXPECT_TRUE(CreateFolders(nested));
  EXPECT_TRUE(IsDirectory(nested));
  EXPECT_TRUE(CreateFolders(nested));  // already there
  TempFolder::Write(folder / "file", "x");
  EXPECT_TRUE(FileExists(folder / "file"));
  EXPECT_FALSE(IsDirectory(folder / "file"));
  EXPECT_FALSE(CreateFolders(folder / "file" / "sub"));
}

TEST(FoldersTest, ReadWholeFileBoundsAndFailures) {
  TempFolder folder;
  TempFolder::Write(folder / "data", "hello");
  EXPECT_EQ(ReadWholeFile(folder / "data"), Bytes("hello"));
  EXPECT_EQ(ReadWholeFile(folder / "data", 5), Bytes("hello"));
  EXPECT_FALSE(ReadWholeFile(folder / "data", 4).has_value());  // larger than allowed
  TempFolder::Write(folder / "empty", "");
  EXPECT_EQ(ReadWholeFile(folder / "empty"), std::vector<std::uint8_t>());
  EXPECT_FALSE(ReadWholeFile(folder / "missing").has_value());
  EXPECT_FALSE(ReadWholeFile(folder.Path()).has_value());  // a folder
}

TEST(FoldersTest, WriteFileAtomicallyReplacesWholeAndKeepsMode) {
  TempFolder folder;
  const auto file = folder / "IPRecord.dat";
  ASSERT_TRUE(WriteFileAtomically(file, Bytes("first version, long")));
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  ASSERT_TRUE(WriteFileAtomically(file, Bytes("second")));
  EXPECT_EQ(TempFolder::Read(file), "second");
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 1);  // no temporary file left
}

TEST(FoldersTest, WriteFileAtomicallyFailureLeavesOldFile) {
  TempFolder folder;
  EXPECT_FALSE(WriteFileAtomically(folder / "missing" / "f", Bytes("x")));
  // The target is a folder: rename fails, nothing left behind.
  CreateFolders(folder / "dir");
  EXPECT_FALSE(WriteFileAtomically(folder / "dir", Bytes("x")));
  EXPECT_TRUE(IsDirectory(folder / "dir"));
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

TEST(FoldersTest, DiskFreeBytes) {
  TempFolder folder;
  const auto free = DiskFreeBytes(folder.Path());
  ASSERT_TRUE(free.has_value());
  EXPECT_GT(*free, 0u);
  EXPECT_FALSE(DiskFreeBytes(folder / "missing").has_value());
}

}  // namespace
}  // namespace platform
