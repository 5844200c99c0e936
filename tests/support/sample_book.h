// The sample e-book as the end-to-end tests see it: the viewer that shows it, the pages a
// correct extraction saves, and the files found in an output folder.
#pragma once

#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace vw {
namespace testing {

// tools/ebook-viewer running the sample e-book in a headless Chromium. The constructor
// returns once the viewer prints its DevTools endpoint; the destructor stops the viewer,
// which stops its browser.
class SampleViewer {
 public:
  // extraArgs go to the viewer (such as "--hang", "/images/x.gif").
  explicit SampleViewer(const std::vector<std::string>& extraArgs = {});

  // "http://127.0.0.1:PORT".
  const std::string& endpoint() const { return endpoint_; }

  // The viewer process.
  ChildProcess& process() { return *process_; }

 private:
  std::unique_ptr<ChildProcess> process_;
  std::string endpoint_;
};

// The page addresses a correct extraction of the sample visits, in GBK, one per entry.
std::vector<std::string> ExpectedSamplePages();

// The relative file (UTF-8, "/" separators) that a sample page address is saved to:
// "http://ebook/a/b.htm?x=1" gives "ebook/a/b.htm".
std::string ExpectedSampleFile(const std::string& gbkUrl);

// Every regular file below folder, as relative UTF-8 paths.
std::set<std::string> FilesBelow(const std::string& folder);

}  // namespace testing
}  // namespace vw
