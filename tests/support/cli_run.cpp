#include "tests/support/cli_run.h"

#include <regex>
#include <thread>

namespace vw {
namespace testing {

const char kCompletedMessage[] = "电子书反编译完毕。";

std::string CliPath() { return std::string(VW_BINARY_DIR) + "/vellowick-cli"; }

std::string LastProgress(const std::string& errors) {
  static const std::regex progress(R"(\[(\d+/\d+)\])");
  std::string last;
  for (std::sregex_iterator it(errors.begin(), errors.end(), progress), end; it != end; ++it) {
    last = (*it)[1];
  }
  return last;
}

int LastVisited(const std::string& errors) {
  const std::string progress = LastProgress(errors);
  return progress.empty() ? -1 : std::stoi(progress);
}

bool WaitForVisited(ChildProcess& cli, int n, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (LastVisited(cli.Errors()) >= n) return true;
    if (cli.Wait(std::chrono::milliseconds(0)) >= 0) return false;  // it ended first
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

}  // namespace testing
}  // namespace vw
