// The platform services that have one interface and two implementations
// (POSIX and Win32), held to the same checks on both: built into the Linux
// suite and into the Windows suite that runs under wine. Names with
// non-ASCII letters are used throughout, since on Windows they only work
// when UTF-8 is converted to UTF-16 at every system call.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/fault_guard.h"
#include "platform/file_descriptor.h"
#include "platform/file_identity.h"
#include "platform/file_transfer.h"
#include "platform/folder_walk.h"
#include "platform/idle_priority.h"
#include "platform/mapped_file.h"
#include "platform/path.h"
#include "platform/program_folder.h"
#include "platform/thread_object.h"
#include "platform/utf8_path.h"
#include "tests/support/temp_folder.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

const std::string kCafe = "Caf\xC3\xA9 \xCE\xA9mega";  // "Café Ωmega"

void Write(const std::string& path, const std::string& content) {
  std::FILE* file = OpenStdioFile(path, "wb");
  ASSERT_NE(file, nullptr) << path;
  ASSERT_EQ(std::fwrite(content.data(), 1, content.size(), file), content.size());
  ASSERT_EQ(std::fclose(file), 0);
}

std::string Read(const std::string& path) {
  std::FILE* file = OpenStdioFile(path, "rb");
  if (file == nullptr) return "<missing>";
  std::string content;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, n);
  std::fclose(file);
  return content;
}

// Bytes that text mode would change: line ends, a Ctrl-Z, every byte value.
std::string BinaryContent(size_t size) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 151 + 10) & 0xFF);
  s[0] = '\n';
  s[1] = '\x1A';
  return s;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(Utf8Path(folder)))
    names.push_back(PathText(entry.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

class Collector : public FolderWalkVisitor {
 public:
  void OnFile(const std::string& path) override { files.push_back(path); }
  void OnFolderError(const std::string& path, int) override { errors.push_back(path); }
  std::vector<std::string> files, errors;
};

}  // namespace

TEST(PlatformServices, AMappedFileHoldsTheFileBytesAndRefusesWhatIsNoFile) {
  TempFolder folder;
  const std::string path = JoinPath(folder.Path(), kCafe + ".mp3");
  const std::string content = BinaryContent(70000);
  Write(path, content);
  MappedFile mapped;
  std::string error;
  ASSERT_TRUE(mapped.Open(path, &error)) << error;
  ASSERT_EQ(mapped.Size(), content.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(mapped.Data()), mapped.Size()), content);
  mapped.Close();
  EXPECT_FALSE(mapped.IsOpen());

  Write(JoinPath(folder.Path(), "empty.mp3"), "");
  EXPECT_FALSE(mapped.Open(JoinPath(folder.Path(), "empty.mp3"), &error));
  EXPECT_EQ(error, "empty file");
  EXPECT_FALSE(mapped.Open(folder.Path(), &error));
  EXPECT_EQ(error, "is a directory");
  error.clear();
  EXPECT_FALSE(mapped.Open(JoinPath(folder.Path(), "missing.mp3"), &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(mapped.IsOpen());
}

TEST(PlatformServices, AFileMayBeRenamedWhileItIsMapped) {
  // The window maps a file while the user may rename it in another program.
  TempFolder folder;
  const std::string path = JoinPath(folder.Path(), "a.mp3");
  Write(path, BinaryContent(5000));
  MappedFile mapped;
  ASSERT_TRUE(mapped.Open(path));
  std::string error;
  EXPECT_TRUE(MoveFileNoReplace(path, JoinPath(folder.Path(), "b.mp3"), &error)) << error;
  EXPECT_EQ(mapped.Data()[0], '\n');
}

TEST(PlatformServices, TheFolderWalkFindsEveryFileOnceWithItsFullName) {
  TempFolder folder;
  const std::string sub = JoinPath(folder.Path(), kCafe);
  const std::string deeper = JoinPath(sub, "deeper");
  fs::create_directories(Utf8Path(deeper));
  Write(JoinPath(folder.Path(), "top.mp3"), "x");
  Write(JoinPath(sub, kCafe + ".mp3"), "x");
  Write(JoinPath(deeper, "low.MP3"), "x");
  Write(JoinPath(deeper, "notes.txt"), "x");
  Collector collector;
  FolderWalkRules rules;
  rules.takeName = [](std::string_view name) {
    return name.size() > 4 && (name.ends_with(".mp3") || name.ends_with(".MP3"));
  };
  ASSERT_TRUE(WalkFolder(folder.Path(), rules, collector));
  std::sort(collector.files.begin(), collector.files.end());
  const std::vector<std::string> expected = {JoinPath(deeper, "low.MP3"),
                                             JoinPath(sub, kCafe + ".mp3"),
                                             JoinPath(folder.Path(), "top.mp3")};
  std::vector<std::string> sortedExpected = expected;
  std::sort(sortedExpected.begin(), sortedExpected.end());
  EXPECT_EQ(collector.files, sortedExpected);
  EXPECT_TRUE(collector.errors.empty());
  for (const std::string& file : collector.files) EXPECT_EQ(Read(file), "x") << file;

  Collector missing;
  EXPECT_FALSE(WalkFolder(JoinPath(folder.Path(), "missing"), rules, missing));
  EXPECT_EQ(missing.errors, std::vector<std::string>{JoinPath(folder.Path(), "missing")});
  EXPECT_TRUE(missing.files.empty());
}

TEST(PlatformServices, RenamingNeverReplacesAFile) {
  TempFolder folder;
  const std::string from = JoinPath(folder.Path(), kCafe + ".mp3");
  const std::string taken = JoinPath(folder.Path(), "(128) " + kCafe + ".mp3");
  Write(from, "mine");
  Write(taken, "theirs");
  std::string error;
  EXPECT_FALSE(MoveFileNoReplace(from, taken, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(Read(from), "mine");
  EXPECT_EQ(Read(taken), "theirs");

  const std::string free = JoinPath(folder.Path(), "(128.00) " + kCafe + ".mp3");
  ASSERT_TRUE(MoveFileNoReplace(from, free, &error)) << error;
  EXPECT_EQ(Read(free), "mine");
  EXPECT_EQ(Read(from), "<missing>");
  EXPECT_FALSE(MoveFileNoReplace(JoinPath(folder.Path(), "gone.mp3"),
                                 JoinPath(folder.Path(), "new.mp3"), &error));
}

TEST(PlatformServices, ACopyReplacesItsTargetWholeAndLeavesNothingBehind) {
  TempFolder folder;
  const std::string from = JoinPath(folder.Path(), kCafe + ".mp3");
  const std::string to = JoinPath(folder.Path(), "(128) " + kCafe + ".mp3");
  const std::string content = BinaryContent(600000);
  Write(from, content);
  Write(to, "old target");
  const auto past = fs::file_time_type::clock::now() - std::chrono::hours(24 * 30);
  fs::last_write_time(Utf8Path(from), past);
  std::string error;
  ASSERT_TRUE(CopyFileReplacing(from, to, &error)) << error;
  EXPECT_EQ(Read(to), content);
  EXPECT_EQ(Read(from), content);
  const auto copied = fs::last_write_time(Utf8Path(to));
  EXPECT_LT(std::chrono::abs(copied - past), std::chrono::seconds(2));
  EXPECT_EQ(Names(folder.Path()),
            (std::vector<std::string>{"(128) " + kCafe + ".mp3", kCafe + ".mp3"}));

  // A source that is gone, or is a folder, leaves the target as it was.
  EXPECT_FALSE(CopyFileReplacing(JoinPath(folder.Path(), "gone.mp3"), to, &error));
  EXPECT_FALSE(CopyFileReplacing(folder.Path(), to, &error));
  EXPECT_EQ(Read(to), content);
  EXPECT_EQ(Names(folder.Path()).size(), 2u);
}

TEST(PlatformServices, FileIdentitiesTellFilesApartNotNames) {
  TempFolder folder;
  const std::string a = JoinPath(folder.Path(), kCafe + ".mp3");
  const std::string b = JoinPath(folder.Path(), "b.mp3");
  Write(a, "same bytes");
  Write(b, "same bytes");
  const auto identityA = IdentityOfPath(a);
  ASSERT_TRUE(identityA.has_value());
  EXPECT_EQ(IdentityOfPath(JoinPath(JoinPath(folder.Path(), "."), kCafe + ".mp3")), identityA);
  EXPECT_NE(IdentityOfPath(b), identityA);
  const std::string link = JoinPath(folder.Path(), "hard link.mp3");
  fs::create_hard_link(Utf8Path(a), Utf8Path(link));
  EXPECT_EQ(IdentityOfPath(link), identityA);
  EXPECT_FALSE(IdentityOfPath(JoinPath(folder.Path(), "missing.mp3")).has_value());

  std::FILE* stream = OpenStdioFile(b, "ab");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(IdentityOfStream(stream), IdentityOfPath(b));
  std::fclose(stream);
}

TEST(PlatformServices, DescriptorsReadAndWriteAtOffsetsInBinary) {
  TempFolder folder;
  const std::string path = JoinPath(folder.Path(), kCafe + ".wav");
  const std::string content = BinaryContent(1000);
  Write(path, content);
  const int descriptor = OpenDescriptor(path, FileAccess::kReadWrite);
  ASSERT_GE(descriptor, 0);
  const std::optional<DescriptorStatus> status = StatusOfDescriptor(descriptor);
  ASSERT_TRUE(status.has_value());
  EXPECT_TRUE(status->regular);
  EXPECT_TRUE(status->writable);
  EXPECT_EQ(status->size, 1000u);
  char head[4];
  EXPECT_EQ(ReadAt(descriptor, head, 4, 0), 4);
  EXPECT_EQ(std::string(head, 4), content.substr(0, 4));
  EXPECT_EQ(ReadAt(descriptor, head, 4, 998), 2);
  EXPECT_EQ(ReadAt(descriptor, head, 4, 1000), 0);
  EXPECT_TRUE(WriteAt(descriptor, "\n\r\n", 3, 10));
  EXPECT_TRUE(TruncateDescriptor(descriptor, 500));
  EXPECT_TRUE(FlushToDisk(descriptor));
  CloseDescriptor(descriptor);
  std::string expected = content.substr(0, 500);
  expected.replace(10, 3, "\n\r\n");
  EXPECT_EQ(Read(path), expected);

  const int folderDescriptor = OpenDescriptor(folder.Path(), FileAccess::kRead);
  if (folderDescriptor >= 0) {  // Linux opens folders for reading; Windows too, as a handle
    const std::optional<DescriptorStatus> folderStatus = StatusOfDescriptor(folderDescriptor);
    ASSERT_TRUE(folderStatus.has_value());
    EXPECT_FALSE(folderStatus->regular);
    CloseDescriptor(folderDescriptor);
  }
  EXPECT_LT(OpenDescriptor(JoinPath(folder.Path(), "missing"), FileAccess::kRead), 0);
  const std::optional<std::string> resolved = ResolvedPath(path);
  ASSERT_TRUE(resolved.has_value());
  EXPECT_EQ(FileNameOf(*resolved), kCafe + ".wav");
  EXPECT_EQ(IdentityOfPath(*resolved), IdentityOfPath(path));
}

TEST(PlatformServices, TheProgramFolderHoldsTheRunningProgram) {
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  std::error_code error;
  EXPECT_TRUE(fs::is_directory(Utf8Path(folder), error)) << folder;
  bool found = false;
  for (const auto& entry : fs::directory_iterator(Utf8Path(folder), error))
    found = found || PathText(entry.path().filename()).starts_with("platform");
  EXPECT_TRUE(found) << "no test program in " << folder;
}

namespace {

// Counts its objects' lives in a buffer it owns, so that a destructor run
// on freed memory would show as a wrong count or a crash.
struct CountedScratch {
  static inline std::atomic<int> made{0}, destroyed{0};
  std::vector<int> buffer = std::vector<int>(1000, 7);
  CountedScratch() { ++made; }
  ~CountedScratch() {
    if (buffer.size() == 1000 && buffer[999] == 7) ++destroyed;
  }
};

}  // namespace

TEST(PlatformServices, EachThreadHasItsOwnObjectAndItGoesWithTheThread) {
  std::vector<std::thread> threads;
  std::atomic<int> distinct{0};
  for (int i = 0; i < 16; ++i) {
    threads.emplace_back([&distinct] {
      CountedScratch& first = ThreadObject<CountedScratch>();
      if (&first == &ThreadObject<CountedScratch>()) ++distinct;
      first.buffer[0] = 1;
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(distinct.load(), 16);
  EXPECT_EQ(CountedScratch::made.load(), 16);
  EXPECT_EQ(CountedScratch::destroyed.load(), 16);
}

TEST(PlatformServices, AWorkerThreadCanBeLoweredToIdlePriority) {
  bool lowered = false;
  bool idle = false;
  std::thread worker([&] {
    lowered = LowerThreadToIdlePriority();
#if defined(_WIN32)
    idle = GetThreadPriority(GetCurrentThread()) == THREAD_PRIORITY_IDLE;
#else
    // SCHED_IDLE, or where that is refused the weakest nice value.
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    idle = sched_getscheduler(0) == SCHED_IDLE || getpriority(PRIO_PROCESS, tid) == 19;
#endif
  });
  worker.join();
  EXPECT_TRUE(lowered);
  EXPECT_TRUE(idle);
}

#if defined(_WIN32)
// A read of a mapped page that fails (a cut file on a network share, a USB
// stick pulled out) raises EXCEPTION_IN_PAGE_ERROR. Raised here by hand with
// the faulting address inside, and outside, the guarded range.
namespace {

void RaiseInPageError(const uint8_t* address) {
  const ULONG_PTR arguments[2] = {0, reinterpret_cast<ULONG_PTR>(address)};
  RaiseException(EXCEPTION_IN_PAGE_ERROR, 0, 2, arguments);
}

}  // namespace

TEST(PlatformServices, AnInPageErrorInsideTheGuardedRangeEndsOnlyTheGuardedRun) {
  static uint8_t mapped[4096];
  int reached = 0;
  EXPECT_FALSE(fault_guard::Guard(mapped, sizeof mapped, [&] {
    reached = 1;
    RaiseInPageError(mapped + 100);
    reached = 2;
  }));
  EXPECT_EQ(reached, 1);
  // Nested: the inner guard's range does not take the outer one's faults.
  bool innerRan = false;
  EXPECT_FALSE(fault_guard::Guard(mapped, sizeof mapped, [&] {
    innerRan = fault_guard::Guard(mapped, 10, [] {});
    RaiseInPageError(mapped + 4000);
  }));
  EXPECT_TRUE(innerRan);
  // And the guard is ready again afterwards.
  EXPECT_TRUE(fault_guard::Guard(mapped, sizeof mapped, [&] { reached = 3; }));
  EXPECT_EQ(reached, 3);
}
#endif
