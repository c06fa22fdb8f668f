// MemoryMessageQueue: a MessageTarget that keeps the analysis' messages in
// memory until the owner's thread delivers them to the dialog, as a
// window's event loop would. Post may be called from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

#include "platform/message_target.h"

class MainDialog;

struct PostedMessage {
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
};

class MemoryMessageQueue : public MessageTarget {
 public:
  void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

  // Waits up to `timeout` for a message and takes it off the queue.
  bool Take(PostedMessage& message, std::chrono::milliseconds timeout);
  // Delivers messages to the dialog, in order, until its analysis run has
  // ended; false when no message came within `timeout` of the last one.
  bool DeliverUntilRunEnds(MainDialog& dialog, std::chrono::milliseconds timeout);
  size_t Pending();

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<PostedMessage> messages_;
};
