// Listing a folder on a worker thread. See background_folder_scan.h.
#include "ui/background_folder_scan.h"

#include "ui/folder_scan.h"

BackgroundFolderScan::~BackgroundFolderScan() {
  Cancel();
}

uintptr_t BackgroundFolderScan::Start(const std::string& folder, AudioFormats formats) {
  Cancel();
  stop_.store(false);
  found_.store(0);
  paths_.clear();
  const uintptr_t number = ++number_;
  worker_ = std::thread([this, folder, number, formats] {
    paths_ = ScanFolderPaths(folder, &stop_, &found_, formats);
    // Posting is the worker's last use of anything shared: the owner joins
    // it before it reads the paths.
    target_.Post(kFolderScanned, number, 0);
  });
  return number;
}

std::optional<std::vector<std::string>> BackgroundFolderScan::TakeResult(uintptr_t number) {
  if (number != number_ || !worker_.joinable()) return std::nullopt;
  worker_.join();
  return std::move(paths_);
}

void BackgroundFolderScan::Cancel() {
  if (!worker_.joinable()) return;
  stop_.store(true);
  worker_.join();
  paths_.clear();
  // A message the worker posted before it stopped names a scan that is
  // no longer current.
  ++number_;
}
