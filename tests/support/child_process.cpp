// A piece of a test in a child process. See child_process.h.
#include "tests/support/child_process.h"

#include <sys/wait.h>
#include <unistd.h>

ChildResult RunInChild(bool dropRoot, const std::function<bool(std::string& output)>& body) {
  ChildResult result;
  int fds[2];
  if (pipe(fds) != 0) return result;
  const pid_t child = fork();
  if (child < 0) {
    close(fds[0]);
    close(fds[1]);
    return result;
  }
  if (child == 0) {
    close(fds[0]);
    if (dropRoot && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
    std::string output;
    const bool ok = body(output);
    for (size_t at = 0; at < output.size();) {
      const ssize_t n = write(fds[1], output.data() + at, output.size() - at);
      if (n <= 0) _exit(4);
      at += static_cast<size_t>(n);
    }
    _exit(ok ? 0 : 1);
  }
  close(fds[1]);
  char buffer[4096];
  for (ssize_t got; (got = read(fds[0], buffer, sizeof buffer)) > 0;)
    result.output.append(buffer, static_cast<size_t>(got));
  close(fds[0]);
  int status = 0;
  result.ok = waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return result;
}
