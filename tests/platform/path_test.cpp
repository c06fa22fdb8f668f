// Paths as text, in both styles on every system: a Windows path splits at
// '\', '/' and after a drive's colon; a Linux path only at '/', where '\' is
// an ordinary character of a name.
#include "platform/path.h"

#include <gtest/gtest.h>

namespace {

constexpr PathStyle kPosix = PathStyle::kPosix;
constexpr PathStyle kWindows = PathStyle::kWindows;

}  // namespace

TEST(Path, FileNamesStartAfterTheLastSeparatorOfTheStyle) {
  EXPECT_EQ(FileNameOf("/music/house.mp3", kPosix), "house.mp3");
  EXPECT_EQ(FileNameOf("house.mp3", kPosix), "house.mp3");
  EXPECT_EQ(FileNameOf("C:\\Music\\Set.1\\house.mp3", kPosix), "C:\\Music\\Set.1\\house.mp3");
  EXPECT_EQ(FileNameOf("C:\\Music\\Set.1\\house.mp3", kWindows), "house.mp3");
  EXPECT_EQ(FileNameOf("C:/Music\\mixed/house.mp3", kWindows), "house.mp3");
  EXPECT_EQ(FileNameOf("C:house.mp3", kWindows), "house.mp3");
  EXPECT_EQ(FileNameOf("\\\\server\\share\\house.mp3", kWindows), "house.mp3");
  EXPECT_EQ(FileNameOf("C:\\Music\\", kWindows), "");
  // A colon elsewhere is no drive.
  EXPECT_EQ(FileNameOf("ab:house.mp3", kWindows), "ab:house.mp3");
  EXPECT_EQ(FileNameStart("C:\\Music\\house.mp3", kWindows), 9u);
}

TEST(Path, TheFolderOfAFileKeepsItsRoot) {
  EXPECT_EQ(FolderOf("/music/house.mp3", kPosix), "/music");
  EXPECT_EQ(FolderOf("/house.mp3", kPosix), "/");
  EXPECT_EQ(FolderOf("house.mp3", kPosix), ".");
  EXPECT_EQ(FolderOf("C:\\Music\\Set.1\\house.mp3", kWindows), "C:\\Music\\Set.1");
  EXPECT_EQ(FolderOf("C:\\house.mp3", kWindows), "C:\\");
  EXPECT_EQ(FolderOf("C:house.mp3", kWindows), "C:");
  EXPECT_EQ(FolderOf("\\house.mp3", kWindows), "\\");
  EXPECT_EQ(FolderOf("house.mp3", kWindows), ".");
  EXPECT_EQ(FolderOf("C:\\Music\\Set.1\\house.mp3", kPosix), ".");
}

TEST(Path, JoiningPutsExactlyOneSeparatorBetween) {
  EXPECT_EQ(JoinPath("/", "a.mp3", kPosix), "/a.mp3");
  EXPECT_EQ(JoinPath("/music", "a.mp3", kPosix), "/music/a.mp3");
  EXPECT_EQ(JoinPath("/music/", "a.mp3", kPosix), "/music/a.mp3");
  EXPECT_EQ(JoinPath("", "a.mp3", kPosix), "a.mp3");
  EXPECT_EQ(JoinPath("dir\\", "a.mp3", kPosix), "dir\\/a.mp3");
  EXPECT_EQ(JoinPath("C:\\Music", "a.mp3", kWindows), "C:\\Music\\a.mp3");
  EXPECT_EQ(JoinPath("C:\\Music\\", "a.mp3", kWindows), "C:\\Music\\a.mp3");
  EXPECT_EQ(JoinPath("C:/Music/", "a.mp3", kWindows), "C:/Music/a.mp3");
  EXPECT_EQ(JoinPath("C:", "a.mp3", kWindows), "C:a.mp3");
  EXPECT_EQ(JoinPath("C:\\", "a.mp3", kWindows), "C:\\a.mp3");
}

TEST(Path, TrailingSeparatorsGoButNeverTheRoot) {
  EXPECT_EQ(WithoutTrailingSeparators("/music//", kPosix), "/music");
  EXPECT_EQ(WithoutTrailingSeparators("/", kPosix), "/");
  EXPECT_EQ(WithoutTrailingSeparators("//", kPosix), "/");
  EXPECT_EQ(WithoutTrailingSeparators("music", kPosix), "music");
  EXPECT_EQ(WithoutTrailingSeparators("C:\\Music\\", kWindows), "C:\\Music");
  EXPECT_EQ(WithoutTrailingSeparators("C:\\", kWindows), "C:\\");
  EXPECT_EQ(WithoutTrailingSeparators("C:", kWindows), "C:");
  EXPECT_EQ(WithoutTrailingSeparators("\\", kWindows), "\\");
  EXPECT_EQ(WithoutTrailingSeparators("C:\\Music\\", kPosix), "C:\\Music\\");
}
