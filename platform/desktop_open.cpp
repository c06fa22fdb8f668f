// Handing a target to the desktop's opener. See desktop_open.h.
#include "platform/desktop_open.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

bool OpenWithDesktop(const std::string& target, const std::string& opener) {
  // The shell runs the opener in the background with its standard input
  // closed and ends; the target is its positional parameter, never parsed
  // as shell text.
  const std::string script = "\"$0\" \"$1\" </dev/null &";
  char* const argv[] = {const_cast<char*>("sh"),           const_cast<char*>("-c"),
                        const_cast<char*>(script.c_str()), const_cast<char*>(opener.c_str()),
                        const_cast<char*>(target.c_str()), nullptr};
  pid_t shell = 0;
  if (posix_spawn(&shell, "/bin/sh", nullptr, nullptr, argv, environ) != 0) return false;
  int status = 0;
  while (waitpid(shell, &status, 0) < 0)
    if (errno != EINTR) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
