// Analysis messages kept in memory. See memory_message_queue.h.
#include "ui/memory/memory_message_queue.h"

#include "ui/main_dialog.h"

void MemoryMessageQueue::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.push_back({message, wParam, lParam});
  }
  posted_.notify_one();
}

bool MemoryMessageQueue::Take(PostedMessage& message, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!posted_.wait_for(lock, timeout, [this] { return !messages_.empty(); })) return false;
  message = messages_.front();
  messages_.pop_front();
  return true;
}

bool MemoryMessageQueue::DeliverUntilRunEnds(MainDialog& dialog,
                                             std::chrono::milliseconds timeout) {
  while (dialog.AnalysisRunning()) {
    PostedMessage message;
    if (!Take(message, timeout)) return false;
    dialog.OnAnalysisMessage(message.message, message.wParam, message.lParam);
  }
  return true;
}

size_t MemoryMessageQueue::Pending() {
  std::lock_guard<std::mutex> lock(mutex_);
  return messages_.size();
}
