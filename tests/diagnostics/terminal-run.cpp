// The pseudo-terminal runner: the child gets the terminal as standard error
// only, so that standard output is captured as in every other test.
#include "tests/diagnostics/terminal-run.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace gsmith::testing {

RunResult runOnTerminal(const std::filesystem::path &dir, const std::string &sourceName,
                        const char *diagnostics) {
  const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (terminal < 0 || ::grantpt(terminal) != 0 || ::unlockpt(terminal) != 0)
    throw std::runtime_error("no pseudo-terminal");
  // Held open until the child has its copy, so that no read finds it closed.
  const int screen = ::open(::ptsname(terminal), O_RDWR | O_NOCTTY);
  termios raw{};
  ::tcgetattr(screen, &raw);
  ::cfmakeraw(&raw); // no "\r\n" for "\n"
  ::tcsetattr(screen, TCSANOW, &raw);
  TempDir capture;
  const std::string outPath = capture.file("out").string();

  const pid_t child = ::fork();
  if (child == 0) {
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || ::dup2(out, 1) < 0 || ::dup2(screen, 2) < 0 || ::chdir(dir.c_str()) != 0)
      ::_exit(126);
    if (diagnostics != nullptr)
      ::setenv("GSMITH_DIAGNOSTICS", diagnostics, 1);
    else
      ::unsetenv("GSMITH_DIAGNOSTICS");
    ::execl(GSMITH_BINARY, GSMITH_BINARY, sourceName.c_str(), static_cast<char *>(nullptr));
    ::_exit(127);
  }
  ::close(screen);
  RunResult result;
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(terminal, buffer, sizeof buffer);
    if (got > 0)
      result.err.append(buffer, static_cast<size_t>(got));
    else if (got == 0 || errno != EINTR)
      break; // EIO: the child's side is closed
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ::close(terminal);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = capture.read("out");
  return result;
}

} // namespace gsmith::testing
