#include "commands/desktop_launcher.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace korvid::commands {

bool XdgDesktopLauncher::Open(const std::string& target) {
  return StartDetached("xdg-open", {target});
}

// Paths go to the program as the bytes the file system has, never through
// a text conversion that could name another file. The program is started
// by a short-lived child, so that it is nobody's zombie when it ends.
bool XdgDesktopLauncher::StartDetached(const std::string& program, const std::vector<std::string>& arguments) {
  if (program.empty()) return false;
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC) != 0) return false;
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(pipe_fds[0]);
    ::close(pipe_fds[1]);
    return false;
  }
  if (child == 0) {
    ::setsid();
    if (::fork() == 0) {
      ::execvp(argv[0], argv.data());
      // Tell the waiting parent that the program could not be started.
      const char failed = 1;
      [[maybe_unused]] const ssize_t n = ::write(pipe_fds[1], &failed, 1);
      ::_exit(127);
    }
    ::_exit(0);
  }
  ::close(pipe_fds[1]);
  int status = 0;
  ::waitpid(child, &status, 0);
  // The pipe closes on a successful exec (close-on-exec) or carries a byte.
  char failed = 0;
  const ssize_t n = ::read(pipe_fds[0], &failed, 1);
  ::close(pipe_fds[0]);
  return n == 0;
}

}  // namespace korvid::commands
