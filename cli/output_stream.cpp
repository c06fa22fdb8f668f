// Checked output. See output_stream.h.
#include "cli/output_stream.h"

#include <cerrno>
#include <cstring>

void OutputStream::Fail() {
  if (error_ == 0) error_ = errno != 0 ? errno : EIO;
}

bool OutputStream::Write(const void* bytes, size_t count) {
  if (error_ != 0 || stream_ == nullptr) return error_ == 0;
  errno = 0;
  if (count != 0 && std::fwrite(bytes, 1, count, stream_) != count) Fail();
  return error_ == 0;
}

bool OutputStream::WriteLine(std::string_view line) {
  if (!Write(line) || !Write("\n", 1)) return false;
  errno = 0;
  if (std::fflush(stream_) != 0) Fail();
  return error_ == 0;
}

bool OutputStream::Finish() {
  if (stream_ == nullptr) return error_ == 0;
  errno = 0;
  if (std::fflush(stream_) != 0) Fail();
  errno = 0;
  if (std::fclose(stream_) != 0) Fail();
  stream_ = nullptr;
  return error_ == 0;
}

std::string OutputStream::ErrorText() const {
  return "cannot write " + name_ + ": " + std::strerror(error_);
}

int PrintHelp(std::string_view text) {
  OutputStream out(stdout, "standard output");
  out.Write(text);
  if (out.Finish()) return 0;
  std::fprintf(stderr, "tempyra-cli: %s\n", out.ErrorText().c_str());
  return 1;
}
