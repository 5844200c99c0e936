#include "tests/support/sample_book.h"

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

}  // namespace testing
}  // namespace vw
