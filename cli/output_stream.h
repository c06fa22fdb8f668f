// OutputStream: where a command writes its results (standard output or a
// file), with every write checked.
//
// Output that cannot be written (a full disk, a closed pipe, /dev/full)
// must not pass in silence: the first failed write is kept, later writes
// are not attempted, and the caller prints one error and stops. With
// SIGPIPE ignored a closed pipe is such a failure too; with its default
// action the process ends there, as other programs do.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

class OutputStream {
 public:
  // Writes to an open stream, which Finish closes; `name` is used in errors.
  OutputStream(std::FILE* stream, std::string name) : stream_(stream), name_(std::move(name)) {}
  OutputStream(const OutputStream&) = delete;
  OutputStream& operator=(const OutputStream&) = delete;
  ~OutputStream() { Finish(); }

  // Each returns false once anything failed. WriteLine adds the line end
  // and flushes, so that every line leaves when it is complete.
  bool Write(const void* bytes, size_t count);
  bool Write(std::string_view text) { return Write(text.data(), text.size()); }
  bool WriteLine(std::string_view line);
  // Flushes and closes the stream (standard output too); false when that or
  // any write before it failed.
  bool Finish();

  bool Failed() const { return error_ != 0; }
  // "cannot write <name>: <reason>", once Failed().
  std::string ErrorText() const;

 private:
  void Fail();

  std::FILE* stream_;
  std::string name_;
  int error_ = 0;
};

// Writes a command's --help text to standard output: exit status 0, or 1
// (with the error on standard error) when it cannot be written.
int PrintHelp(std::string_view text);
