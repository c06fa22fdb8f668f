// ThreadObject<T>(): an object of type T of the calling thread's own, made
// on first use and destroyed when the thread ends.
//
// On Linux this is a thread_local object. On Windows GCC keeps thread_local
// objects in emulated thread storage, which the runtime may free before
// the objects' destructors run when a thread ends: a destructor then reads
// freed memory, and now and then the program dies as a worker thread
// finishes. There the object lives on the heap and a fiber-local storage
// slot's callback, which Windows calls at thread end, deletes it.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#endif

#if defined(_WIN32)
namespace thread_object_detail {

template <typename T>
struct Slot {
  static void WINAPI Delete(void* object) { delete static_cast<T*>(object); }
  static DWORD Index() {
    static const DWORD index = FlsAlloc(&Delete);
    return index;
  }
  // Only when Windows has no slot left: the object then stays to the end.
  static T* Leaked() {
    thread_local T* object = nullptr;
    if (object == nullptr) object = new T();
    return object;
  }
};

}  // namespace thread_object_detail
#endif

template <typename T>
T& ThreadObject() {
#if defined(_WIN32)
  using Slot = thread_object_detail::Slot<T>;
  const DWORD index = Slot::Index();
  if (index == FLS_OUT_OF_INDEXES) return *Slot::Leaked();
  auto* object = static_cast<T*>(FlsGetValue(index));
  if (object == nullptr) {
    object = new T();
    FlsSetValue(index, object);
  }
  return *object;
#else
  thread_local T object;
  return object;
#endif
}
