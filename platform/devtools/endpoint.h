// Where a Chromium-family browser answers the DevTools protocol, its page targets as
// /json/list reports them, and the small HTTP calls that read them.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace vw {
namespace devtools {

// A DevTools endpoint: host name or IP and TCP port. The host is also the Host header, so
// it should be an IP address or "localhost" (Chromium refuses other names). Connections go
// only to the endpoint the user named; by default that is loopback.
struct Endpoint {
  std::string host = "127.0.0.1";
  unsigned short port = 0;
};

// One page target (type "page"; other target types are never listed). title and url are
// GBK byte strings; id and webSocketDebuggerUrl are ASCII as Chromium sends them.
struct PageTarget {
  std::string id;
  std::string title;
  std::string url;
  std::string webSocketDebuggerUrl;
};

// The time one HTTP call to the endpoint may take, connection included.
constexpr std::chrono::milliseconds kHttpTimeout{5000};

// Reads "PORT", "HOST:PORT" or "http://HOST:PORT[/]" into endpoint. False on anything else.
bool ParseEndpoint(const std::string& text, Endpoint& endpoint);

// GET target (such as "/json/list") from the endpoint; body receives the response body of a
// 200 answer. False on any failure, refusal, other status or time-out.
bool HttpGet(const Endpoint& endpoint, const std::string& target, std::string& body,
             std::chrono::milliseconds timeout = kHttpTimeout);

// The page targets of the endpoint in the order /json/list gives them. False when the
// endpoint does not answer with a target list.
bool ListPageTargets(const Endpoint& endpoint, std::vector<PageTarget>& targets);

// The browser's WebSocket URL from /json/version ("ws://.../devtools/browser/<id>"), or
// false when the endpoint does not answer.
bool BrowserWebSocketUrl(const Endpoint& endpoint, std::string& url);

// The endpoint of a running browser from the DevToolsActivePort file in its user-data-dir
// (line 1: port, line 2: the browser's WebSocket path). The file outlives a killed browser,
// so it is only trusted when a browser answers on that port with the same WebSocket path.
bool EndpointFromProfile(const std::string& userDataDir, Endpoint& endpoint);

// The path part ("/devtools/page/...") of a ws:// URL, or the whole text when it has none.
std::string WebSocketPath(const std::string& url);

}  // namespace devtools
}  // namespace vw
