// FaultGuard with a vectored exception handler and a per-thread jump
// buffer. See fault_guard.h.
//
// Reading a page of a mapped file that can no longer be read (the file was
// cut, the network share or the USB stick went away) raises
// EXCEPTION_IN_PAGE_ERROR, Windows' SIGBUS. The handler does not jump out
// of the exception dispatch itself: it points the faulting thread at
// ResumeAfterFault, on its own stack below the faulting frame, and lets it
// continue; that function then jumps back to Run. Faults outside a guarded
// range, and every other exception, go on to the next handler.
#include <windows.h>

#include <mutex>

#include "platform/fault_guard.h"

namespace {

struct ActiveGuard {
  void* jump[5];  // __builtin_setjmp's buffer
  const uint8_t* begin;
  size_t length;
};

thread_local ActiveGuard* tActive = nullptr;

[[noreturn]] void ResumeAfterFault() {
  __builtin_longjmp(tActive->jump, 1);
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
  ActiveGuard* guard = tActive;
  if (guard == nullptr || record->ExceptionCode != EXCEPTION_IN_PAGE_ERROR ||
      record->NumberParameters < 2)
    return EXCEPTION_CONTINUE_SEARCH;
  const auto address = reinterpret_cast<const uint8_t*>(record->ExceptionInformation[1]);
  if (address < guard->begin || address >= guard->begin + guard->length)
    return EXCEPTION_CONTINUE_SEARCH;
  CONTEXT* context = pointers->ContextRecord;
  // A fresh, aligned frame below the faulting one, as if ResumeAfterFault
  // had been called from there (the return address slot left empty).
#if defined(_M_X64) || defined(__x86_64__)
  context->Rsp = ((context->Rsp - 512) & ~DWORD64{15}) - 8;
  context->Rip = reinterpret_cast<DWORD64>(&ResumeAfterFault);
#elif defined(_M_IX86) || defined(__i386__)
  context->Esp = ((context->Esp - 512) & ~DWORD{15}) - 4;
  context->Eip = reinterpret_cast<DWORD>(&ResumeAfterFault);
#else
#error "the fault guard knows no other processor"
#endif
  return EXCEPTION_CONTINUE_EXECUTION;
}

void InstallHandler() {
  static std::once_flag once;
  std::call_once(once, [] { AddVectoredExceptionHandler(1, OnException); });
}

// Kept out of line: __builtin_setjmp must not be in the same function as
// the longjmp, and the jump buffer must outlive fn.
__attribute__((noinline)) bool RunGuarded(ActiveGuard* guard, void (*fn)(void*), void* arg) {
  ActiveGuard* outer = tActive;
  if (__builtin_setjmp(guard->jump) != 0) {
    tActive = outer;
    return false;
  }
  tActive = guard;
  fn(arg);
  tActive = outer;
  return true;
}

}  // namespace

namespace fault_guard {

bool Run(const uint8_t* begin, size_t length, void (*fn)(void*), void* arg) {
  InstallHandler();
  ActiveGuard guard;
  guard.begin = begin;
  guard.length = length;
  return RunGuarded(&guard, fn, arg);
}

}  // namespace fault_guard
