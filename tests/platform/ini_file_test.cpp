#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "fakes/temp_folder.h"
#include "platform/folders.h"

namespace platform {
namespace {

using fakes::TempFolder;

struct ReadCase {
  const char* name;
  const char* content;  // nullptr: no file
  const char* section;
  const char* key;
  const char* expected;  // default is "DEF"
};

class ProfileReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileReadTest, ReadsAsTheProfileFunctionsDo) {
  const ReadCase& c = GetParam();
  TempFolder folder;
  const auto file = folder / "Setting.ini";
  if (c.content != nullptr) {
    TempFolder::Write(file, c.content);
  }
  EXPECT_EQ(GetPrivateProfileString(c.section, c.key, "DEF", file), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileReadTest,
    ::testing::Values(
        ReadCase{"MissingFile", nullptr, "ZRC604", "Username", "DEF"},
        ReadCase{"EmptyFile", "", "ZRC604", "Username", "DEF"},
        ReadCase{"Plain", "[ZRC604]\r\nUsername=admin\r\n", "ZRC604", "Username", "admin"},
        ReadCase{"SectionCaseInsensitive", "[zrc604]\nUsername=a\n", "ZRC604", "Username", "a"},
        ReadCase{"KeyCaseInsensitive", "[S]\nSERVER NAME=host\n", "S", "Server Name", "host"},
        ReadCase{"ValueTrimmed", "[S]\n  Key \t=  spaced value \t\r\n", "S", "Key", "spaced value"},
        ReadCase{"SectionNameTrimmed", "  [ S ]  \nKey=v\n", "S", "Key", "v"},
        ReadCase{"DoubleQuotesStripped", "[S]\nKey=\" padded \"\n", "S", "Key", " padded "},
        ReadCase{"SingleQuotesStripped", "[S]\nKey='x'\n", "S", "Key", "x"},
        ReadCase{"UnmatchedQuoteKept", "[S]\nKey=\"x\n", "S", "Key", "\"x"},
        ReadCase{"EmptyValue", "[S]\nKey=\n", "S", "Key", ""},
        ReadCase{"ValueWithEquals", "[S]\nKey=a=b\n", "S", "Key", "a=b"},
        ReadCase{"MissingKey", "[S]\nOther=1\n", "S", "Key", "DEF"},
        ReadCase{"KeyInOtherSection", "[A]\nKey=1\n[B]\nOther=2\n", "B", "Key", "DEF"},
        ReadCase{"MissingSection", "[A]\nKey=1\n", "B", "Key", "DEF"},
        ReadCase{"FirstOfDuplicateKeys", "[S]\nKey=1\nKey=2\n", "S", "Key", "1"},
        ReadCase{"SectionRepeatedLater", "[S]\nA=1\n[T]\nB=2\n[S]\nKey=3\n", "S", "Key", "3"},
        ReadCase{"KeyBeforeAnySection", "Key=1\n[S]\n", "S", "Key", "DEF"},
        ReadCase{"CommentLineIgnored", "[S]\n;Key=1\nKey=2\n", "S", "Key", "2"},
        ReadCase{"LineWithoutEquals", "[S]\nKey\nKey=5\n", "S", "Key", "5"},
        ReadCase{"NoFinalNewline", "[S]\nKey=last", "S", "Key", "last"},
        ReadCase{"TruncatedInKeyName", "[S]\nKey=1\nOth", "S", "Oth", "DEF"},
        ReadCase{"TruncatedInSectionName", "[S]\nKey=1\n[T", "T", "Key", "DEF"},
        ReadCase{"ByteOrderMark", "\xEF\xBB\xBF[S]\nKey=bom\n", "S", "Key", "bom"},
        ReadCase{"UnclosedSectionHeader", "[S\nKey=1\n", "S", "Key", "1"},
        ReadCase{"GarbageBytes", "\x01\x02[\xFF]\n=\n[S]\n\x7F=\nKey=ok\n", "S", "Key", "ok"},
        ReadCase{"Utf8Value", "[S]\nPath=/home/\xC3\xA9t\xC3\xA9\n", "S", "Path",
                 "/home/\xC3\xA9t\xC3\xA9"}),
    [](const auto& info) { return std::string(info.param.name); });

struct IntCase {
  const char* name;
  const char* value;  // nullptr: key missing
  int expected;       // default is -7
};

class ProfileIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(ProfileIntTest, ParsesLeadingDecimalDigits) {
  const IntCase& c = GetParam();
  TempFolder folder;
  const auto file = folder / "Setting.ini";
  TempFolder::Write(file, c.value ? std::string("[S]\nN=") + c.value + "\n" : "[S]\n");
  EXPECT_EQ(GetPrivateProfileInt("S", "N", -7, file), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileIntTest,
    ::testing::Values(IntCase{"Missing", nullptr, -7}, IntCase{"Empty", "", -7},
                      IntCase{"Plain", "80", 80}, IntCase{"Negative", "-15", -15},
                      IntCase{"Plus", "+3", 3}, IntCase{"TrailingText", "12abc", 12},
                      IntCase{"NotANumber", "abc", 0}, IntCase{"Spaces", "  42  ", 42},
                      IntCase{"Quoted", "\"9\"", 9}, IntCase{"Max", "2147483647", 2147483647},
                      IntCase{"WrapsBeyond32Bits", "4294967297", 1},
                      IntCase{"HugeDigitRun", "99999999999999999999999", -159383553}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileStringTest, DefaultTrailingBlanksRemovedAndBufferCut) {
  TempFolder folder;
  const auto file = folder / "none.ini";
  EXPECT_EQ(GetPrivateProfileString("S", "K", "dflt  ", file), "dflt");
  TempFolder::Write(folder / "a.ini", "[S]\nK=abcdef\n");
  EXPECT_EQ(GetPrivateProfileString("S", "K", "", folder / "a.ini", 4), "abc");
  EXPECT_EQ(GetPrivateProfileString("S", "K", "", folder / "a.ini", 1), "");
  EXPECT_EQ(GetPrivateProfileString("S", "K", "", folder / "a.ini", 0), "abcdef");
}

TEST(ProfileStringTest, NulBytesInTheFileDoNotHideLaterKeys) {
  TempFolder folder;
  const auto file = folder / "nul.ini";
  TempFolder::Write(file, std::string("[S]\nA\0B=1\nKey=2\0tail\n", 21));
  EXPECT_EQ(GetPrivateProfileString("S", "Key", "d", file), std::string("2\0tail", 6));
  EXPECT_EQ(GetPrivateProfileInt("S", "Key", 9, file), 2);
}

TEST(ProfileStringTest, OversizedFileReadsAsMissingAndIsNotRewritten) {
  TempFolder folder;
  const auto file = folder / "big.ini";
  std::string content = "[S]\nKey=1\n";
  content.resize((16u << 20) + 1, 'x');
  TempFolder::Write(file, content);
  EXPECT_EQ(GetPrivateProfileString("S", "Key", "d", file), "d");
  EXPECT_EQ(GetPrivateProfileInt("S", "Key", 3, file), 3);
  EXPECT_FALSE(WritePrivateProfileString("S", "Key", "2", file));
  EXPECT_EQ(std::filesystem::file_size(file), content.size());
}

TEST(ProfileStringTest, FolderInsteadOfFileGivesDefault) {
  TempFolder folder;
  EXPECT_EQ(GetPrivateProfileString("S", "K", "d", folder.Path()), "d");
  EXPECT_FALSE(WritePrivateProfileString("S", "K", "v", folder.Path()));
}

struct WriteCase {
  const char* name;
  const char* before;  // nullptr: no file
  const char* section;
  const char* key;
  const char* value;
  const char* after;
};

class ProfileWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWriteTest, ChangesOnlyTheKeyLine) {
  const WriteCase& c = GetParam();
  TempFolder folder;
  const auto file = folder / "Setting.ini";
  if (c.before != nullptr) {
    TempFolder::Write(file, c.before);
  }
  ASSERT_TRUE(WritePrivateProfileString(c.section, c.key, c.value, file));
  EXPECT_EQ(TempFolder::Read(file), c.after);
  EXPECT_EQ(GetPrivateProfileString(c.section, c.key, "DEF", file), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileWriteTest,
    ::testing::Values(
        WriteCase{"NewFile", nullptr, "ZRC604", "Username", "admin",
                  "[ZRC604]\r\nUsername=admin\r\n"},
        WriteCase{
            "ReplaceKeepsOtherLines",
            "; settings\r\n[ZRC604]\r\nUsername=old\r\n  ServerPort = 80\r\n\r\n[X]\r\nA=1\r\n",
            "zrc604", "username", "new",
            "; settings\r\n[ZRC604]\r\nUsername=new\r\n  ServerPort = 80\r\n\r\n[X]\r\nA=1\r\n"},
        WriteCase{"AddKeyAfterLastEntryOfSection", "[A]\nx=1\ny=2\n\n[B]\nz=3\n", "A", "New", "v",
                  "[A]\nx=1\ny=2\nNew=v\n\n[B]\nz=3\n"},
        WriteCase{"AddKeyToEmptySection", "[A]\n[B]\nz=3\n", "A", "k", "v", "[A]\nk=v\n[B]\nz=3\n"},
        WriteCase{"AddSectionAtEnd", "[A]\nx=1\n", "B", "k", "v", "[A]\nx=1\n[B]\nk=v\n"},
        WriteCase{"AddSectionToFileWithoutFinalNewline", "[A]\nx=1", "B", "k", "v",
                  "[A]\nx=1\n[B]\nk=v\n"},
        WriteCase{"AddKeyAfterLastLineWithoutNewline", "[A]\nx=1", "A", "k", "v",
                  "[A]\nx=1\nk=v\n"},
        WriteCase{"EmptyValue", "[A]\nx=1\n", "A", "x", "", "[A]\nx=\n"},
        WriteCase{"ValueWithSpecialCharacters", "[A]\n", "A", "Path", "C:\\rec dir\\=;#",
                  "[A]\nPath=C:\\rec dir\\=;#\n"},
        WriteCase{"OnlyFirstDuplicateChanged", "[A]\nx=1\nx=2\n", "A", "x", "9", "[A]\nx=9\nx=2\n"},
        WriteCase{"ByteOrderMarkKept", "\xEF\xBB\xBF[A]\r\nx=1\r\n", "A", "x", "2",
                  "\xEF\xBB\xBF[A]\r\nx=2\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileWriteRefusalTest, NamesOrValuesThatWouldCorruptTheFileAreRefused) {
  TempFolder folder;
  const auto file = folder / "Setting.ini";
  const std::string before = "[A]\nx=1\n";
  TempFolder::Write(file, before);
  struct Bad {
    const char* section;
    const char* key;
    const char* value;
  };
  for (const Bad& bad : {Bad{"A", "x", "line\nbreak"}, Bad{"A", "x", "cr\r"}, Bad{"A]", "x", "v"},
                         Bad{"A", "k=y", "v"}, Bad{"", "x", "v"}, Bad{"A", "", "v"},
                         Bad{"A", "[k", "v"}, Bad{"A\n", "x", "v"}}) {
    EXPECT_FALSE(WritePrivateProfileString(bad.section, bad.key, bad.value, file))
        << bad.section << "/" << bad.key;
  }
  EXPECT_EQ(TempFolder::Read(file), before);
}

// Several keys in one rewrite: the same lines as writing them one by one, and one entry that
// would corrupt the file refuses the whole batch.
TEST(ProfileWriteTest, BatchMatchesSingleWritesAndIsRefusedWhole) {
  TempFolder folder;
  const std::string before = "; kept\r\n[a]\r\nY=old\r\n[B]\r\nz=1\r\n";
  const auto one = folder / "one.ini";
  const auto batch = folder / "batch.ini";
  TempFolder::Write(one, before);
  TempFolder::Write(batch, before);
  const std::vector<ProfileEntry> entries = {{"x", "1"}, {" y ", "new"}, {"x", "2"}, {"w", ""}};
  for (const ProfileEntry& entry : entries) {
    ASSERT_TRUE(WritePrivateProfileString("A", entry.key, entry.value, one));
  }
  ASSERT_TRUE(WritePrivateProfileStrings("A", entries, batch));
  EXPECT_EQ(TempFolder::Read(batch), TempFolder::Read(one));
  EXPECT_EQ(GetPrivateProfileString("A", "Y", "", batch), "new");

  const std::string written = TempFolder::Read(batch);
  const std::vector<ProfileEntry> bad = {{"x", "3"}, {"v", "line\nbreak"}};
  EXPECT_FALSE(WritePrivateProfileStrings("A", bad, batch));
  EXPECT_EQ(TempFolder::Read(batch), written);
}

TEST(ProfileWriteRefusalTest, MissingFolderFailsAndLeavesNoFile) {
  TempFolder folder;
  const auto file = folder / "missing" / "Setting.ini";
  EXPECT_FALSE(WritePrivateProfileString("A", "x", "1", file));
  EXPECT_FALSE(FileExists(file));
}

TEST(ProfileWriteTest, RewriteLeavesNoTemporaryFilesBehind) {
  TempFolder folder;
  const auto file = folder / "Setting.ini";
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(WritePrivateProfileString("A", "n", std::to_string(i), file));
  }
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 1);
  EXPECT_EQ(GetPrivateProfileInt("A", "n", -1, file), 4);
}

TEST(ProfileWriteTest, ConcurrentWritersLoseNoKey) {
  TempFolder folder;
  const auto file = folder / "Setting.ini";
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t) {
    writers.emplace_back([&, t] {
      for (int i = 0; i < 10; ++i) {
        WritePrivateProfileString("S", "k" + std::to_string(t) + "_" + std::to_string(i),
                                  std::to_string(i), file);
      }
    });
  }
  for (auto& writer : writers) {
    writer.join();
  }
  for (int t = 0; t < 4; ++t) {
    for (int i = 0; i < 10; ++i) {
      EXPECT_EQ(
          GetPrivateProfileInt("S", "k" + std::to_string(t) + "_" + std::to_string(i), -1, file),
          i);
    }
  }
}

}  // namespace
}  // namespace platform
