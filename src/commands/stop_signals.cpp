#include "commands/stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "resources/string_table.h"

namespace korvid::commands {
namespace {

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "the signal handler stores to these");

std::atomic<ProcessFlags*> gFlags{nullptr};
std::atomic<int> gWriteEnd{-1};
int gReadEnd = -1;

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void OnStopSignal(int number) {
  const int saved = errno;
  if (ProcessFlags* flags = gFlags.load()) {
    flags->StopSignal.store(number);
    flags->AbortCommand.store(true);
    flags->AbortAll.store(true);
  }
  if (const int fd = gWriteEnd.load(); fd >= 0) {
    const char byte = 1;
    // A full pipe already says that a signal came.
    [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
  }
  errno = saved;
}

}  // namespace

void InstallStopSignals(ProcessFlags& flags) {
  gFlags.store(&flags);
  int ends[2];
  if (gReadEnd < 0 && ::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
    gReadEnd = ends[0];
    gWriteEnd.store(ends[1]);
  }
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (const int number : kStopSignals) sigaddset(&action.sa_mask, number);
  action.sa_flags = SA_RESTART;
  for (const int number : kStopSignals) ::sigaction(number, &action, nullptr);
}

int StopSignalDescriptor() { return gReadEnd; }

int StoppedExitStatus(int signal) { return 128 + signal; }

std::string StoppedMessage(int signal) {
  const char* name = signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : signal == SIGHUP ? "SIGHUP" : "";
  return resources::Fill(resources::Text::kStoppedBySignal, {*name != '\0' ? name : std::to_string(signal)});
}

}  // namespace korvid::commands
