// A headless Chromium for tests: started with remote debugging on a free loopback port and
// a fresh profile, stopped by its PID and cleaned up when the object goes out of scope.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/devtools/endpoint.h"

namespace vw {
namespace testing {

// The browser program the tests run.
constexpr char kChromiumPath[] = "/usr/lib/chromium/chromium";

// One running browser process. The constructor returns once the DevTools endpoint answers
// and lists a page target; it throws std::runtime_error (with the tail of the browser's
// output) when that does not happen within 30 seconds.
class Chromium {
 public:
  // extraArgs go after the fixed flags (such as "--host-resolver-rules=MAP ebook ...");
  // initialUrl is the address of the first page.
  explicit Chromium(const std::vector<std::string>& extraArgs = {},
                    const std::string& initialUrl = "about:blank");
  ~Chromium();
  Chromium(const Chromium&) = delete;
  Chromium& operator=(const Chromium&) = delete;

  // The browser process.
  pid_t pid() const { return pid_; }

  // The DevTools endpoint (127.0.0.1 and the port the browser chose).
  const devtools::Endpoint& endpoint() const { return endpoint_; }

  // The profile folder (--user-data-dir).
  const std::string& userDataDir() const { return userDataDir_; }

  // The id of the first page target found at start.
  const std::string& firstTargetId() const { return firstTargetId_; }

  // Stops the browser (SIGTERM, then SIGKILL after 5 seconds) and waits for it. Called by
  // the destructor; harmless when repeated.
  void Stop();

 private:
  std::string LogTail() const;

  pid_t pid_ = -1;
  std::string root_;         // temporary folder holding the profile and the log
  std::string userDataDir_;  // root_/profile
  devtools::Endpoint endpoint_;
  std::string firstTargetId_;
};

}  // namespace testing
}  // namespace vw
