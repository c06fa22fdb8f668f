// Safe rename and copy on real files: nothing the user had may be lost or
// damaged, whatever fails. Permission and disk-full cases run in a child
// process (as an unprivileged user, or with a file size limit), since root
// is not bound by permissions.
#include "platform/file_transfer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::string Bytes(size_t n, char seed) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(seed + static_cast<char>(i * 7));
  return s;
}

void Write(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  ASSERT_TRUE(out.good()) << path;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Names in the folder, to see that no temporary copy was left behind.
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Runs `body` in a child process of its own (see RunInChild).
bool InChild(bool dropRoot, const std::function<bool()>& body) {
  return RunInChild(dropRoot, [&](std::string&) { return body(); }).ok;
}

}  // namespace

TEST(MoveFileNoReplace, RenamesAndNeverReplacesAnotherFile) {
  TempFolder t;
  const std::string a = t.File("Track one.mp3"), b = t.File("(127.9) Track one.mp3");
  const std::string other = t.File("other.mp3");
  Write(a, Bytes(5000, 'a'));
  Write(other, Bytes(3000, 'o'));

  std::string error;
  ASSERT_TRUE(MoveFileNoReplace(a, b, &error)) << error;
  EXPECT_FALSE(fs::exists(a));
  EXPECT_EQ(Read(b), Bytes(5000, 'a'));

  // Renaming twice: the old name is gone, so the second rename fails.
  EXPECT_FALSE(MoveFileNoReplace(a, b, &error));
  EXPECT_EQ(error, std::strerror(ENOENT));

  // A taken name: the rename fails and both files survive byte for byte.
  EXPECT_FALSE(MoveFileNoReplace(b, other, &error));
  EXPECT_EQ(error, std::strerror(EEXIST));
  EXPECT_EQ(Read(b), Bytes(5000, 'a'));
  EXPECT_EQ(Read(other), Bytes(3000, 'o'));
}

// The two fallbacks for file systems without renameat2's refusal or
// without hard links keep the same promise.
TEST(MoveFileNoReplace, FallbacksRefuseATakenNameToo) {
  using file_transfer_detail::MoveByClaim;
  using file_transfer_detail::MoveByLink;
  for (auto move : {MoveByLink, MoveByClaim}) {
    TempFolder t;
    Write(t.File("a.mp3"), "first");
    Write(t.File("taken.mp3"), "second");
    int e = 0;
    EXPECT_FALSE(move(t.File("a.mp3"), t.File("taken.mp3"), &e));
    EXPECT_EQ(e, EEXIST);
    EXPECT_EQ(Read(t.File("a.mp3")), "first");
    EXPECT_EQ(Read(t.File("taken.mp3")), "second");

    EXPECT_FALSE(move(t.File("missing.mp3"), t.File("new.mp3"), &e));
    EXPECT_FALSE(fs::exists(t.File("new.mp3")));  // no claim left behind

    ASSERT_TRUE(move(t.File("a.mp3"), t.File("b.mp3"), &e)) << std::strerror(e);
    EXPECT_FALSE(fs::exists(t.File("a.mp3")));
    EXPECT_EQ(Read(t.File("b.mp3")), "first");
  }
}

TEST(CopyFileReplacing, CopiesBytesPermissionsAndTimeAndReplacesATarget) {
  TempFolder t;
  const std::string a = t.File("a.mp3"), copy = t.File("a (128).mp3");
  Write(a, Bytes(700000, 's'));
  ASSERT_EQ(chmod(a.c_str(), 0640), 0);
  const struct timespec old[2] = {{1000000000, 0}, {1200000000, 500000000}};
  ASSERT_EQ(utimensat(AT_FDCWD, a.c_str(), old, 0), 0);
  Write(copy, Bytes(900000, 't'));  // longer than the source: must not keep a tail

  std::string error;
  ASSERT_TRUE(CopyFileReplacing(a, copy, &error)) << error;
  EXPECT_EQ(Read(copy), Bytes(700000, 's'));
  EXPECT_EQ(Read(a), Bytes(700000, 's'));
  struct stat st;
  ASSERT_EQ(stat(copy.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(st.st_mtim.tv_sec, 1200000000);
  EXPECT_EQ(st.st_mtim.tv_nsec, 500000000);
  EXPECT_EQ(Names(t.Path()), (std::vector<std::string>{"a (128).mp3", "a.mp3"}));
}

TEST(CopyFileReplacing, AVanishedSourceOrAPipeLeavesTheTargetAlone) {
  TempFolder t;
  Write(t.File("target.mp3"), "keep me");
  std::string error;
  EXPECT_FALSE(CopyFileReplacing(t.File("gone.mp3"), t.File("target.mp3"), &error));
  EXPECT_EQ(error, std::strerror(ENOENT));
  ASSERT_EQ(mkfifo(t.File("pipe.mp3").c_str(), 0600), 0);
  EXPECT_FALSE(CopyFileReplacing(t.File("pipe.mp3"), t.File("target.mp3"), &error));
  EXPECT_EQ(error, "not a regular file");
  EXPECT_EQ(Read(t.File("target.mp3")), "keep me");
  EXPECT_EQ(Names(t.Path()), (std::vector<std::string>{"pipe.mp3", "target.mp3"}));
}

TEST(CopyFileReplacing, AReadOnlyFolderFailsWithoutATrace) {
  TempFolder t;
  chmod(t.Path().c_str(), 0755);
  fs::create_directory(t.File("locked"));
  Write(t.File("a.mp3"), Bytes(1000, 'a'));
  chmod(t.File("a.mp3").c_str(), 0644);
  Write(t.File("locked/a (120).mp3"), "old copy");
  chmod(t.File("locked/a (120).mp3").c_str(), 0644);
  chmod(t.File("locked").c_str(), 0555);
  EXPECT_TRUE(InChild(true, [&] {
    std::string error;
    return !CopyFileReplacing(t.File("a.mp3"), t.File("locked/a (120).mp3"), &error) &&
           error == std::strerror(EACCES);
  }));
  EXPECT_EQ(Read(t.File("locked/a (120).mp3")), "old copy");
  EXPECT_EQ(Names(t.File("locked")), (std::vector<std::string>{"a (120).mp3"}));
}

// A disk that fills up during the copy (a file size limit stands in for
// it): the copy fails, the old target is whole, no partial file is left.
TEST(CopyFileReplacing, AFullDiskFailsWithoutATrace) {
  TempFolder t;
  Write(t.File("big.mp3"), Bytes(1 << 20, 'b'));
  Write(t.File("big (140).mp3"), "old copy");
  EXPECT_TRUE(InChild(false, [&] {
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
    const struct rlimit limit = {64 * 1024, 64 * 1024};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return false;
    std::string error;
    return !CopyFileReplacing(t.File("big.mp3"), t.File("big (140).mp3"), &error) &&
           error == std::strerror(EFBIG);
  }));
  EXPECT_EQ(Read(t.File("big (140).mp3")), "old copy");
  EXPECT_EQ(Names(t.Path()), (std::vector<std::string>{"big (140).mp3", "big.mp3"}));
}
