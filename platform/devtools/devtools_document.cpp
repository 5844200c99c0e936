// Page operations as Runtime.evaluate and Page domain commands.
#include "platform/devtools/devtools_document.h"

#include "platform/ansi.h"
#include "platform/ansi_convert.h"
#include "platform/files.h"

namespace vw {
namespace devtools {
namespace {

using Json = nlohmann::json;

// Comments ahead of the html element with their markup (tag name "!"), then every element
// in tree order (the order of document.all), as [tagName, outerHTML] pairs. Called with
// true, it stops after the html element, whose markup holds everything inside it: a large
// page then costs its own size once instead of every element's markup again.
constexpr char kElementsFunction[] = R"JS(((stopAtHtml) => {
  const out = [];
  const walker = document.createTreeWalker(document,
      NodeFilter.SHOW_ELEMENT | NodeFilter.SHOW_COMMENT);
  let seenElement = false;
  while (walker.nextNode()) {
    const node = walker.currentNode;
    if (node.nodeType === Node.COMMENT_NODE) {
      if (!seenElement) out.push(['!', '<!--' + node.data + '-->']);
    } else {
      seenElement = true;
      out.push([node.tagName, node.outerHTML]);
      if (stopAtHtml && node.tagName.toUpperCase() === 'HTML') break;
    }
  }
  return out;
}))JS";

// A string value converted to GBK; false for anything else.
bool GbkString(const Json& value, std::string& out) {
  if (!value.is_string()) return false;
  out = ansi::FromUtf8(value.get<std::string>());
  return true;
}

bool IsGbkFamily(const std::string& charset) {
  for (const char* name : {"gbk", "gb2312", "gb18030", "x-gbk"}) {
    if (ansi::EqualNoCase(charset, std::string(name))) return true;
  }
  return false;
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

bool DecodeBase64(const std::string& text, std::string& bytes) {
  bytes.clear();
  unsigned buffer = 0;
  int bits = 0;
  for (char c : text) {
    if (c == '=') break;
    if (ansi::IsSpace(static_cast<unsigned char>(c))) continue;
    const int value = Base64Value(c);
    if (value < 0) return false;
    buffer = (buffer << 6) | static_cast<unsigned>(value);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes += static_cast<char>((buffer >> bits) & 0xFF);
    }
  }
  return true;
}

DevToolsDocument::DevToolsDocument(std::shared_ptr<PageSession> session)
    : session_(std::move(session)) {}

bool DevToolsDocument::ReadyState(std::string& state) {
  if (!session_->IsOpen()) return false;
  if (session_->NavigationPending()) {
    state = "loading";
    return true;
  }
  Json value;
  return session_->Evaluate("document.readyState", value) && GbkString(value, state);
}

bool DevToolsDocument::Url(std::string& url) {
  Json value;
  return session_->Evaluate("document.URL", value) && GbkString(value, url);
}

bool DevToolsDocument::SetUrl(const std::string& url) {
  if (!session_->IsOpen()) return false;
  session_->Navigate(ansi::ToUtf8(url));
  return true;
}

bool DevToolsDocument::AllElements(std::vector<ElementMarkup>& elements) {
  return Elements(false, elements);
}

bool DevToolsDocument::ElementsThroughHtml(std::vector<ElementMarkup>& elements) {
  return Elements(true, elements);
}

bool DevToolsDocument::Elements(bool stopAtHtml, std::vector<ElementMarkup>& elements) {
  Json value;
  if (session_->NavigationPending()) return false;
  const std::string script =
      std::string(kElementsFunction) + (stopAtHtml ? "(true)" : "(false)");
  if (!session_->Evaluate(script, value) || !value.is_array()) return false;
  elements.clear();
  elements.reserve(value.size());
  for (const Json& pair : value) {
    ElementMarkup element;
    if (!pair.is_array() || pair.size() != 2 || !GbkString(pair[0], element.tagName) ||
        !GbkString(pair[1], element.outerHtml)) {
      return false;
    }
    elements.push_back(std::move(element));
  }
  return true;
}

bool DevToolsDocument::BodyText(std::string& text, bool& hasBody) {
  Json value;
  if (session_->NavigationPending() ||
      !session_->Evaluate("document.body ? document.body.innerText : null", value)) {
    return false;
  }
  hasBody = !value.is_null();
  text.clear();
  return !hasBody || GbkString(value, text);
}

bool DevToolsDocument::SaveTo(const std::string& path) {
  Json tree;
  if (session_->NavigationPending() ||
      !session_->Call("Page.getResourceTree", Json::object(), tree)) {
    return false;
  }
  const Json& frame = tree["frameTree"]["frame"];
  if (!frame.is_object()) return false;
  Json content;
  const Json params = {{"frameId", frame.value("id", "")}, {"url", frame.value("url", "")}};
  if (!session_->Call("Page.getResourceContent", params, content)) return false;
  const auto text = content.find("content");
  if (text == content.end() || !text->is_string()) return false;

  std::string bytes;
  if (content.value("base64Encoded", false)) {
    // Content the browser did not decode as text: the raw bytes as they came.
    if (!DecodeBase64(text->get<std::string>(), bytes)) return false;
  } else {
    Json charset;
    if (!session_->Evaluate("document.characterSet", charset) || !charset.is_string()) {
      return false;
    }
    const std::string name = charset.get<std::string>();
    if (ansi::EqualNoCase(name, std::string("utf-8"))) {
      bytes = text->get<std::string>();
    } else if (IsGbkFamily(name)) {
      bytes = ansi::FromUtf8(text->get<std::string>());
    } else {
      return false;
    }
  }
  try {
    FileWriter file;
    if (!file.Open(path)) return false;
    file.Write(bytes);
    file.Close();
  } catch (const FileError&) {
    return false;  // the caller judges the save by the file's size
  }
  return true;
}

}  // namespace devtools
}  // namespace vw
