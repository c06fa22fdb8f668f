// BackgroundTagRead: reads the tempo tags of a listing's rows on a worker
// thread, for the "Tag" column, so that a large folder lists at once and
// its tags fill in afterwards.
//
// Start() begins reading a request's rows (ending a reading that still
// runs); the worker reads them in order and, after every kBatch rows and
// after the last, posts kTagsRead to the message target. On the owner's
// thread, TakeResults() then hands over the rows read since the last call,
// with the listing number of the request. Cancel() (and the destructor)
// stop the worker at the next row and wait for it; what it read and has
// not been taken is dropped. Start, TakeResults and Cancel belong to one
// thread, the owner's.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/message_target.h"
#include "ui/tag_reading.h"
#include "ui/tempo_tag_writer.h"

class BackgroundTagRead {
 public:
  // The message posted when rows have been read.
  static constexpr uint32_t kTagsRead = 1041;
  // Rows read between two messages.
  static constexpr int kBatch = 256;

  // The reader's ReadTempo is called on the worker thread; the target and
  // the reader must outlive this object.
  BackgroundTagRead(MessageTarget& target, TempoTagWriter& reader)
      : target_(target), reader_(reader) {}
  BackgroundTagRead(const BackgroundTagRead&) = delete;
  BackgroundTagRead& operator=(const BackgroundTagRead&) = delete;
  ~BackgroundTagRead();

  void Start(TagReadRequest request);
  TagReadRequest TakeResults();
  void Cancel();

 private:
  MessageTarget& target_;
  TempoTagWriter& reader_;
  std::thread worker_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  TagReadRequest done_;  // read and not yet taken, under mutex_
};
