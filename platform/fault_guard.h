// FaultGuard: survives SIGBUS (Windows: EXCEPTION_IN_PAGE_ERROR) while
// reading a mapped file.
//
// A mapped file that another program truncates (or a disk that fails) turns
// reads of the vanished pages into SIGBUS, which would end the program. Code
// that reads mapped bytes runs inside FaultGuard::Run: a fault within the
// guarded address range unwinds to Run, which returns false; the program
// goes on and only that file's analysis fails. Faults elsewhere keep their
// default effect.
//
// The guarded code must not own resources that need destructors between the
// fault and Run (it is left by a long jump): the decoder works on fixed
// buffers only, which is why it is safe to guard.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fault_guard {

// Runs fn(arg) with faults on [begin, begin + length) caught. Returns true
// when fn ran to its end, false when a fault in the range cut it short.
bool Run(const uint8_t* begin, size_t length, void (*fn)(void*), void* arg);

// Runs a callable the same way.
template <typename F>
bool Guard(const uint8_t* begin, size_t length, F&& f) {
  return Run(
      begin, length, [](void* p) { (*static_cast<F*>(p))(); }, &f);
}

}  // namespace fault_guard
