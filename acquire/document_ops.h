// Document acquisition: the page document of the picked browser, and the few page
// operations the rest of the system needs (load state, address, navigation, page source).
// Works on any PageDocument/BrowserHost; all strings are GBK byte strings.
#pragma once

#include <string>

#include "acquire/browser_host.h"
#include "acquire/page_document.h"

namespace vw {

// The fixed message texts of document acquisition, in UTF-8 as they stand in the source.
// ShowAcquireMessage converts them to GBK for the sink.
namespace acquire_text {
// The viewer's browser does not answer at all (hung, gone, or no debugging endpoint).
inline constexpr const char kNotAnswering[] = "抱歉，本程序只能在Window 2000/XP下运行。";
// The picked thing is not a usable web browser window.
inline constexpr const char kSelectValid[] = "抱歉，请选择一个有效的网页浏览窗口。";
// The browser answered, but the page's document could not be obtained from it.
inline constexpr const char kNoInformation[] =
    "抱歉，不能获取此窗口的信息。请到安装有IE 6以上版本的机器上再试试。";
// The picked browser window no longer exists.
inline constexpr const char kWindowGone[] = "抱歉，此网页浏览窗口已经不存在，请重新选择一个。";
}  // namespace acquire_text

// Shows one of the texts above (UTF-8) on sink as a GBK string; nothing when sink is null.
void ShowAcquireMessage(MessageSink* sink, const char* utf8Text);

// Whether GetBrowserDocument shows its messages. Initially on; the Start/Stop handler turns
// it off for the length of a run and on again afterwards.
void SetShowBrowserErrors(bool on);

// The current value of the flag above.
bool GetShowBrowserErrors();

// The document the browser of host shows now, searched anew, or null. A null host gives
// null silently; the host's failure messages reach sink only while ShowBrowserErrors is on.
DocumentRef GetBrowserDocument(BrowserHost* host, MessageSink* sink);

// True while the host still exists. When it is gone (or null), shows "the window no longer
// exists" on sink whatever ShowBrowserErrors says.
bool CheckBrowserWindow(BrowserHost* host, MessageSink* sink);

// True when the document's ready state is "complete" in any letter case. A null document
// or a failed read gives false.
bool IsPageComplete(PageDocument* document);

// The document's address, empty when unavailable.
std::string GetPageUrl(PageDocument* document);

// Asks the browser to load url in place of document. Does nothing for a null document;
// does not wait and ignores the result (the caller polls with a document fetched anew).
void NavigatePage(PageDocument* document, const std::string& url);

// Assembles the page source into out (emptied first): the markup of each element in
// document order, each followed by one LF byte, stopping after the element whose tag name
// is "HTML" (any case). Elements before it, such as comments, thus stay ahead of it. True
// when the markup of at least one element was appended.
bool GetPageSource(PageDocument* document, std::string& out);

}  // namespace vw
