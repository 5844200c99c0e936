#include "tests/support/sample_book.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/ansi_convert.h"

namespace vw {
namespace testing {

namespace fs = std::filesystem;

SampleViewer::SampleViewer(const std::vector<std::string>& extraArgs) {
  std::vector<std::string> argv = {std::string(VW_SOURCE_DIR) + "/tools/ebook-viewer"};
  argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
  process_ = std::make_unique<ChildProcess>(argv);
  const std::string prefix = "DevTools endpoint: ";
  std::string line = process_->WaitForLine(prefix, std::chrono::seconds(60));
  if (line.empty()) {
    throw std::runtime_error("the sample viewer did not start: " + process_->Errors());
  }
  endpoint_ = line.substr(prefix.size());
}

std::vector<std::string> ExpectedSamplePages() {
  std::ifstream in(std::string(VW_SOURCE_DIR) + "/samples/ebook/EXPECTED-PAGES.txt",
                   std::ios::binary);
  std::vector<std::string> pages;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) pages.push_back(line);
  }
  return pages;
}

std::string ExpectedSampleFile(const std::string& gbkUrl) {
  std::string path = gbkUrl.substr(std::string("http://").size());
  path = path.substr(0, path.find_first_of("?#"));
  return ansi::ToUtf8(path);
}

std::set<std::string> FilesBelow(const std::string& folder) {
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files.insert(fs::relative(entry.path(), folder).generic_string());
    }
  }
  return files;
}

TempFolder::TempFolder() {
  char name[] = "/tmp/vw-test-XXXXXX";
  if (!mkdtemp(name)) throw std::runtime_error("cannot create a temporary folder");
  path_ = name;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  // Read-only folders left by a test are made writable again so that they can go.
  for (auto it = fs::recursive_directory_iterator(path_, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (it->is_directory(ignored)) chmod(it->path().c_str(), 0755);
  }
  chmod(path_.c_str(), 0755);
  fs::remove_all(path_, ignored);
}

}  // namespace testing
}  // namespace vw
