#include "serve/Server.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <utility>  // before Boost 1.74's Asio, which uses std::exchange without it

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>

#include "serve/Cache.h"
#include "serve/Designs.h"
#include "serve/Metrics.h"
#include "serve/Request.h"
#include "veskel/BuildInfo.h"

namespace veskel::serve {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;

// The header fields of one request may take this many bytes (431 above); the whole head, request
// line included, is read into a buffer of at most kMaxTargetBytes more.
constexpr std::size_t kMaxFieldBytes = 8192;
constexpr std::size_t kHeadLimit = kMaxTargetBytes + kMaxFieldBytes + 512;

void WriteErr(std::string line) {
    line += '\n';
    // One write per line, so that lines from several threads never interleave.
    for (std::size_t done = 0; done < line.size();) {
        const ssize_t n = ::write(STDERR_FILENO, line.data() + done, line.size() - done);
        if (n <= 0) return;
        done += std::size_t(n);
    }
}

std::string Json(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c >= 0x7f) {
            // Bytes outside printable ASCII are shown by value, so that every line is valid JSON
            // whatever a client sent.
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string Timestamp() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    tm utc{};
    ::gmtime_r(&now.tv_sec, &utc);
    char text[40];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text + n, sizeof text - n, ".%03ldZ", now.tv_nsec / 1000000);
    return text;
}

void LogEvent(const std::string& event, const std::string& detail = "") {
    WriteErr("{\"time\":\"" + Timestamp() + "\",\"event\":" + Json(event) +
             (detail.empty() ? "" : ",\"detail\":" + Json(detail)) + "}");
}

// One answer before it becomes an HTTP response.
struct Answer {
    http::status status = http::status::ok;
    std::string contentType = "text/plain; charset=utf-8";
    std::shared_ptr<const std::string> body = std::make_shared<const std::string>();  // shared with the cache
    std::string etag;
    bool cacheable = false;  // Cache-Control: public, max-age=N
    bool close = false;      // the connection cannot carry another request
    const char* cache = "";  // "hit", "miss" in the access log
};

Answer Plain(int status, std::string reason, bool close = false) {
    Answer a;
    a.status = http::status(status);
    std::replace_if(reason.begin(), reason.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    a.body = std::make_shared<const std::string>(std::move(reason) + "\n");
    a.close = close;
    return a;
}

// Whether If-None-Match names `etag` (or is "*"). Weak forms compare equal, as for GET they must.
bool Matches(std::string_view header, std::string_view etag) {
    while (!header.empty()) {
        const std::size_t comma = header.find(',');
        std::string_view item = header.substr(0, comma);
        header = comma == std::string_view::npos ? std::string_view() : header.substr(comma + 1);
        while (!item.empty() && (item.front() == ' ' || item.front() == '\t')) item.remove_prefix(1);
        while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.remove_suffix(1);
        if (item.substr(0, 2) == "W/") item.remove_prefix(2);
        if (item == "*" || item == etag) return true;
    }
    return false;
}

class Session;

class Service {
public:
    explicit Service(const ServerConfig& config)
        : config_(config), designs_(config.designs), cache_(config.cacheBytes),
          renderPool_(std::size_t(config.renderThreads)), acceptor_(ioc_), signals_(ioc_),
          reloadTimer_(ioc_), drainTimer_(ioc_) {}

    int Run();
    void Remember(Session* s, std::weak_ptr<Session> w) {
        std::lock_guard lock(sessionsMutex_);
        sessions_.emplace(s, std::move(w));
    }
    void Forget(Session* s);

    const ServerConfig config_;
    DesignStore designs_;
    AnswerCache cache_;
    Metrics metrics_;
    asio::thread_pool renderPool_;
    std::atomic<bool> draining_{false};
    std::atomic<std::size_t> queued_{0}, connections_{0};

private:
    void Open();
    void Accept();
    void WaitSignal();
    void WatchFolder();
    void Reload(const char* why);
    void Drain();
    void Stop();

    std::mutex sessionsMutex_;
    std::unordered_map<Session*, std::weak_ptr<Session>> sessions_;
    // Declared last, destroyed first: the handlers it still holds release their sessions while
    // everything above is alive.
    asio::io_context ioc_;
    tcp::acceptor acceptor_;
    asio::signal_set signals_;
    asio::steady_timer reloadTimer_, drainTimer_;
};

class Session : public std::enable_shared_from_this<Session> {
public:
    Session(tcp::socket socket, Service& service) : stream_(std::move(socket)), service_(service) {
        beast::error_code ec;
        const tcp::endpoint peer = stream_.socket().remote_endpoint(ec);
        if (!ec) remote_ = peer.address().to_string();
        stream_.socket().set_option(tcp::no_delay(true), ec);
    }
    ~Session() { service_.Forget(this); }

    void Start() {
        service_.Remember(this, weak_from_this());
        asio::dispatch(stream_.get_executor(), beast::bind_front_handler(&Session::Read, shared_from_this()));
    }

    // The service drains: a connection waiting for its next request is closed now; one that has
    // begun a request gets its answer first (with Connection: close).
    void Drain() {
        asio::post(stream_.get_executor(), [self = shared_from_this()] {
            if (!self->busy_ && self->buffer_.size() == 0 && !(self->parser_ && self->parser_->got_some())) self->Close();
        });
    }

private:
    void Read() {
        if (service_.draining_) return Close();
        busy_ = false;
        parser_.emplace();
        parser_->header_limit(std::uint32_t(kHeadLimit));
        parser_->body_limit(0);
        stream_.expires_after(service_.config_.headerTimeout);
        http::async_read(stream_, buffer_, *parser_, beast::bind_front_handler(&Session::OnRead, shared_from_this()));
    }

    void OnRead(beast::error_code ec, std::size_t) {
        const bool started = buffer_.size() > 0 || parser_->got_some();
        if (ec == beast::error::timeout) {
            if (started) {
                service_.metrics_.slowClientsCut.fetch_add(1, std::memory_order_relaxed);
                LogEvent("slow client cut", remote_);
            }
            return;  // the stream has closed the socket
        }
        if (ec == http::error::end_of_stream || ec == asio::error::operation_aborted ||
            ec == asio::error::connection_reset || ec == asio::error::eof)
            return Close();
        start_ = Clock::now();
        busy_ = true;
        method_ = "-";
        target_.clear();
        if (ec == http::error::header_limit || ec == http::error::buffer_overflow) {
            // Too long a request line is the address's fault; otherwise the header fields'.
            const std::string_view head(static_cast<const char*>(buffer_.data().data()), buffer_.size());
            const std::size_t lineEnd = head.find("\r\n");
            if (lineEnd == std::string_view::npos || lineEnd > kMaxTargetBytes + 32)
                return Send(Plain(414, "the address is longer than 4096 bytes", true));
            return Send(Plain(431, "the header fields are larger than 8192 bytes", true));
        }
        if (ec == http::error::body_limit) return Send(Plain(413, "a banner request carries no body", true));
        if (ec) {
            if (!started) return Close();
            return Send(Plain(400, "malformed request: " + ec.message(), true));
        }
        Handle();
    }

    void Handle() {
        const auto& req = parser_->get();
        head_ = req.method() == http::verb::head;
        keepAlive_ = req.keep_alive();
        method_ = std::string(req.method_string());
        target_ = std::string(req.target());
        if (target_.size() > kMaxTargetBytes) return Send(Plain(414, "the address is longer than 4096 bytes", true));
        std::size_t fieldBytes = 0;
        for (const auto& field : req) fieldBytes += field.name_string().size() + field.value().size() + 4;
        if (fieldBytes > kMaxFieldBytes) return Send(Plain(431, "the header fields are larger than 8192 bytes", true));
        if (req.method() != http::verb::get && !head_) {
            Answer a = Plain(405, "only GET and HEAD are answered");
            allow_ = true;
            return Send(std::move(a));
        }
        if (target_ == "/healthz") return Send(Plain(200, "ok"));
        if (target_ == "/readyz")
            return Send(service_.draining_ ? Plain(503, "draining") : Plain(200, "ready"));
        if (target_ == "/metrics") {
            Answer a = Plain(200, "");
            a.body = std::make_shared<const std::string>(service_.metrics_.Text(
                service_.cache_.UsedBytes(), service_.designs_.Count(), service_.connections_.load(),
                service_.queued_.load()));
            a.contentType = "text/plain; version=0.0.4; charset=utf-8";
            return Send(std::move(a));
        }
        if (target_.rfind("/v1/", 0) != 0) return Send(Plain(404, "no such address"));
        const auto ifNoneMatch = req[http::field::if_none_match];
        Banner(std::string_view(ifNoneMatch.data(), ifNoneMatch.size()));
    }

    // A cached answer for this very address (the same bytes as before, under the same designs).
    bool FromCache(const std::string& key, std::string_view ifNoneMatch) {
        const auto hit = service_.cache_.Find(key);
        if (!hit) return false;
        Answer a;
        a.contentType = hit->contentType;
        a.etag = hit->etag;
        a.cacheable = true;
        if (!ifNoneMatch.empty() && Matches(ifNoneMatch, hit->etag)) {
            a.status = http::status::not_modified;
        } else {
            service_.metrics_.cacheHits.fetch_add(1, std::memory_order_relaxed);
            a.body = hit->body;
            a.cache = "hit";
        }
        Send(std::move(a));
        return true;
    }

    void Banner(std::string_view ifNoneMatch) {
        // Most requests repeat an address seen before: they are answered without reading it again.
        auto sentKey = std::make_shared<std::string>("address " + std::to_string(service_.designs_.Generation()) + " " + target_);
        if (FromCache(*sentKey, ifNoneMatch)) return;
        auto request = std::make_shared<BannerRequest>();
        try {
            *request = ParseBannerTarget(target_);
        } catch (const RequestProblem& p) {
            return Send(Plain(p.status, p.reason));
        }
        std::shared_ptr<const Design> design;
        std::string identity;
        if (request->IsRecord()) {
            identity = "record " + HashHex(std::string_view(reinterpret_cast<const char*>(request->record.data()),
                                                            request->record.size()));
        } else {
            design = service_.designs_.Find(request->design);
            if (!design) return Send(Plain(404, "no design '" + request->design + "'"));
            identity = "design " + design->name + " " + design->hash;
        }
        auto key = std::make_shared<std::string>(identity + "\n" + std::to_string(int(request->format)) + "\n" +
                                                 request->CanonicalQuery());
        const std::string etag = "\"" + HashHex(*key + "\n" + kVersion + "\n" + std::to_string(service_.config_.pngLevel)) + "\"";
        Answer a;
        a.contentType = ContentTypeOf(request->format);
        a.etag = etag;
        a.cacheable = true;
        if (!ifNoneMatch.empty() && Matches(ifNoneMatch, etag)) {
            a.status = http::status::not_modified;
            return Send(std::move(a));
        }
        if (FromCache(*key, {})) return;
        if (service_.queued_.fetch_add(1) >= service_.config_.queue) {
            service_.queued_.fetch_sub(1);
            return Send(Plain(503, "too many banners are being drawn; try again in a second"));
        }
        service_.metrics_.cacheMisses.fetch_add(1, std::memory_order_relaxed);
        asio::post(service_.renderPool_, [self = shared_from_this(), request, design, key, sentKey, a = std::move(a)]() mutable {
            Service& service = self->service_;
            const Clock::time_point t0 = Clock::now();
            try {
                a.body = std::make_shared<const std::string>(
                    RenderAnswer(design ? &design->base : nullptr, *request, service.config_.pngLevel));
                a.cache = "miss";
                const char* type = ContentTypeOf(request->format);
                auto cached = std::make_shared<const CachedAnswer>(CachedAnswer{a.body, a.etag, type});
                service.cache_.Put(*key, cached);
                service.cache_.Put(*sentKey, cached);
            } catch (const RequestProblem& p) {
                a = Plain(p.status, p.reason);
            } catch (const std::exception& e) {
                a = Plain(500, std::string("the banner could not be drawn: ") + e.what());
            }
            service.metrics_.render.Add(std::chrono::duration<double>(Clock::now() - t0).count());
            service.queued_.fetch_sub(1);
            asio::post(self->stream_.get_executor(), [self, a = std::move(a)]() mutable { self->Send(std::move(a)); });
        });
    }

    void Send(Answer a) {
        const bool close = a.close || !keepAlive_ || service_.draining_;
        res_ = {};
        res_.version(11);
        res_.result(a.status);
        res_.set(http::field::server, "veskel-serve");
        if (a.status != http::status::not_modified) res_.set(http::field::content_type, a.contentType);
        if (!a.etag.empty()) res_.set(http::field::etag, a.etag);
        if (a.cacheable)
            res_.set(http::field::cache_control, "public, max-age=" + std::to_string(service_.config_.maxAge));
        if (a.status == http::status::service_unavailable) res_.set(http::field::retry_after, "1");
        if (allow_) res_.set(http::field::allow, "GET, HEAD");
        allow_ = false;
        res_.keep_alive(!close);
        const std::size_t size = a.body->size();
        body_ = std::move(a.body);  // alive until the answer is written
        res_.body().data = head_ || size == 0 ? nullptr : const_cast<char*>(body_->data());
        res_.body().size = head_ ? 0 : size;
        res_.body().more = false;
        if (a.status != http::status::not_modified) res_.content_length(size);
        const int status = int(a.status);
        const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
        service_.metrics_.Count(status);
        service_.metrics_.total.Add(seconds);
        if (service_.config_.accessLog) {
            char ms[32];
            std::snprintf(ms, sizeof ms, "%.3f", seconds * 1000);
            WriteErr("{\"time\":\"" + Timestamp() + "\",\"remote\":" + Json(remote_) + ",\"method\":" + Json(method_) +
                     ",\"target\":" + Json(target_) + ",\"status\":" + std::to_string(status) +
                     ",\"bytes\":" + std::to_string(head_ ? 0 : size) + (*a.cache ? ",\"cache\":\"" + std::string(a.cache) + "\"" : "") +
                     ",\"ms\":" + ms + "}");
        }
        stream_.expires_after(service_.config_.headerTimeout);
        http::async_write(stream_, res_, beast::bind_front_handler(&Session::OnWrite, shared_from_this(), close));
    }

    void OnWrite(bool close, beast::error_code ec, std::size_t) {
        if (ec) return Close();
        if (close) return Linger();
        Read();
    }

    // After the last answer: no more sending, and what the client still sends is read and
    // dropped for a moment, so that closing does not reset the connection under an answer the
    // client has not read yet.
    void Linger() {
        beast::error_code ec;
        stream_.socket().shutdown(tcp::socket::shutdown_send, ec);
        stream_.expires_after(std::chrono::seconds(1));
        LingerRead();
    }
    void LingerRead() {
        stream_.async_read_some(asio::buffer(discard_), [self = shared_from_this()](beast::error_code ec, std::size_t) {
            if (ec) return self->Close();
            self->LingerRead();
        });
    }

    void Close() {
        beast::error_code ec;
        stream_.socket().shutdown(tcp::socket::shutdown_both, ec);
        stream_.socket().close(ec);
    }

    beast::tcp_stream stream_;
    Service& service_;
    beast::flat_buffer buffer_{kHeadLimit};
    std::optional<http::request_parser<http::empty_body>> parser_;
    http::response<http::buffer_body> res_;
    std::shared_ptr<const std::string> body_;
    std::array<char, 4096> discard_;
    std::string remote_ = "-", method_, target_;
    Clock::time_point start_;
    bool busy_ = false, head_ = false, keepAlive_ = true, allow_ = false;
};

void Service::Forget(Session* s) {
    {
        std::lock_guard lock(sessionsMutex_);
        sessions_.erase(s);
    }
    if (connections_.fetch_sub(1) == 1 && draining_) asio::post(ioc_, [this] { Stop(); });
}

// The socket systemd handed over (LISTEN_FDS), or a new one on config_.listen.
void Service::Open() {
    const char* pid = std::getenv("LISTEN_PID");
    const char* fds = std::getenv("LISTEN_FDS");
    if (pid && fds && std::atol(pid) == long(::getpid()) && std::atoi(fds) >= 1) {
        constexpr int kFirstFd = 3;
        ::unsetenv("LISTEN_PID");
        ::unsetenv("LISTEN_FDS");
        ::fcntl(kFirstFd, F_SETFD, FD_CLOEXEC);
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (::getsockname(kFirstFd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("the socket handed over is not a socket");
        acceptor_.assign(address.ss_family == AF_INET6 ? tcp::v6() : tcp::v4(), kFirstFd);
        LogEvent("listening", "on the socket handed over, " + acceptor_.local_endpoint().address().to_string() + ":" +
                                  std::to_string(acceptor_.local_endpoint().port()));
        return;
    }
    const std::string& listen = config_.listen;
    const std::size_t colon = listen.rfind(':');
    if (colon == std::string::npos) throw std::runtime_error("--listen needs ADDRESS:PORT, not '" + listen + "'");
    std::string host = listen.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    const std::string portText = listen.substr(colon + 1);
    char* end = nullptr;
    const long port = std::strtol(portText.c_str(), &end, 10);
    if (portText.empty() || *end || port < 0 || port > 65535)
        throw std::runtime_error("--listen: '" + portText + "' is not a port");
    beast::error_code ec;
    const auto address = asio::ip::make_address(host, ec);
    if (ec) throw std::runtime_error("--listen: '" + host + "' is not an IP address");
    const tcp::endpoint endpoint(address, std::uint16_t(port));
    acceptor_.open(endpoint.protocol());
    acceptor_.set_option(asio::socket_base::reuse_address(true));
    acceptor_.bind(endpoint, ec);
    if (ec) throw std::runtime_error("cannot listen on " + listen + ": " + ec.message());
    acceptor_.listen(asio::socket_base::max_listen_connections);
    LogEvent("listening", "on " + listen);
}

void Service::Accept() {
    acceptor_.async_accept(asio::make_strand(ioc_), [this](beast::error_code ec, tcp::socket socket) {
        if (ec == asio::error::operation_aborted || !acceptor_.is_open()) return;
        if (!ec) {
            if (connections_.load() >= config_.maxConnections) {
                static constexpr std::string_view kBusy =
                    "HTTP/1.1 503 Service Unavailable\r\nRetry-After: 1\r\nContent-Type: text/plain\r\n"
                    "Content-Length: 28\r\nConnection: close\r\n\r\ntoo many open connections.\n\n";
                beast::error_code ignored;
                socket.non_blocking(true, ignored);
                asio::write(socket, asio::buffer(kBusy.data(), kBusy.size()), ignored);
                metrics_.Count(503);
            } else {
                connections_.fetch_add(1);
                std::make_shared<Session>(std::move(socket), *this)->Start();
            }
        }
        Accept();
    });
}

void Service::WaitSignal() {
    signals_.async_wait([this](beast::error_code ec, int signal) {
        if (ec) return;
        if (signal == SIGHUP)
            Reload("SIGHUP");
        else
            Drain();
        WaitSignal();
    });
}

void Service::Reload(const char* why) {
    try {
        for (const std::string& message : designs_.Reload()) LogEvent(message, why);
    } catch (const std::exception& e) {
        LogEvent("reload failed", e.what());
    }
}

void Service::WatchFolder() {
    reloadTimer_.expires_after(config_.reloadInterval);
    reloadTimer_.async_wait([this](beast::error_code ec) {
        if (ec || draining_) return;
        try {
            if (designs_.ListingChanged()) Reload("the folder changed");
        } catch (const std::exception& e) {
            LogEvent("reload failed", e.what());
        }
        WatchFolder();
    });
}

void Service::Drain() {
    if (draining_.exchange(true)) return;
    LogEvent("draining", std::to_string(connections_.load()) + " connections open");
    beast::error_code ec;
    acceptor_.close(ec);
    reloadTimer_.cancel();
    std::vector<std::shared_ptr<Session>> open;
    {
        std::lock_guard lock(sessionsMutex_);
        for (const auto& [raw, weak] : sessions_)
            if (auto s = weak.lock()) open.push_back(std::move(s));
    }
    for (const auto& s : open) s->Drain();
    open.clear();
    drainTimer_.expires_after(config_.drainTime);
    drainTimer_.async_wait([this](beast::error_code ec) {
        if (ec) return;
        LogEvent("drain time passed", std::to_string(connections_.load()) + " connections cut");
        Stop();
    });
    if (connections_.load() == 0) Stop();
}

void Service::Stop() {
    beast::error_code ec;
    signals_.cancel(ec);
    drainTimer_.cancel();
    ioc_.stop();
}

int Service::Run() {
    try {
        for (const std::string& message : designs_.Reload()) LogEvent(message, "start");
        Open();
    } catch (const std::exception& e) {
        WriteErr(std::string("veskel-serve: ") + e.what());
        return 1;
    }
    signals_.add(SIGTERM);
    signals_.add(SIGINT);
    signals_.add(SIGHUP);
    WaitSignal();
    WatchFolder();
    Accept();
    std::vector<std::thread> threads;
    for (int i = 1; i < config_.threads; ++i) threads.emplace_back([this] { ioc_.run(); });
    ioc_.run();
    for (std::thread& t : threads) t.join();
    renderPool_.join();
    LogEvent("stopped");
    return 0;
}

}  // namespace

int RunServer(const ServerConfig& given) {
    ServerConfig config = given;
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    if (config.threads <= 0) config.threads = cores;
    if (config.renderThreads <= 0) config.renderThreads = cores;
    // A client that goes away while its answer is written must not end the process.
    ::signal(SIGPIPE, SIG_IGN);
    Service service(config);
    return service.Run();
}

}  // namespace veskel::serve
