// The page document of a Chromium page target, reached over the DevTools protocol.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "acquire/page_document.h"
#include "platform/devtools/page_session.h"

namespace vw {
namespace devtools {

// A live view of the page a target shows. Every document of one target shares the target's
// session; while a requested navigation has not shown its own document, every one of them
// reports the state "loading" and gives out no content (AllElements, BodyText and SaveTo
// fail), so the previous page never passes for the new one, not even when a crawl gives up
// waiting and saves the page as it is.
class DevToolsDocument : public PageDocument {
 public:
  explicit DevToolsDocument(std::shared_ptr<PageSession> session);

  // The PageDocument operations: document.readyState, document.URL, Page.navigate (not
  // waited for), a TreeWalker over elements and leading comments, and the body's innerText.
  bool ReadyState(std::string& state) override;
  bool Url(std::string& url) override;
  bool SetUrl(const std::string& url) override;
  bool AllElements(std::vector<ElementMarkup>& elements) override;
  bool ElementsThroughHtml(std::vector<ElementMarkup>& elements) override;
  bool BodyText(std::string& text, bool& hasBody) override;
  bool CanSave() const override { return true; }

  // Writes the main resource as the browser received it: the decoded content is encoded
  // back into the document's character set (UTF-8 as it is; GBK, GB2312 and GB18030 as
  // GBK). Writes nothing when the content or its character set is not available, or the
  // character set is another one; the caller then writes the assembled source instead.
  bool SaveTo(const std::string& path) override;

 private:
  // The elements in tree order, stopping after the html element when stopAtHtml is set.
  bool Elements(bool stopAtHtml, std::vector<ElementMarkup>& elements);
  std::shared_ptr<PageSession> session_;
};

// Decodes standard base64 text (padding optional; white space skipped). False on any other
// byte.
bool DecodeBase64(const std::string& text, std::string& bytes);

}  // namespace devtools
}  // namespace vw
