// Handing targets to the desktop's opener: a stand-in opener that writes
// down the bytes of its argument shows that a name which is not UTF-8, and
// one full of shell characters, reach it unchanged.
#include "platform/desktop_open.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/support/temp_folder.h"

namespace {

// Reads the file once the opener has written it whole (it renames its
// record into place); gives up after a minute.
std::string AwaitRecord(const std::string& path) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!std::filesystem::exists(path) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(DesktopOpen, TheTargetReachesTheOpenerByteForByte) {
  TempFolder t;
  const std::string opener = t.File("opener");
  const std::string record = t.File("record");
  {
    std::ofstream script(opener);
    script << "#!/bin/sh\nprintf '%s' \"$1\" >'" << record << ".part'\nmv '" << record << ".part' '"
           << record << "'\n";
  }
  chmod(opener.c_str(), 0755);

  // A Latin-1 "é" (one byte 0xE9) and characters a shell would act on.
  const std::string target = t.File("Caf\xE9 $(touch x); `id` 'a' \"b\".mp3");
  ASSERT_TRUE(OpenWithDesktop(target, opener));
  EXPECT_EQ(AwaitRecord(record), target);
  EXPECT_FALSE(std::filesystem::exists("x"));
  EXPECT_FALSE(std::filesystem::exists(t.File("x")));
}
