/* heap_peak: a malloc wrapper for LD_PRELOAD that keeps count of the bytes a
 * process holds on the heap, and writes the highest count (in bytes) to the
 * file named by HEAP_PEAK_FILE when the process ends. Memory mappings (the
 * mapped audio file, thread stacks) are not heap and are not counted.
 *
 * The allocator itself is glibc's, reached through its __libc_ entry points,
 * so the wrapper needs no symbol lookup while it is being loaded. */
#define _GNU_SOURCE
#include <errno.h>
#include <malloc.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>

extern void* __libc_malloc(size_t size);
extern void __libc_free(void* pointer);
extern void* __libc_calloc(size_t count, size_t size);
extern void* __libc_realloc(void* pointer, size_t size);
extern void* __libc_memalign(size_t alignment, size_t size);

static atomic_long liveBytes;
static atomic_long peakBytes;

static void Count(void* pointer) {
  if (pointer == NULL) return;
  const long size = (long)malloc_usable_size(pointer);
  const long now = atomic_fetch_add(&liveBytes, size) + size;
  long peak = atomic_load(&peakBytes);
  while (now > peak && !atomic_compare_exchange_weak(&peakBytes, &peak, now)) {}
}

static void Uncount(void* pointer) {
  if (pointer != NULL) atomic_fetch_sub(&liveBytes, (long)malloc_usable_size(pointer));
}

void* malloc(size_t size) {
  void* pointer = __libc_malloc(size);
  Count(pointer);
  return pointer;
}

void free(void* pointer) {
  Uncount(pointer);
  __libc_free(pointer);
}

void* calloc(size_t count, size_t size) {
  void* pointer = __libc_calloc(count, size);
  Count(pointer);
  return pointer;
}

void* realloc(void* old, size_t size) {
  Uncount(old);
  void* pointer = __libc_realloc(old, size);
  if (pointer != NULL) {
    Count(pointer);
  } else if (old != NULL && size != 0) {
    Count(old); /* failed: the old block is still held */
  }
  return pointer;
}

void* memalign(size_t alignment, size_t size) {
  void* pointer = __libc_memalign(alignment, size);
  Count(pointer);
  return pointer;
}

void* aligned_alloc(size_t alignment, size_t size) {
  return memalign(alignment, size);
}

int posix_memalign(void** result, size_t alignment, size_t size) {
  void* pointer = memalign(alignment, size);
  if (pointer == NULL && size != 0) return ENOMEM;
  *result = pointer;
  return 0;
}

__attribute__((destructor)) static void WritePeak(void) {
  const char* path = getenv("HEAP_PEAK_FILE");
  if (path == NULL) return;
  FILE* file = fopen(path, "w");
  if (file == NULL) return;
  fprintf(file, "%ld\n", atomic_load(&peakBytes));
  fclose(file);
}
