#include "crawl/extract_book.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>

#include "acquire/document_ops.h"
#include "crawl/collect_links.h"
#include "crawl/link_list.h"
#include "crawl/page_save.h"
#include "crawl/url_map.h"
#include "platform/files.h"

namespace vw {
namespace {

// The longest full file path the walk writes: the path buffer holds 2047 bytes and a zero.
constexpr std::size_t kMaxFullPath = 2047;

// Waits ms milliseconds while keeping the front end live: it is pumped every few
// milliseconds, and the pause keeps its full length.
void PausePumping(RunState& run, int ms) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    run.PumpMessages();
    const auto now = Clock::now();
    if (now >= deadline) return;
    std::this_thread::sleep_for(std::min<Clock::duration>(deadline - now,
                                                          std::chrono::milliseconds(10)));
  }
}

}  // namespace

bool IsCompleteAt(PageDocument* document, const std::string& expectedUrl) {
  if (document == nullptr) return false;
  if (!expectedUrl.empty() && GetPageUrl(document) != expectedUrl) return false;
  return IsPageComplete(document);
}

DocumentRef WaitForComplete(BrowserHost* host, RunState& run, const ExtractOptions& options,
                            const std::string& expectedUrl) {
  const int pollMs = std::max(1, options.pollMs);
  const int tries = std::max(1, (options.maxWaitMs + pollMs - 1) / pollMs);
  DocumentRef document;
  for (int i = 0; i < tries; ++i) {
    document.reset();  // a document that is not complete is released before the next
    PausePumping(run, pollMs);
    document = GetBrowserDocument(host, nullptr);
    if (IsCompleteAt(document.get(), expectedUrl)) break;
  }
  return document;
}

DocumentRef LoadPage(BrowserHost* host, const std::string& url, RunState& run,
                     const ExtractOptions& options) {
  DocumentRef document = GetBrowserDocument(host, nullptr);
  if (!document) return nullptr;
  NavigatePage(document.get(), url);
  document.reset();
  return WaitForComplete(host, run, options, std::string());
}

int PrefixLength(const std::string& linkPrefix) {
  const std::string normalized = NormalizeUrl(linkPrefix);
  const std::size_t sep = LastSeparator(normalized);
  return static_cast<int>(sep != std::string::npos ? sep + 1 : normalized.size());
}

std::string TextFileName(const std::string& relativePath) {
  // Only a dot in the file name itself counts: cutting at a dot of a folder name would
  // write the page beside its folder under the folder's name.
  const std::size_t nameStart = LastSeparator(relativePath);
  const std::size_t from = nameStart == std::string::npos ? 0 : nameStart + 1;
  const std::size_t dot = relativePath.rfind('.');
  if (dot == std::string::npos || dot < from) return relativePath + ".txt";
  return relativePath.substr(0, dot) + ".txt";
}

void ReportProgress(RunState& run, int found, int visited) {
  char text[32];
  std::snprintf(text, sizeof text, "%d/%d", visited, found);
  run.SetProgressText(text);
}

void ExtractBook(BrowserHost* host, const std::string& targetFolder,
                 const std::string& homeUrl, const std::string& linkPrefix, RunState& run,
                 const ExtractOptions& options, ExtractStats* stats) {
  ExtractStats localStats;
  ExtractStats& st = stats ? *stats : localStats;
  st = ExtractStats();

  std::string path = targetFolder;
  if (path.empty() || path.back() != '\\') path += '\\';
  const std::size_t relativeStart = path.size();
  const int prefixLength = linkPrefix.empty() ? 0 : PrefixLength(linkPrefix);

  CLinkNode pageList;
  pageList.AddLink(homeUrl, nullptr);
  CLinkNode resourceList;
  st.pagesFound = pageList.count;

  if (!GetBrowserDocument(host, nullptr)) return;
  st.reached = true;

  bool firstEntry = true;
  for (LinkItem* entry = pageList.head; entry; entry = pageList.NextUnvisited(entry)) {
    if (run.IsStopRequested()) break;
    DocumentRef document;
    if (firstEntry) {
      firstEntry = false;
      document = GetBrowserDocument(host, nullptr);  // the page on screen is the home page
    } else {
      document = LoadPage(host, entry->url, run, options);
    }

    std::string note;
    if (document) {
      std::string relative;
      const bool mapped = MapUrlToPath(relative, entry->url, prefixLength);
      if (mapped && run.m_bSaveText) relative = TextFileName(relative);
      run.PumpMessages();
      if (!mapped || relativeStart + relative.size() > kMaxFullPath) {
        // No usable file path: the page is still counted and read for links, but nothing is
        // written, and the path display keeps the last file written.
        note = "no file path for this address";
        ++st.pagesNotWritten;
      } else {
        path.replace(relativeStart, std::string::npos, relative);
        if (run.m_bSaveText) {
          SavePageText(document.get(), path);
        } else {
          SavePageHtml(document.get(), path);
        }
        // A file that cannot be opened is passed over silently by the saving step; it is
        // counted here so that the run does not report it as saved.
        std::uint64_t size = 0;
        if (!FileSize(path, size)) {
          note = "the file could not be written";
          ++st.pagesNotWritten;
        }
      }
      pageList.MarkVisited(entry);
      CollectLinks(document.get(), pageList, resourceList, linkPrefix, entry->url, run);
      document.reset();
    } else {
      ++st.pagesSkipped;
    }
    st.pagesFound = pageList.count;
    st.pagesVisited = pageList.visitedCount;

    run.ShowCurrentPage(entry->url.c_str(), path.c_str());
    run.SetNoteText(note.c_str());
    ReportProgress(run, pageList.count, pageList.visitedCount);
  }
}

}  // namespace vw
