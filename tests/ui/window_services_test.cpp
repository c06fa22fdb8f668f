// The services every window shares: a test's replacements take the place
// of the view's own and of the clock, the others pass through; the folder
// listing posts its end to the window and hands over the files found.
#include "ui/window_services.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "tests/support/temp_folder.h"
#include "ui/memory/memory_dialog_host.h"
#include "ui/memory/memory_message_queue.h"

namespace {

ViewServices ViewOf(MemoryDialogHost& host) {
  return ViewServices{host, host, host, host, host, host};
}

TEST(WindowServices, OverridesReplaceTheViewsOwnServices) {
  MemoryMessageQueue queue;
  MemoryDialogHost view;
  {
    WindowServices services(queue, ".");
    const DialogServices dialog = services.ForDialog(ViewOf(view));
    EXPECT_EQ(&dialog.window, static_cast<DialogWindow*>(&view));
    EXPECT_EQ(&dialog.messageBox, static_cast<MessageBoxService*>(&view));
    EXPECT_EQ(&dialog.saveFileChooser, static_cast<SaveFileChooser*>(&view));
    EXPECT_EQ(&dialog.timer, static_cast<DialogTimer*>(&view));
    EXPECT_EQ(&dialog.opener, static_cast<DesktopOpener*>(&view));
    EXPECT_NE(&dialog.clock, static_cast<TickClock*>(&view));
    EXPECT_EQ(&services.Clock(), &dialog.clock);
  }
  MemoryDialogHost replacement;
  ServiceOverrides overrides;
  overrides.clock = &replacement;
  overrides.timer = &replacement;
  overrides.opener = &replacement;
  overrides.messageBox = &replacement;
  overrides.saveFileChooser = &replacement;
  WindowServices services(queue, ".", overrides);
  const DialogServices dialog = services.ForDialog(ViewOf(view));
  EXPECT_EQ(&dialog.window, static_cast<DialogWindow*>(&view));
  EXPECT_EQ(&dialog.folderChooser, static_cast<FolderChooser*>(&view));
  EXPECT_EQ(&dialog.messageBox, static_cast<MessageBoxService*>(&replacement));
  EXPECT_EQ(&dialog.saveFileChooser, static_cast<SaveFileChooser*>(&replacement));
  EXPECT_EQ(&dialog.timer, static_cast<DialogTimer*>(&replacement));
  EXPECT_EQ(&dialog.opener, static_cast<DesktopOpener*>(&replacement));
  EXPECT_EQ(&dialog.clock, static_cast<TickClock*>(&replacement));
  EXPECT_EQ(&services.Opener(view), static_cast<DesktopOpener*>(&replacement));
}

TEST(WindowServices, FolderListingPostsToTheWindowAndHandsOverTheFiles) {
  TempFolder folder;
  std::ofstream(folder.File("one.mp3")) << "x";
  std::ofstream(folder.File("notes.txt")) << "x";
  MemoryMessageQueue queue;
  WindowServices services(queue, folder.Path());
  const uintptr_t scan = services.FolderScan().Start(folder.Path());
  PostedMessage message{};
  ASSERT_TRUE(queue.Take(message, std::chrono::seconds(30)));
  EXPECT_EQ(message.message, BackgroundFolderScan::kFolderScanned);
  EXPECT_EQ(message.wParam, scan);
  const auto paths = services.FolderScan().TakeResult(scan);
  ASSERT_TRUE(paths.has_value());
  ASSERT_EQ(paths->size(), 1u);
  EXPECT_NE(paths->front().find("one.mp3"), std::string::npos);
  services.StopWorkers();
  EXPECT_FALSE(services.FolderScan().Running());
  EXPECT_EQ(queue.Pending(), 0u);
}

}  // namespace
