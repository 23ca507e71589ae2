// veskel-serve end to end: statuses and headers, the pixels against veskel-render's, slow
// clients, reloads and the drain. Every server listens on 127.0.0.1 only.
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "platform/codecs/Codecs.h"
#include "serve/Request.h"
#include "tests/project/TestFiles.h"

namespace veskel {
namespace {

using namespace std::chrono_literals;
using testing::ReadAll;
using testing::ScratchDir;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Asks `done` until it holds, at most `tries` times 10 ms apart.
template <class Done> bool Eventually(int tries, Done done) {
    for (int i = 0; i < tries; ++i, std::this_thread::sleep_for(10ms))
        if (done()) return true;
    return false;
}

// The child side of a fork: becomes args[0] with the rest of `args` and then `more`.
[[noreturn]] void Exec(std::vector<std::string> args, const std::vector<std::string>& more = {}) {
    args.insert(args.end(), more.begin(), more.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

int RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& more = {}) {
    const pid_t pid = ::fork();
    if (pid == 0) Exec(args, more);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

// A design made by veskel-render, as a user would make one.
void MakeDesign(const std::string& path, std::vector<std::string> args) {
    args.insert(args.begin(), VESKEL_RENDER_PATH);
    ASSERT_EQ(RunProgram(args, {"--save-project", path}), 0);
}

Bitmap RenderedByCli(const ScratchDir& dir, std::vector<std::string> args) {
    args.insert(args.begin(), VESKEL_RENDER_PATH);
    EXPECT_EQ(RunProgram(args, {"-o", dir / "cli.png"}), 0);
    return DecodePng(ReadAll(dir / "cli.png")).color;
}

sockaddr_in Loopback(int port) {
    return {.sin_family = AF_INET, .sin_port = htons(std::uint16_t(port)), .sin_addr = {htonl(INADDR_LOOPBACK)},
            .sin_zero = {}};
}

struct Reply {
    int status = 0;  // 0: the connection closed without an answer
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;
    std::string Header(const std::string& name) const { return headers.contains(name) ? headers.at(name) : ""; }
    std::vector<std::uint8_t> Bytes() const { return {body.begin(), body.end()}; }
};

// One client connection; every wait on it is bounded.
class Client {
public:
    explicit Client(int port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        const timeval limit{10, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        const sockaddr_in address = Loopback(port);
        connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~Client() { ::close(fd_); }
    bool Connected() const { return connected_; }
    void Send(const std::string& bytes) { (void)!::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
    // Reads one answer (without a body after HEAD).
    Reply Read(bool bodiless = false) {
        Reply r;
        std::size_t end;
        while ((end = buffer_.find("\r\n\r\n")) == std::string::npos)
            if (!More()) return r;
        const std::string head = buffer_.substr(0, end + 2);
        buffer_.erase(0, end + 4);
        r.status = std::stoi(head.substr(9, 3));
        static const std::regex field("\r\n([^:]+): ([^\r]*)");
        for (std::sregex_iterator it(head.begin(), head.end(), field), none; it != none; ++it) {
            std::string name = (*it)[1];
            for (char& c : name) c = char(std::tolower(c));
            r.headers[name] = (*it)[2];
        }
        const std::size_t length = bodiless || r.status == 304 ? 0 : std::stoul(r.Header("content-length"));
        while (buffer_.size() < length)
            if (!More()) return Reply{};
        r.body = buffer_.substr(0, length);
        buffer_.erase(0, length);
        return r;
    }
    // Whether the server closed the connection (within the receive limit).
    bool Closed() { while (More()) continue; return closed_; }

private:
    bool More() {
        char chunk[65536];
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0) closed_ = n == 0 || errno == ECONNRESET;
        else buffer_.append(chunk, std::size_t(n));
        return n > 0;
    }
    int fd_;
    bool connected_ = false, closed_ = false;
    std::string buffer_;
};

Reply Ask(int port, const std::string& method, const std::string& target, const std::string& headers = "") {
    Client c(port);
    c.Send(method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers + "\r\n");
    return c.Read(method == "HEAD");
}

// veskel-serve on a scratch folder holding one design made with `edits`, ready to answer. The
// test listens on the socket itself and hands it over as systemd would (LISTEN_FDS), so the port
// is known before the program starts.
class Server {
public:
    const ScratchDir dir;
    Server(const std::vector<std::string>& edits, const std::vector<std::string>& options = {},
           const std::string& design = "demo") {
        std::filesystem::create_directory(dir / "designs");
        MakeDesign(dir / ("designs/" + design + ".vzk"), edits);
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = Loopback(0);
        socklen_t length = sizeof address;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, 64) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("cannot listen");
        port_ = ntohs(address.sin_port);
        if ((pid_ = ::fork()) == 0) {
            // The socket is fd 3 and nowhere else, or closing it would not stop the listening.
            if (fd != 3) ::dup2(fd, 3), ::close(fd);
            ::dup2(::open((dir / "designs.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
            Exec({"/bin/sh", "-c", "LISTEN_PID=$$ LISTEN_FDS=1 exec \"$0\" \"$@\"", VESKEL_SERVE_PATH, "--designs",
                  dir / "designs"}, options);
        }
        ::close(fd);
        // The server answers once it has read its folder.
        Eventually(500, [&] { return Get("/readyz").status == 200; });
    }
    ~Server() { if (pid_ > 0) ::kill(pid_, SIGKILL), ::waitpid(pid_, nullptr, 0); }
    int Port() const { return port_; }
    Reply Get(const std::string& target, const std::string& head = "") const { return Ask(port_, "GET", target, head); }
    void Signal(int signal) const { ::kill(pid_, signal); }
    // The exit status once the program ends, -1 when it has not ended within `limit`.
    int WaitExit(std::chrono::milliseconds limit) {
        int status = 0;
        if (!Eventually(int(limit / 10ms), [&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; })) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
    }
    std::string Log() const { const auto bytes = ReadAll(dir / "designs.log"); return {bytes.begin(), bytes.end()}; }

private:
    int port_ = 0;
    pid_t pid_ = -1;
};

// A request (headers and method when not a plain GET) and its answer: the status, a header it
// must carry with part of its value, and part of the body.
struct Row {
    std::string target;
    int status;
    std::string header, value, body, headers = "", method = "GET";
};

TEST(Serve, AnswersEachKindOfRequestWithItsStatusAndHeaders) {
    Server server({"--set", "Pattern=3"});
    ASSERT_EQ(RunProgram({"/bin/sh", "-c", "echo secret > " + server.dir / "secret.png"}), 0);
    std::vector<std::uint8_t> record = ReadAll(server.dir / "designs/demo.vzk");
    record.resize(593);
    const std::vector<Row> rows = {
        {"/v1/demo.png", 200, "content-type", "image/png", "\x89PNG"},
        {"/v1/demo.png", 200, "cache-control", "public, max-age=300", ""},
        {"/v1/demo.gif?Text=Hi", 200, "content-type", "image/gif", "GIF8"},
        {"/v1/demo.jpg?Color1=%2300ff00", 200, "content-type", "image/jpeg", ""},
        {"/v1/demo.bmp", 200, "content-length", "21094", "BM"},
        {"/v1/r/" + serve::EncodeBase64Url(record) + ".png?Text=Hi", 200, "content-type", "image/png", ""},
        {"/v1/demo.png?Nope=1", 400, "content-type", "text/plain", "unknown field 'Nope'"},
        {"/v1/demo.png?Pattern=9", 400, "", "", "Pattern must be 0..5"},
        {"/v1/demo.png?Text=" + std::string(120, 'W'), 400, "", "", "the text is refused"},
        {"/v1/demo.png?Text=a&Text=b", 400, "", "", "given twice"},
        {"/v1/demo.png?Text=%zz", 400, "", "", "malformed escape"},
        {"/v1/r/AAAA.png", 400, "", "", "not 593"},
        {"/v1/other.png", 404, "", "", "no design 'other'"},
        {"/v1/..%2Fsecret.png", 404, "", "", "no design"},
        {"/v1/demo.webp", 404, "", "", "no picture format"},
        {"/v1/demo.vzk", 404, "", "", "no picture format"},
        {"/v1/demo.png", 405, "allow", "GET, HEAD", "", "", "POST"},
        {"/v1/demo.png?Text=" + std::string(5000, 'a'), 414, "connection", "close", ""},
        {"/v1/demo.png", 431, "connection", "close", "", "X-Big: " + std::string(10000, 'a') + "\r\n"},
        {"/v1/demo.png", 413, "", "", "", "Content-Length: 3\r\n"},
        {"/healthz", 200, "", "", "ok"},
        {"/readyz", 200, "", "", "ready"},
        {"/metrics", 200, "content-type", "text/plain; version=0.0.4", "veskel_requests_total{code=\"400\"} 6"},
    };
    for (const Row& row : rows) {
        const Reply r = Ask(server.Port(), row.method, row.target, row.headers);
        const std::string label = row.method + " " + row.target.substr(0, 80);
        EXPECT_EQ(r.status, row.status) << label << ": " << r.body;
        EXPECT_TRUE(row.header.empty() || Has(r.Header(row.header), row.value)) << label << ": " << r.Header(row.header);
        EXPECT_TRUE(Has(r.body, row.body)) << label << ": " << r.body;
        EXPECT_TRUE(r.status < 400 || std::ranges::count(r.body, '\n') == 1) << label << ": one line";
    }

    // HEAD carries GET's headers without the body; the ETag is the same whatever the query's
    // order and spelling, and names the answer for If-None-Match.
    const Reply get = server.Get("/v1/demo.png?Text=Hi&Color1=%2300ff00");
    const Reply head = Ask(server.Port(), "HEAD", "/v1/demo.png?Color1=%2300ff00&Text=Hi");
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.Header("content-length"), std::to_string(get.body.size()));
    EXPECT_TRUE(head.body.empty());
    EXPECT_EQ(head.Header("etag"), get.Header("etag"));
    EXPECT_NE(get.Header("etag"), server.Get("/v1/demo.png?Text=Ho").Header("etag"));
    EXPECT_EQ(server.Get("/v1/demo.png?Color1=%2300ff00&Text=Hi", "If-None-Match: \"x\", " + get.Header("etag") + "\r\n")
                  .status, 304);
    EXPECT_TRUE(Has(server.Log(), "\"target\":\"/v1/demo.png?Nope=1\",\"status\":400")) << server.Log();
}

// Keep-alive connections carry many answers, and the bodies decode to the pixels veskel-render
// writes for the same design and edits (the service deflates PNG at level 1, the exporter at 7).
TEST(Serve, AnswersHoldTheCommandLinesPixels) {
    Server server({"--set", "Pattern=4", "--set", "Glow=0"});
    const std::string design = server.dir / "designs/demo.vzk";
    Client c(server.Port());
    for (int round = 0; round < 2; ++round) {  // rendered, then from the cache
        c.Send("GET /v1/demo.png?Text=%D0%9F%D1%80%D0%B8%D0%B2%D0%B5%D1%82&Color2=%23102030 HTTP/1.1\r\nHost: a\r\n\r\n"
               "GET /v1/demo.bmp?TextY=2 HTTP/1.1\r\nHost: a\r\n\r\n");
        const Reply png = c.Read(), bmp = c.Read();
        ASSERT_EQ(png.status, 200) << png.body;
        EXPECT_EQ(DecodePng(png.Bytes()).color, RenderedByCli(server.dir, {"--project", design, "--text", "Привет",
                                                                           "--reset-position", "--set", "Color2=#102030"}));
        EXPECT_EQ(DecodeBmp(bmp.Bytes()).color, RenderedByCli(server.dir, {"--project", design, "--set", "TextY=2"}));
    }
    EXPECT_TRUE(Has(server.Get("/metrics").body, "veskel_cache_hits_total 2"));
}

// A design written into the folder is served after the next look at it, and one that cannot be
// opened leaves the previous version served.
TEST(Serve, ReloadsTheFolderWhenItChanges) {
    Server server({"--set", "Pattern=1"}, {"--reload-seconds", "0.1"}, "a");
    const std::string before = server.Get("/v1/a.png").Header("etag");
    EXPECT_EQ(server.Get("/v1/b.png").status, 404);
    MakeDesign(server.dir / "b.vzk", {"--set", "Pattern=2"});
    std::filesystem::rename(server.dir / "b.vzk", server.dir / "designs/b.vzk");
    testing::WriteAll(server.dir / "designs/a.vzk", {1, 2, 3});
    int status = 0;
    Eventually(300, [&] { return (status = server.Get("/v1/b.png").status) == 200; });
    EXPECT_EQ(status, 200);
    EXPECT_EQ(server.Get("/v1/a.png").Header("etag"), before);
    EXPECT_TRUE(Has(server.Log(), "design refused: a.vzk")) << server.Log();
}

// A client that sends its request's head too slowly is cut, and others are answered meanwhile.
TEST(Serve, SlowClientsAreCutAfterTheHeaderTimeout) {
    Server server({}, {"--header-timeout", "0.5"});
    Client slow(server.Port());
    slow.Send("GET /v1/demo.png HTTP/1.1\r\nHost: a\r\n");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(server.Get("/v1/demo.png").status, 200);
    EXPECT_TRUE(slow.Closed());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
    // The cut is counted just after the connection closes.
    EXPECT_TRUE(Eventually(200, [&] { return Has(server.Get("/metrics").body, "veskel_slow_clients_cut_total 1"); }));
}

// SIGTERM: a request already begun is answered (and its connection closed), an idle connection is
// closed, new connections are refused, and the program exits with 0.
TEST(Serve, SigtermDrainsAndExitsWith0) {
    Server server({}, {"--drain-seconds", "20"});
    Client idle(server.Port()), busy(server.Port());
    idle.Send("GET /healthz HTTP/1.1\r\nHost: a\r\n\r\n");
    EXPECT_EQ(idle.Read().status, 200);
    busy.Send("GET /v1/demo.png?Text=Bye HTTP/1.1\r\n");
    std::this_thread::sleep_for(300ms);  // the first line has arrived
    server.Signal(SIGTERM);
    EXPECT_TRUE(Eventually(500, [&] { return !Client(server.Port()).Connected(); }));
    EXPECT_TRUE(idle.Closed());
    busy.Send("Host: a\r\n\r\n");
    const Reply last = busy.Read();
    EXPECT_EQ(last.status, 200) << server.Log();
    EXPECT_EQ(last.Header("connection"), "close");
    EXPECT_EQ(server.WaitExit(15s), 0) << server.Log();
}

}  // namespace
}  // namespace veskel
