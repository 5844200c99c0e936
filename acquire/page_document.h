// The page document of the viewer's browser: the few things the rest of the system asks of a
// page (load state, address, navigation, element markup, body text, the page's own save).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ansi.h"

namespace vw {

// One element of the page in document order, as the browser reports it. Both strings are
// GBK byte strings. Comment nodes that precede the html element come as elements with the
// tag name "!" and their "<!--...-->" markup.
struct ElementMarkup {
  std::string tagName;
  std::string outerHtml;
};

// A page shown by the viewer's browser. Every operation returns false when the browser does
// not answer; strings in and out are GBK byte strings.
class PageDocument {
 public:
  virtual ~PageDocument() = default;

  // The document's ready state ("loading", "interactive", "complete", ...).
  virtual bool ReadyState(std::string& state) = 0;

  // The address the document shows.
  virtual bool Url(std::string& url) = 0;

  // Asks the browser to load url in place of this document. Returns at once; the new page
  // arrives as a new document of the same browser.
  virtual bool SetUrl(const std::string& url) = 0;

  // All elements in document order (false when no element collection can be had).
  virtual bool AllElements(std::vector<ElementMarkup>& elements) = 0;

  // The elements of AllElements up to and including the first one named "HTML" (any case),
  // which is all the page source needs. A browser may answer this more cheaply.
  virtual bool ElementsThroughHtml(std::vector<ElementMarkup>& elements);

  // The rendered text of the body. hasBody is false (and the result true) for a page
  // without a body element.
  virtual bool BodyText(std::string& text, bool& hasBody) = 0;

  // True when the document can write its own markup to a file (SaveTo).
  virtual bool CanSave() const = 0;

  // Writes the page's original markup, in the page's own character set, to the file at the
  // GBK path with backslashes. The result only says whether the request was made.
  virtual bool SaveTo(const std::string& path) = 0;
};

inline bool PageDocument::ElementsThroughHtml(std::vector<ElementMarkup>& elements) {
  if (!AllElements(elements)) return false;
  for (std::size_t i = 0; i < elements.size(); ++i) {
    if (ansi::EqualNoCase(elements[i].tagName, "HTML")) {
      elements.resize(i + 1);
      break;
    }
  }
  return true;
}

// A counted reference to a page document. Whoever obtains one owns one reference, which is
// released when the last copy goes out of scope.
using DocumentRef = std::shared_ptr<PageDocument>;

}  // namespace vw
