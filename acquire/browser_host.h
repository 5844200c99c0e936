// The viewer's browser as the run sees it: the thing picked by the user, from which the
// page document is searched again on every request, and the message sink for its errors.
#pragma once

#include <string>

#include "acquire/page_document.h"

namespace vw {

// Where the messages of document acquisition go: message boxes in the dialog, lines on
// stderr in the command line. Texts are GBK byte strings.
class MessageSink {
 public:
  virtual ~MessageSink() = default;

  // Shows one message to the user and returns when it has been seen.
  virtual void ShowMessage(const std::string& text) = 0;
};

// The browser host of the viewer that the user picked. Implementations search the browser's
// current page document anew on every call, so a page the viewer re-creates is found again.
class BrowserHost {
 public:
  virtual ~BrowserHost() = default;

  // A new reference to the document the browser shows now, or null. Failures are reported
  // to sink when it is not null.
  virtual DocumentRef FindDocument(MessageSink* sink) = 0;

  // True while the host still exists.
  virtual bool Exists() = 0;
};

}  // namespace vw
