// A program started by a test: its standard output and error captured, signalled and
// stopped by PID, and always reaped, so that no test leaves a process behind.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace vw {
namespace testing {

// One child process. stdout is a pipe the test reads; stderr goes to a file the test can
// read at any time. The destructor sends SIGTERM, then SIGKILL after 5 s, and waits.
class ChildProcess {
 public:
  // Starts argv[0] (a path, no shell) with the arguments; with runAsUid >= 0 (the test runs
  // as root), as that user and group instead. Throws std::runtime_error when the program
  // cannot be started.
  explicit ChildProcess(const std::vector<std::string>& argv, int runAsUid = -1,
                        int runAsGid = -1);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The child's PID.
  pid_t pid() const { return pid_; }

  // Reads stdout until a line that begins with prefix arrives (returned without its line
  // end) or the time is up or the output ends (empty result).
  std::string WaitForLine(const std::string& prefix, std::chrono::milliseconds timeout);

  // Reads stdout until it ends and returns all of it (what WaitForLine left included).
  std::string ReadAllOutput(std::chrono::milliseconds timeout);

  // Everything the child has written to stderr so far.
  std::string Errors() const;

  // Sends a signal to the child.
  void Signal(int signal);

  // Waits for the child to end; returns its exit code (128 + signal when killed), or -1 when
  // it is still running after the timeout.
  int Wait(std::chrono::milliseconds timeout);

  // Stops the child: SIGTERM, SIGKILL after 5 s, and reaps it. Harmless when repeated.
  void Stop();

 private:
  bool ReadSome(std::chrono::steady_clock::time_point deadline);

  pid_t pid_ = -1;
  int stdoutFd_ = -1;
  int exitCode_ = -1;
  std::string stdoutBuffer_;
  std::string stderrPath_;
};

}  // namespace testing
}  // namespace vw
