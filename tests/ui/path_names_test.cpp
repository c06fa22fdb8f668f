// The window's file names on the system's own paths: the tempo goes into
// the file's name (never before a drive or a folder), the run log writes
// the name alone, and a default extension goes onto the name, not onto a
// folder with a point. On Windows '\' separates and "C:" ends a drive; on
// Linux '\' is a character of the name. Built into the Linux suite and the
// Windows suite under wine.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/path.h"
#include "platform/utf8_path.h"
#include "tests/support/temp_folder.h"
#include "ui/rename_with_bpm.h"
#include "ui/run_log.h"
#include "ui/save_file_chooser.h"
#include "ui/startup_arguments.h"

TEST(PathNames, TheTempoGoesIntoTheFileNameOfANativePath) {
#if defined(_WIN32)
  EXPECT_EQ(PathWithBpm("C:\\Music\\Set.1\\house.mp3", 128, 0, TagPosition::kBeginning),
            "C:\\Music\\Set.1\\(128) house.mp3");
  EXPECT_EQ(PathWithBpm("C:\\Music\\Set.1\\house", 128, 0, TagPosition::kEnd),
            "C:\\Music\\Set.1\\house (128)");
  EXPECT_EQ(PathWithBpm("C:house.mp3", 90.5, 1, TagPosition::kBeginning), "C:(90.5) house.mp3");
  EXPECT_EQ(PathWithBpm("\\\\server\\share\\a.b\\track", 90, 0, TagPosition::kEnd),
            "\\\\server\\share\\a.b\\track (90)");
  EXPECT_EQ(PathWithBpm("D:/Mixed\\Set.2/track.mp3", 100, 0, TagPosition::kEnd),
            "D:/Mixed\\Set.2/track (100).mp3");
#else
  // A backslash is part of a Linux file name.
  EXPECT_EQ(PathWithBpm("/m/back\\slash.mp3", 128, 0, TagPosition::kBeginning),
            "/m/(128) back\\slash.mp3");
  // So "Set.1\house" is one name, whose extension is ".1\house".
  EXPECT_EQ(PathWithBpm("/Set.1\\house", 128, 0, TagPosition::kEnd), "/Set (128).1\\house");
#endif
}

TEST(PathNames, TheRunLogWritesTheFileNameAlone) {
#if defined(_WIN32)
  EXPECT_EQ(FormatLogLine("C:\\Music\\Set.1\\house.mp3", "127.86", 2),
            "house.mp3" + std::string(65, ' ') + "127.86\r\n");
  EXPECT_EQ(FormatLogLine("C:song.mp3", "5", 0), "song.mp3" + std::string(71, ' ') + "5\r\n");
#else
  EXPECT_EQ(FormatLogLine("/m/a\\b.mp3", "5", 0), "a\\b.mp3" + std::string(72, ' ') + "5\r\n");
#endif
}

TEST(PathNames, TheDefaultExtensionGoesOntoTheName) {
#if defined(_WIN32)
  EXPECT_EQ(AddDefaultExtension("C:\\Logs.2024\\run", "log"), "C:\\Logs.2024\\run.log");
  EXPECT_EQ(AddDefaultExtension("C:\\Logs\\run.txt", "log"), "C:\\Logs\\run.txt");
  EXPECT_EQ(AddDefaultExtension("C:\\Logs\\", "log"), "C:\\Logs\\");
#else
  EXPECT_EQ(AddDefaultExtension("/logs.2024/run", "log"), "/logs.2024/run.log");
  EXPECT_EQ(AddDefaultExtension("/logs/a.b\\run", "log"), "/logs/a.b\\run");
#endif
}

TEST(PathNames, AStartupFolderWithANonAsciiNameIsListedAsTheSystemWritesIt) {
  TempFolder t;
  const std::string name = "Caf\xC3\xA9 \xCE\xA9mega";
  const std::string folder = JoinPath(t.Path(), name);
  std::filesystem::create_directory(Utf8Path(folder));
  const StartupArguments arguments =
      ParseStartupArguments({"tempyra", t.Path() + "/./" + name + "/"});
  EXPECT_EQ(arguments.error, "");
  ASSERT_TRUE(arguments.folder.has_value());
  EXPECT_EQ(*arguments.folder, folder);
}
