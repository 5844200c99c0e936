// Page saving on top of the file layer and the document operations.
#include "crawl/page_save.h"

#include <cstdint>

#include "acquire/document_ops.h"
#include "platform/files.h"

namespace vw {
namespace {

// A document's own save counts only from this size on; a shorter file is usually an error
// stub, and the page is then written from its assembled source.
constexpr std::uint64_t kMinimumOwnSaveBytes = 500;

}  // namespace

bool SavePageHtml(PageDocument* document, const std::string& path) {
  MakeSureDirectoryPathExists(path);
  if (document != nullptr && document->CanSave()) {
    document->SaveTo(path);
    std::uint64_t size = 0;
    if (FileSize(path, size) && size >= kMinimumOwnSaveBytes) return true;
  }
  return WritePageSource(document, path);
}

bool WritePageSource(PageDocument* document, const std::string& path) {
  FileWriter file;
  if (!file.Open(path)) return false;
  std::string source;
  bool written = false;
  if (GetPageSource(document, source) && !source.empty()) {
    file.Write(source);
    written = true;
  }
  file.Close();
  return written;
}

void SavePageText(PageDocument* document, const std::string& path) {
  MakeSureDirectoryPathExists(path);
  if (document == nullptr) return;
  std::string text;
  bool hasBody = false;
  if (!document->BodyText(text, hasBody) || !hasBody) return;
  FileWriter file;
  if (!file.Open(path)) return;
  if (!text.empty()) file.Write(text);
  file.Close();
}

}  // namespace vw
