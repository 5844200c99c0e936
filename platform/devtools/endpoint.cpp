// The /json/* calls over Boost.Beast HTTP, each bounded by a time-out.
#include "platform/devtools/endpoint.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <memory>

#include "platform/ansi_convert.h"
#include "platform/json_text.h"

namespace vw {
namespace devtools {
namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;

// The state of one GET while its asynchronous steps run on a private io_context.
struct GetCall {
  explicit GetCall(net::io_context& ioc) : resolver(ioc), stream(ioc) {}
  tcp::resolver resolver;
  beast::tcp_stream stream;
  http::request<http::empty_body> request;
  http::response<http::string_body> response;
  beast::flat_buffer buffer;
  bool done = false;
};

bool ParsePort(const std::string& text, unsigned short& port) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (value <= 0 || value > 65535) return false;
  port = static_cast<unsigned short>(value);
  return true;
}

}  // namespace

bool ParseEndpoint(const std::string& text, Endpoint& endpoint) {
  std::string rest = text;
  if (rest.compare(0, 7, "http://") == 0) rest.erase(0, 7);
  if (!rest.empty() && rest.back() == '/') rest.pop_back();
  Endpoint parsed;
  const std::size_t colon = rest.rfind(':');
  if (colon == std::string::npos) {
    if (!ParsePort(rest, parsed.port)) return false;
  } else {
    parsed.host = rest.substr(0, colon);
    if (parsed.host.size() > 2 && parsed.host.front() == '[' && parsed.host.back() == ']') {
      parsed.host = parsed.host.substr(1, parsed.host.size() - 2);
    }
    if (parsed.host.empty() || !ParsePort(rest.substr(colon + 1), parsed.port)) return false;
  }
  endpoint = parsed;
  return true;
}

bool HttpGet(const Endpoint& endpoint, const std::string& target, std::string& body,
             std::chrono::milliseconds timeout) {
  net::io_context ioc;
  auto call = std::make_shared<GetCall>(ioc);
  call->request.method(http::verb::get);
  call->request.target(target);
  call->request.version(11);
  call->request.set(http::field::host, endpoint.host + ":" + std::to_string(endpoint.port));
  call->request.set(http::field::connection, "close");

  call->stream.expires_after(timeout);
  call->resolver.async_resolve(
      endpoint.host, std::to_string(endpoint.port),
      [call](beast::error_code ec, tcp::resolver::results_type results) {
        if (ec) return;
        call->stream.async_connect(results, [call](beast::error_code ec,
                                                   const tcp::endpoint&) {
          if (ec) return;
          http::async_write(call->stream, call->request,
                            [call](beast::error_code ec, std::size_t) {
                              if (ec) return;
                              http::async_read(call->stream, call->buffer, call->response,
                                               [call](beast::error_code ec, std::size_t) {
                                                 call->done = !ec;
                                               });
                            });
        });
      });
  // The stream's expiry ends a stalled connect, write or read; the resolver is local or
  // numeric, and run_for bounds it as well.
  ioc.run_for(timeout + std::chrono::milliseconds(500));
  if (!call->done || call->response.result() != http::status::ok) return false;
  body = std::move(call->response.body());
  return true;
}

bool ListPageTargets(const Endpoint& endpoint, std::vector<PageTarget>& targets) {
  std::string body;
  if (!HttpGet(endpoint, "/json/list", body)) return false;
  const auto list = nlohmann::json::parse(ReplaceLoneSurrogates(body), nullptr, false);
  if (!list.is_array()) return false;
  targets.clear();
  for (const auto& item : list) {
    if (!item.is_object() || item.value("type", "") != "page") continue;
    PageTarget target;
    target.id = item.value("id", "");
    target.title = ansi::FromUtf8(item.value("title", ""));
    target.url = ansi::FromUtf8(item.value("url", ""));
    target.webSocketDebuggerUrl = item.value("webSocketDebuggerUrl", "");
    if (!target.id.empty()) targets.push_back(std::move(target));
  }
  return true;
}

bool BrowserWebSocketUrl(const Endpoint& endpoint, std::string& url) {
  std::string body;
  if (!HttpGet(endpoint, "/json/version", body)) return false;
  const auto version = nlohmann::json::parse(ReplaceLoneSurrogates(body), nullptr, false);
  if (!version.is_object()) return false;
  url = version.value("webSocketDebuggerUrl", "");
  return !url.empty();
}

bool EndpointFromProfile(const std::string& userDataDir, Endpoint& endpoint) {
  std::ifstream file(userDataDir + "/DevToolsActivePort");
  std::string portLine, pathLine;
  if (!std::getline(file, portLine)) return false;
  std::getline(file, pathLine);
  Endpoint found;
  if (!ParsePort(portLine, found.port)) return false;
  std::string url;
  if (!BrowserWebSocketUrl(found, url)) return false;
  // A stale file may name a port that another browser (or program) has since taken.
  if (!pathLine.empty() && WebSocketPath(url) != pathLine) return false;
  endpoint = found;
  return true;
}

std::string WebSocketPath(const std::string& url) {
  const std::size_t scheme = url.find("://");
  if (scheme == std::string::npos) return url;
  const std::size_t slash = url.find('/', scheme + 3);
  return slash == std::string::npos ? std::string("/") : url.substr(slash);
}

}  // namespace devtools
}  // namespace vw
