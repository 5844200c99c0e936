// A page document held in memory, for unit tests of states a real browser cannot produce on
// demand: a scripted sequence of ready states, a page that never completes, a document
// without its own save or with a save of an exact size, a page without a body.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "acquire/page_document.h"
#include "platform/files.h"

namespace vw {
namespace testing {

// Every field is public: a test sets up the page it needs and reads back what was asked.
class ScriptedDocument : public PageDocument {
 public:
  // Ready states reported by successive calls; the last one repeats. Empty: the read fails.
  std::vector<std::string> readyStates{"complete"};
  // The address; urlReadable false makes the read fail.
  std::string url = "http://ebook/index.htm";
  bool urlReadable = true;
  // Elements reported by AllElements; elementsReadable false makes the call fail.
  std::vector<ElementMarkup> elements;
  bool elementsReadable = true;
  // The body text, and whether the page has a body at all.
  std::string bodyText;
  bool hasBody = true;
  // The document's own save: when canSave, SaveTo writes saveBytes bytes of 'x' to the path.
  bool canSave = false;
  std::size_t saveBytes = 0;

  // What the code under test asked for.
  std::vector<std::string> navigatedTo;
  std::vector<std::string> savedTo;
  std::size_t readyStateCalls = 0;

  bool ReadyState(std::string& state) override {
    if (readyStates.empty()) return false;
    const std::size_t i = readyStateCalls < readyStates.size() ? readyStateCalls
                                                               : readyStates.size() - 1;
    ++readyStateCalls;
    state = readyStates[i];
    return true;
  }

  bool Url(std::string& out) override {
    if (!urlReadable) return false;
    out = url;
    return true;
  }

  bool SetUrl(const std::string& newUrl) override {
    navigatedTo.push_back(newUrl);
    return true;
  }

  bool AllElements(std::vector<ElementMarkup>& out) override {
    if (!elementsReadable) return false;
    out = elements;
    return true;
  }

  bool BodyText(std::string& text, bool& body) override {
    body = hasBody;
    text = hasBody ? bodyText : std::string();
    return true;
  }

  bool CanSave() const override { return canSave; }

  bool SaveTo(const std::string& path) override {
    savedTo.push_back(path);
    FileWriter file;
    if (!file.Open(path)) return false;
    file.Write(std::string(saveBytes, 'x'));
    file.Close();
    return true;
  }
};

}  // namespace testing
}  // namespace vw
