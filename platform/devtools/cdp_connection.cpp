// The WebSocket side of the DevTools connection (Boost.Beast on a private io_context).
#include "platform/devtools/cdp_connection.h"

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>

#include <atomic>
#include <deque>
#include <future>
#include <map>
#include <mutex>
#include <thread>

#include "platform/json_text.h"

namespace vw {
namespace devtools {
namespace {

namespace beast = boost::beast;
namespace websocket = beast::websocket;
namespace net = boost::asio;
using tcp = net::ip::tcp;

// Whole page sources travel in one message; Beast's default limit of 16 MiB is too small.
constexpr std::size_t kMaxMessageBytes = 256u << 20;

}  // namespace

class CdpConnection::Impl {
 public:
  explicit Impl(EventHandler onEvent)
      : work_(net::make_work_guard(ioc_)),
        resolver_(ioc_),
        ws_(ioc_),
        onEvent_(std::move(onEvent)) {}

  ~Impl() {
    // Closing the socket ends every pending operation; the thread then runs out of work.
    // Should anything still hold it after a grace period, the io_context is stopped.
    net::post(ioc_, [this] {
      resolver_.cancel();
      Close();
    });
    work_.reset();
    if (thread_.joinable()) {
      if (finished_.wait_for(std::chrono::seconds(2)) != std::future_status::ready) ioc_.stop();
      thread_.join();
    }
    FailPending();
  }

  // Starts the thread and the connection; true once the handshake is done.
  bool Start(const Endpoint& endpoint, const std::string& path,
             std::chrono::milliseconds timeout) {
    std::packaged_task<void()> run([this] { ioc_.run(); });
    finished_ = run.get_future();
    thread_ = std::thread(std::move(run));
    auto connected = std::make_shared<std::promise<bool>>();
    std::future<bool> result = connected->get_future();
    const std::string hostHeader = endpoint.host + ":" + std::to_string(endpoint.port);
    net::post(ioc_, [this, endpoint, path, hostHeader, timeout, connected] {
      beast::get_lowest_layer(ws_).expires_after(timeout);
      resolver_.async_resolve(
          endpoint.host, std::to_string(endpoint.port),
          [this, path, hostHeader, connected](beast::error_code ec,
                                              tcp::resolver::results_type results) {
            if (ec) return connected->set_value(false);
            beast::get_lowest_layer(ws_).async_connect(
                results, [this, path, hostHeader, connected](beast::error_code ec,
                                                             const tcp::endpoint&) {
                  if (ec) return connected->set_value(false);
                  ws_.async_handshake(hostHeader, path,
                                      [this, connected](beast::error_code ec) {
                                        if (ec) return connected->set_value(false);
                                        // From here the protocol's own time-outs apply.
                                        beast::get_lowest_layer(ws_).expires_never();
                                        ws_.read_message_max(kMaxMessageBytes);
                                        open_ = true;
                                        ReadNext();
                                        connected->set_value(true);
                                      });
                });
          });
    });
    if (result.wait_for(timeout + std::chrono::milliseconds(500)) != std::future_status::ready) {
      return false;
    }
    return result.get();
  }

  bool IsOpen() const { return open_; }

  // Queues the command and returns its id, or -1 (after calling onReply with null) when the
  // connection is closed.
  std::int64_t Send(const std::string& method, const Json& params, ReplyHandler onReply) {
    std::int64_t id;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!open_) {
        id = -1;
      } else {
        id = nextId_++;
        pending_[id] = std::move(onReply);
      }
    }
    if (id < 0) {
      if (onReply) onReply(nullptr);
      return id;
    }
    Json message = {{"id", id}, {"method", method}, {"params", params}};
    std::string text = message.dump(-1, ' ', false, Json::error_handler_t::replace);
    net::post(ioc_, [this, text = std::move(text)]() mutable {
      outbox_.push_back(std::move(text));
      if (outbox_.size() == 1) WriteNext();
    });
    return id;
  }

  // Drops the handler of a command whose caller gave up waiting.
  void Forget(std::int64_t id) {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_.erase(id);
  }

 private:
  void WriteNext() {
    ws_.text(true);
    ws_.async_write(net::buffer(outbox_.front()), [this](beast::error_code ec, std::size_t) {
      if (ec) return Close();
      outbox_.pop_front();
      if (!outbox_.empty()) WriteNext();
    });
  }

  void ReadNext() {
    ws_.async_read(inbox_, [this](beast::error_code ec, std::size_t) {
      if (ec) return Close();
      std::string text = beast::buffers_to_string(inbox_.data());
      inbox_.consume(inbox_.size());
      ReadNext();  // the next read is pending before this message is handled
      Dispatch(text);
    });
  }

  void Dispatch(const std::string& text) {
    const Json message = Json::parse(ReplaceLoneSurrogates(text), nullptr, false);
    if (!message.is_object()) return;
    const auto id = message.find("id");
    if (id != message.end() && id->is_number_integer()) {
      ReplyHandler handler;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = pending_.find(id->get<std::int64_t>());
        if (it == pending_.end()) return;
        handler = std::move(it->second);
        pending_.erase(it);
      }
      if (handler) handler(&message);
      return;
    }
    const auto method = message.find("method");
    if (method != message.end() && method->is_string() && onEvent_) {
      const auto params = message.find("params");
      onEvent_(method->get<std::string>(), params != message.end() ? *params : Json::object());
    }
  }

  void Close() {
    open_ = false;
    beast::error_code ignored;
    beast::get_lowest_layer(ws_).socket().close(ignored);
    outbox_.clear();
    FailPending();
  }

  void FailPending() {
    std::map<std::int64_t, ReplyHandler> failed;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      open_ = false;
      failed.swap(pending_);
    }
    for (auto& entry : failed) {
      if (entry.second) entry.second(nullptr);
    }
  }

  net::io_context ioc_;
  net::executor_work_guard<net::io_context::executor_type> work_;
  tcp::resolver resolver_;
  websocket::stream<beast::tcp_stream> ws_;
  beast::flat_buffer inbox_;
  std::deque<std::string> outbox_;  // touched only on the connection's thread
  EventHandler onEvent_;
  std::thread thread_;
  std::future<void> finished_;  // ready when the thread's run has returned

  mutable std::mutex mutex_;
  std::atomic<bool> open_{false};
  std::int64_t nextId_ = 1;
  std::map<std::int64_t, ReplyHandler> pending_;
};

std::unique_ptr<CdpConnection> CdpConnection::Open(const Endpoint& endpoint,
                                                   const std::string& path,
                                                   EventHandler onEvent,
                                                   std::chrono::milliseconds timeout) {
  auto impl = std::make_unique<Impl>(std::move(onEvent));
  if (!impl->Start(endpoint, path, timeout)) return nullptr;
  return std::unique_ptr<CdpConnection>(new CdpConnection(std::move(impl)));
}

CdpConnection::CdpConnection(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

CdpConnection::~CdpConnection() = default;

bool CdpConnection::Call(const std::string& method, const Json& params, Json& result,
                         std::chrono::milliseconds timeout) {
  auto reply = std::make_shared<std::promise<Json>>();
  std::future<Json> answer = reply->get_future();
  const std::int64_t id = impl_->Send(method, params, [reply](const Json* message) {
    reply->set_value(message != nullptr ? *message : Json());
  });
  if (answer.wait_for(timeout) != std::future_status::ready) {
    impl_->Forget(id);
    return false;
  }
  const Json message = answer.get();
  const auto it = message.is_object() ? message.find("result") : message.end();
  if (it == message.end()) return false;
  result = *it;
  return true;
}

void CdpConnection::Send(const std::string& method, const Json& params, ReplyHandler onReply) {
  impl_->Send(method, params, std::move(onReply));
}

bool CdpConnection::IsOpen() const { return impl_->IsOpen(); }

}  // namespace devtools
}  // namespace vw
