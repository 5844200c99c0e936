// Starting and stopping the test browser with fork/exec, no shell.
#include "tests/support/chromium.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace vw {
namespace testing {
namespace {

using Clock = std::chrono::steady_clock;

// True when the child has exited (and is reaped).
bool Reaped(pid_t pid, bool block) {
  int status = 0;
  const pid_t r = ::waitpid(pid, &status, block ? 0 : WNOHANG);
  return r == pid || (r < 0 && errno == ECHILD);
}

}  // namespace

Chromium::Chromium(const std::vector<std::string>& extraArgs, const std::string& initialUrl) {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "vw-chromium-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  userDataDir_ = root_ + "/profile";
  std::filesystem::create_directory(userDataDir_);

  std::vector<std::string> args = {kChromiumPath,
                                   "--headless",
                                   "--no-sandbox",
                                   "--disable-gpu",
                                   "--disable-quic",
                                   "--no-first-run",
                                   "--disable-background-networking",
                                   "--disable-component-update",
                                   "--disable-sync",
                                   "--user-data-dir=" + userDataDir_,
                                   "--remote-debugging-address=127.0.0.1",
                                   "--remote-debugging-port=0"};
  args.insert(args.end(), extraArgs.begin(), extraArgs.end());
  args.push_back(initialUrl);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const std::string log = root_ + "/chromium.log";

  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    // Own process group, so that helpers left behind by a killed browser can be found by
    // the browser's PID as group id.
    ::setpgid(0, 0);
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int in = ::open("/dev/null", O_RDONLY);
    if (out >= 0) {
      ::dup2(out, 1);
      ::dup2(out, 2);
    }
    if (in >= 0) ::dup2(in, 0);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }

  const auto deadline = Clock::now() + std::chrono::seconds(30);
  bool ready = false;
  while (Clock::now() < deadline) {
    if (Reaped(pid_, false)) {
      pid_ = -1;
      break;
    }
    // The file is fresh (new profile), so the port in it is this browser's.
    std::ifstream file(userDataDir_ + "/DevToolsActivePort");
    std::string portLine;
    if (std::getline(file, portLine) && !portLine.empty() &&
        devtools::ParseEndpoint(portLine, endpoint_)) {
      std::vector<devtools::PageTarget> targets;
      if (devtools::ListPageTargets(endpoint_, targets) && !targets.empty()) {
        firstTargetId_ = targets.front().id;
        ready = true;
        break;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (!ready) {
    const std::string tail = LogTail();
    Stop();
    throw std::runtime_error("Chromium did not start:\n" + tail);
  }
}

Chromium::~Chromium() { Stop(); }

void Chromium::Stop() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    bool gone = false;
    while (!(gone = Reaped(pid_, false)) && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!gone) {
      ::kill(pid_, SIGKILL);
      Reaped(pid_, true);
    }
    // Helpers of this browser that outlived it are in its process group.
    ::kill(-pid_, SIGKILL);
    pid_ = -1;
  }
  if (!root_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
    root_.clear();
  }
}

std::string Chromium::LogTail() const {
  std::ifstream in(root_ + "/chromium.log");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return text.size() > 2000 ? text.substr(text.size() - 2000) : text;
}

}  // namespace testing
}  // namespace vw
