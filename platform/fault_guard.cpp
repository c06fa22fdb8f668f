// FaultGuard with a process-wide SIGBUS handler and a per-thread jump buffer.
// See fault_guard.h.
#include "platform/fault_guard.h"

#include <setjmp.h>
#include <signal.h>

#include <mutex>

namespace {

struct ActiveGuard {
  sigjmp_buf jump;
  const uint8_t* begin;
  size_t length;
};

thread_local ActiveGuard* tActive = nullptr;
struct sigaction gPrevious;

void OnBusError(int signal, siginfo_t* info, void* context) {
  ActiveGuard* guard = tActive;
  if (guard != nullptr && info != nullptr) {
    auto address = static_cast<const uint8_t*>(info->si_addr);
    if (address >= guard->begin && address < guard->begin + guard->length)
      siglongjmp(guard->jump, 1);
  }
  // Not ours: behave as without the handler.
  if (gPrevious.sa_flags & SA_SIGINFO) {
    if (gPrevious.sa_sigaction != nullptr) {
      gPrevious.sa_sigaction(signal, info, context);
      return;
    }
  } else if (gPrevious.sa_handler != SIG_DFL && gPrevious.sa_handler != SIG_IGN &&
             gPrevious.sa_handler != nullptr) {
    gPrevious.sa_handler(signal);
    return;
  }
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

void InstallHandler() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction action = {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &gPrevious);
  });
}

}  // namespace

namespace fault_guard {

bool Run(const uint8_t* begin, size_t length, void (*fn)(void*), void* arg) {
  InstallHandler();
  ActiveGuard guard;
  guard.begin = begin;
  guard.length = length;
  ActiveGuard* outer = tActive;
  if (sigsetjmp(guard.jump, 1) != 0) {
    tActive = outer;
    return false;
  }
  tActive = &guard;
  fn(arg);
  tActive = outer;
  return true;
}

}  // namespace fault_guard
