// Child processes for the POSIX tests: a program run without a shell, its
// output gathered, and whether strace is there to run one under.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace quillfern::testing {

// Everything the other end writes into Fd until it closes it.
inline std::string ReadUntilClosed(int fd) {
  std::string bytes;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) bytes.append(buffer, static_cast<std::size_t>(n));
  return bytes;
}

// The exit status waitpid gave, or 128 + the signal that ended the process.
inline int StatusOf(int waitStatus) {
  return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
}

// Runs Argv (no shell) with its output to /dev/null, or into Output when
// given; its exit status, or 128 + the signal that ended it.
inline int RunProgram(const std::vector<std::string>& argv, std::string* output = nullptr) {
  int channel[2] = {-1, -1};
  if (output && ::pipe(channel) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int sink = output ? channel[1] : ::open("/dev/null", O_WRONLY);
    ::dup2(sink, 1);
    ::dup2(sink, 2);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  if (output) {
    ::close(channel[1]);
    *output += ReadUntilClosed(channel[0]);
    ::close(channel[0]);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return StatusOf(status);
}

inline bool HasStrace() { return RunProgram({"strace", "-o", "/dev/null", "true"}) == 0; }

}  // namespace quillfern::testing
