#include "tests/support/child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace vw {
namespace testing {

using Clock = std::chrono::steady_clock;

ChildProcess::ChildProcess(const std::vector<std::string>& argv, int runAsUid, int runAsGid) {
  char stderrTemplate[] = "/tmp/vw-child-stderr-XXXXXX";
  int errFd = mkstemp(stderrTemplate);
  if (errFd < 0) throw std::runtime_error("cannot create a file for the child's stderr");
  stderrPath_ = stderrTemplate;
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) {
    close(errFd);
    throw std::runtime_error("cannot create a pipe");
  }
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  pid_ = fork();
  if (pid_ == 0) {
    dup2(pipeFds[1], STDOUT_FILENO);
    dup2(errFd, STDERR_FILENO);
    int devNull = open("/dev/null", O_RDONLY);
    if (devNull >= 0) dup2(devNull, STDIN_FILENO);
    setpgid(0, 0);  // its own group, so a terminal's Ctrl-C never reaches it by accident
    if (runAsUid >= 0 &&
        (setgroups(0, nullptr) != 0 || setgid(gid_t(runAsGid)) != 0 ||
         setuid(uid_t(runAsUid)) != 0)) {
      _exit(126);
    }
    execv(args[0], args.data());
    _exit(127);
  }
  close(pipeFds[1]);
  close(errFd);
  stdoutFd_ = pipeFds[0];
  if (pid_ < 0) {
    close(stdoutFd_);
    throw std::runtime_error("cannot start " + argv[0]);
  }
}

ChildProcess::~ChildProcess() {
  Stop();
  if (stdoutFd_ >= 0) close(stdoutFd_);
  if (!stderrPath_.empty()) unlink(stderrPath_.c_str());
}

bool ChildProcess::ReadSome(Clock::time_point deadline) {
  if (stdoutFd_ < 0) return false;
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  if (left.count() <= 0) return false;
  pollfd p{stdoutFd_, POLLIN, 0};
  if (poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
  char buffer[4096];
  ssize_t n = read(stdoutFd_, buffer, sizeof buffer);
  if (n <= 0) {
    close(stdoutFd_);
    stdoutFd_ = -1;
    return false;
  }
  stdoutBuffer_.append(buffer, static_cast<std::size_t>(n));
  return true;
}

std::string ChildProcess::WaitForLine(const std::string& prefix,
                                      std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    std::size_t start = 0;
    for (std::size_t end; (end = stdoutBuffer_.find('\n', start)) != std::string::npos;
         start = end + 1) {
      std::string line = stdoutBuffer_.substr(start, end - start);
      if (line.compare(0, prefix.size(), prefix) == 0) {
        stdoutBuffer_.erase(0, end + 1);
        return line;
      }
    }
    if (!ReadSome(deadline)) return {};
  }
}

std::string ChildProcess::ReadAllOutput(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (ReadSome(deadline)) {
  }
  std::string all;
  all.swap(stdoutBuffer_);
  return all;
}

std::string ChildProcess::Errors() const {
  std::ifstream in(stderrPath_, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void ChildProcess::Signal(int signal) {
  if (pid_ > 0 && exitCode_ < 0) kill(pid_, signal);
}

int ChildProcess::Wait(std::chrono::milliseconds timeout) {
  if (pid_ <= 0 || exitCode_ >= 0) return exitCode_;
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    int status = 0;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return exitCode_;
    }
    if (r < 0 && errno != EINTR) return -1;
    if (Clock::now() >= deadline) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void ChildProcess::Stop() {
  if (pid_ <= 0 || exitCode_ >= 0) return;
  Signal(SIGTERM);
  if (Wait(std::chrono::seconds(5)) < 0) {
    Signal(SIGKILL);
    Wait(std::chrono::seconds(30));
  }
}

}  // namespace testing
}  // namespace vw
