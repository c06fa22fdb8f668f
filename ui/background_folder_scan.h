// BackgroundFolderScan: lists a folder's audio files (folder_scan.h) on a
// worker thread, so that the window stays responsive and can show how many
// files were found while a large tree is walked.
//
// Start() begins a scan (ending one that still runs) and returns its
// number; when the walk is over, the worker posts kFolderScanned to the
// message target with that number as wParam and ends. On the owner's
// thread, TakeResult(number) then joins the worker and hands over the
// paths in walk order; a message of a scan that was cancelled or replaced
// meanwhile gets nothing. Found() may be read at any time while the walk
// runs. Cancel() (and the destructor) stop the walk at the next entry and
// wait for the worker. Start, TakeResult and Cancel belong to one thread,
// the owner's.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/audio_file_names.h"
#include "platform/message_target.h"

class BackgroundFolderScan {
 public:
  // The message posted when a scan has ended (wParam: the scan's number).
  static constexpr uint32_t kFolderScanned = 1040;

  explicit BackgroundFolderScan(MessageTarget& target) : target_(target) {}
  BackgroundFolderScan(const BackgroundFolderScan&) = delete;
  BackgroundFolderScan& operator=(const BackgroundFolderScan&) = delete;
  ~BackgroundFolderScan();

  // `formats` chooses the names listed (folder_scan.h).
  uintptr_t Start(const std::string& folder, AudioFormats formats = AudioFormats::kMpegAndWave);
  // Whether a scan was started and its result not yet taken or cancelled.
  bool Running() const { return worker_.joinable(); }
  // Files found so far by the scan that runs (or ran last).
  int Found() const { return found_.load(std::memory_order_relaxed); }
  // The paths of scan `number` after its kFolderScanned message; nothing
  // for a scan that is no longer the current one.
  std::optional<std::vector<std::string>> TakeResult(uintptr_t number);
  void Cancel();

 private:
  MessageTarget& target_;
  std::thread worker_;
  std::atomic<bool> stop_{false};
  std::atomic<int> found_{0};
  uintptr_t number_ = 0;            // of the current scan
  std::vector<std::string> paths_;  // the worker's until it is joined
};
