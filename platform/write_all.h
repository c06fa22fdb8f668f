// WriteAll: writes every byte of a buffer to a file descriptor.
//
// write() may take fewer bytes than offered, or be interrupted by a signal
// before it takes any; WriteAll goes on until all are written or a real
// error stops it (errno then says which).
#pragma once

#include <cstddef>

bool WriteAll(int descriptor, const void* data, size_t size);
