// MessageTarget: where the analysis worker posts its three messages.
//
// Post may be called from any thread and must not block for long: the
// window queues the message onto its event loop, tests queue it in memory.
// A post is the worker's hand-over: whatever the worker wrote before posting
// is visible to the thread that receives the message.
#pragma once

#include <cstdint>

class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  virtual void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};
