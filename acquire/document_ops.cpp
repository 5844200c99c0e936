// Document acquisition over the PageDocument/BrowserHost interfaces.
#include "acquire/document_ops.h"

#include <vector>

#include "platform/ansi.h"
#include "platform/ansi_convert.h"

namespace vw {
namespace {

// One process-wide flag; the whole system runs on one thread.
bool g_showBrowserErrors = true;

}  // namespace

void ShowAcquireMessage(MessageSink* sink, const char* utf8Text) {
  if (sink != nullptr) sink->ShowMessage(ansi::FromUtf8(utf8Text));
}

void SetShowBrowserErrors(bool on) { g_showBrowserErrors = on; }

bool GetShowBrowserErrors() { return g_showBrowserErrors; }

DocumentRef GetBrowserDocument(BrowserHost* host, MessageSink* sink) {
  if (host == nullptr) return nullptr;
  return host->FindDocument(g_showBrowserErrors ? sink : nullptr);
}

bool CheckBrowserWindow(BrowserHost* host, MessageSink* sink) {
  const bool exists = host != nullptr && host->Exists();
  if (!exists) ShowAcquireMessage(sink, acquire_text::kWindowGone);
  return exists;
}

bool IsPageComplete(PageDocument* document) {
  std::string state;
  if (document == nullptr || !document->ReadyState(state)) return false;
  return ansi::EqualNoCase(state, std::string("complete"));
}

std::string GetPageUrl(PageDocument* document) {
  std::string url;
  if (document == nullptr || !document->Url(url)) url.clear();
  return url;
}

void NavigatePage(PageDocument* document, const std::string& url) {
  if (document != nullptr) document->SetUrl(url);
}

bool GetPageSource(PageDocument* document, std::string& out) {
  out.clear();
  std::vector<ElementMarkup> elements;
  if (document == nullptr || !document->ElementsThroughHtml(elements)) return false;
  bool appended = false;
  for (const ElementMarkup& element : elements) {
    if (element.outerHtml.empty()) continue;
    out += element.outerHtml;
    out += '\n';
    appended = true;
    if (ansi::EqualNoCase(element.tagName, std::string("HTML"))) break;
  }
  return appended;
}

}  // namespace vw
