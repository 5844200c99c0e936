// Running vellowick-cli as a user does, for end-to-end tests: its path, its completion
// message and the progress it prints.
#pragma once

#include <chrono>
#include <string>

#include "tests/support/child_process.h"

namespace vw {
namespace testing {

// The built command-line program.
std::string CliPath();

// The message the command line prints when a run ends, however it ended.
extern const char kCompletedMessage[];

// The last "visited/found" progress in the command line's stderr text, or "".
std::string LastProgress(const std::string& errors);

// The visited count of LastProgress, or -1.
int LastVisited(const std::string& errors);

// Waits until the command line running in cli reports at least n visited pages; false when
// that does not happen within the timeout.
bool WaitForVisited(ChildProcess& cli, int n,
                    std::chrono::milliseconds timeout = std::chrono::seconds(60));

}  // namespace testing
}  // namespace vw
