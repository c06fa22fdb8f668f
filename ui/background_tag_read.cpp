// Reading tempo tags on a worker thread. See background_tag_read.h.
#include "ui/background_tag_read.h"

#include <utility>
#include <vector>

BackgroundTagRead::~BackgroundTagRead() {
  Cancel();
}

void BackgroundTagRead::Start(TagReadRequest request) {
  Cancel();
  stop_.store(false);
  {
    std::lock_guard lock(mutex_);
    done_ = TagReadRequest{request.listing, {}};
  }
  worker_ = std::thread([this, request = std::move(request)]() mutable {
    std::vector<TagReadItem> batch;
    const size_t count = request.items.size();
    for (size_t i = 0; i < count && !stop_.load(std::memory_order_relaxed); ++i) {
      TagReadItem& item = request.items[i];
      item.text = TagTempoText(reader_.ReadTempo(item.path));
      batch.push_back(std::move(item));
      if (batch.size() == static_cast<size_t>(kBatch) || i + 1 == count) {
        {
          std::lock_guard lock(mutex_);
          for (TagReadItem& read : batch) done_.items.push_back(std::move(read));
        }
        batch.clear();
        // The message only wakes the window, which takes the results with
        // their listing number; the number in it is for reading a trace
        // (cut to the pointer's width on 32-bit systems).
        target_.Post(kTagsRead, static_cast<uintptr_t>(request.listing), 0);
      }
    }
  });
}

TagReadRequest BackgroundTagRead::TakeResults() {
  std::lock_guard lock(mutex_);
  TagReadRequest taken{done_.listing, std::move(done_.items)};
  done_.items.clear();
  return taken;
}

void BackgroundTagRead::Cancel() {
  if (worker_.joinable()) {
    stop_.store(true);
    worker_.join();
  }
  std::lock_guard lock(mutex_);
  done_.items.clear();
}
