// veskel-serve end to end: statuses and headers, the pixels against veskel-render's, slow
// clients, reloads and the drain. Every server listens on 127.0.0.1 only.
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
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

int RunProgram(const std::vector<std::string>& args) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> argv;
        std::vector<std::string> copy = args;
        for (std::string& a : copy) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

// A design made by veskel-render, as a user would make one.
void MakeDesign(const std::string& path, const std::vector<std::string>& edits) {
    std::vector<std::string> args = {VESKEL_RENDER_PATH};
    args.insert(args.end(), edits.begin(), edits.end());
    args.insert(args.end(), {"--save-project", path});
    ASSERT_EQ(RunProgram(args), 0);
}

Bitmap RenderedByCli(const ScratchDir& dir, std::vector<std::string> args) {
    args.insert(args.begin(), VESKEL_RENDER_PATH);
    args.insert(args.end(), {"-o", dir / "cli.png"});
    EXPECT_EQ(RunProgram(args), 0);
    return DecodePng(ReadAll(dir / "cli.png")).color;
}

// veskel-serve on a socket this test listens on and hands over as systemd would (LISTEN_FDS), so
// the port is known before the program starts.
class Server {
public:
    Server(const std::string& designs, std::vector<std::string> options = {}) : log_(designs + ".log") {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, 64) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("cannot listen");
        port_ = ntohs(address.sin_port);
        std::vector<std::string> args = {"/bin/sh", "-c", "LISTEN_PID=$$ LISTEN_FDS=1 exec \"$0\" \"$@\"",
                                         VESKEL_SERVE_PATH, "--designs", designs};
        args.insert(args.end(), options.begin(), options.end());
        pid_ = ::fork();
        if (pid_ == 0) {
            // The socket is fd 3 and nowhere else, or closing it would not stop the listening.
            if (fd != 3) {
                ::dup2(fd, 3);
                ::close(fd);
            }
            const int log = ::open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(log, 2);
            std::vector<char*> argv;
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(fd);
    }
    ~Server() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    int Port() const { return port_; }
    void Signal(int signal) const { ::kill(pid_, signal); }
    // The exit status once the program ends, -1 when it has not ended within `limit`.
    int WaitExit(std::chrono::milliseconds limit) {
        for (const auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(20ms);
        }
        return -1;
    }
    std::string Log() const {
        const std::vector<std::uint8_t> bytes = ReadAll(log_);
        return std::string(bytes.begin(), bytes.end());
    }

private:
    std::string log_;
    int port_ = 0;
    pid_t pid_ = -1;
};

struct Reply {
    int status = 0;  // 0: the connection closed without an answer
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;
    std::string Header(const std::string& name) const {
        const auto it = headers.find(name);
        return it == headers.end() ? "" : it->second;
    }
};

// One client connection; every wait on it is bounded.
class Client {
public:
    explicit Client(int port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        const timeval limit{10, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(std::uint16_t(port));
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~Client() { ::close(fd_); }
    bool Connected() const { return connected_; }
    void Send(const std::string& bytes) { (void)!::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
    // Reads one answer (without a body after HEAD).
    Reply Read(bool head = false) {
        Reply r;
        std::size_t end;
        while ((end = buffer_.find("\r\n\r\n")) == std::string::npos)
            if (!More()) return r;
        const std::string headText = buffer_.substr(0, end);
        buffer_.erase(0, end + 4);
        r.status = std::stoi(headText.substr(9, 3));
        for (std::size_t at = headText.find("\r\n"); at != std::string::npos;) {
            const std::size_t next = headText.find("\r\n", at + 2);
            const std::string line = headText.substr(at + 2, next == std::string::npos ? std::string::npos : next - at - 2);
            const std::size_t colon = line.find(':');
            std::string name = line.substr(0, colon);
            for (char& c : name) c = char(std::tolower(c));
            r.headers[name] = line.substr(colon + 2);
            at = next;
        }
        const std::size_t length = head || r.status == 304 ? 0 : std::stoul(r.Header("content-length"));
        while (buffer_.size() < length)
            if (!More()) return Reply{};
        r.body = buffer_.substr(0, length);
        buffer_.erase(0, length);
        return r;
    }
    // Whether the server closed the connection (within the receive limit).
    bool Closed() {
        while (More()) {
        }
        return closed_;
    }

private:
    bool More() {
        char chunk[65536];
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0) {
            closed_ = n == 0 || errno == ECONNRESET;
            return false;
        }
        buffer_.append(chunk, std::size_t(n));
        return true;
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

// The server answers once it has read its folder.
void WaitReady(int port) {
    for (int i = 0; i < 500 && Ask(port, "GET", "/readyz").status != 200; ++i) std::this_thread::sleep_for(10ms);
}

struct Row {
    std::string method, target, headers;
    int status;
    std::string header, value;  // a header the answer must carry, with (part of) its value
    std::string body;           // part of the body
};

TEST(Serve, AnswersEachKindOfRequestWithItsStatusAndHeaders) {
    ScratchDir dir;
    std::filesystem::create_directory(dir / "designs");
    MakeDesign(dir / "designs/demo.vzk", {"--set", "Pattern=3"});
    ASSERT_EQ(RunProgram({"/bin/sh", "-c", "echo secret > " + dir / "secret.png"}), 0);
    Server server(dir / "designs");
    WaitReady(server.Port());
    std::vector<std::uint8_t> record = ReadAll(dir / "designs/demo.vzk");
    record.resize(593);
    const std::vector<Row> rows = {
        {"GET", "/v1/demo.png", "", 200, "content-type", "image/png", "\x89PNG"},
        {"GET", "/v1/demo.png", "", 200, "cache-control", "public, max-age=300", ""},
        {"GET", "/v1/demo.gif?Text=Hi", "", 200, "content-type", "image/gif", "GIF8"},
        {"GET", "/v1/demo.jpg?Color1=%2300ff00", "", 200, "content-type", "image/jpeg", ""},
        {"GET", "/v1/demo.bmp", "", 200, "content-length", "21094", "BM"},
        {"GET", "/v1/r/" + serve::EncodeBase64Url(record) + ".png?Text=Hi", "", 200, "content-type", "image/png", ""},
        {"GET", "/v1/demo.png?Nope=1", "", 400, "content-type", "text/plain", "unknown field 'Nope'"},
        {"GET", "/v1/demo.png?Pattern=9", "", 400, "", "", "Pattern must be 0..5"},
        {"GET", "/v1/demo.png?Text=" + std::string(120, 'W'), "", 400, "", "", "the text is refused"},
        {"GET", "/v1/demo.png?Text=a&Text=b", "", 400, "", "", "given twice"},
        {"GET", "/v1/demo.png?Text=%zz", "", 400, "", "", "malformed escape"},
        {"GET", "/v1/r/AAAA.png", "", 400, "", "", "not 593"},
        {"GET", "/v1/other.png", "", 404, "", "", "no design 'other'"},
        {"GET", "/v1/..%2Fsecret.png", "", 404, "", "", "no design"},
        {"GET", "/v1/demo.webp", "", 404, "", "", "no picture format"},
        {"GET", "/v1/demo.vzk", "", 404, "", "", "no picture format"},
        {"POST", "/v1/demo.png", "", 405, "allow", "GET, HEAD", ""},
        {"GET", "/v1/demo.png?Text=" + std::string(5000, 'a'), "", 414, "connection", "close", ""},
        {"GET", "/v1/demo.png", "X-Big: " + std::string(10000, 'a') + "\r\n", 431, "connection", "close", ""},
        {"GET", "/v1/demo.png", "Content-Length: 3\r\n", 413, "", "", ""},
        {"GET", "/healthz", "", 200, "", "", "ok"},
        {"GET", "/readyz", "", 200, "", "", "ready"},
        {"GET", "/metrics", "", 200, "content-type", "text/plain; version=0.0.4", "veskel_requests_total{code=\"400\"} 6"},
    };
    for (const Row& row : rows) {
        const Reply r = Ask(server.Port(), row.method, row.target, row.headers);
        const std::string label = row.method + " " + row.target.substr(0, 80);
        EXPECT_EQ(r.status, row.status) << label << ": " << r.body;
        if (!row.header.empty()) {
            EXPECT_NE(r.Header(row.header).find(row.value), std::string::npos) << label;
        }
        EXPECT_NE(r.body.find(row.body), std::string::npos) << label << ": " << r.body;
        if (r.status >= 400) {
            EXPECT_EQ(std::count(r.body.begin(), r.body.end(), '\n'), 1) << label;
        }
    }

    // HEAD carries GET's headers without the body; the ETag is the same whatever the query's
    // order and spelling, and names the answer for If-None-Match.
    const Reply get = Ask(server.Port(), "GET", "/v1/demo.png?Text=Hi&Color1=%2300ff00");
    const Reply head = Ask(server.Port(), "HEAD", "/v1/demo.png?Color1=%2300ff00&Text=Hi");
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.Header("content-length"), std::to_string(get.body.size()));
    EXPECT_TRUE(head.body.empty());
    EXPECT_EQ(head.Header("etag"), get.Header("etag"));
    EXPECT_NE(get.Header("etag"), Ask(server.Port(), "GET", "/v1/demo.png?Text=Ho").Header("etag"));
    EXPECT_EQ(Ask(server.Port(), "GET", "/v1/demo.png?Color1=%2300ff00&Text=Hi",
                  "If-None-Match: \"x\", " + get.Header("etag") + "\r\n").status, 304);
    const std::string log = server.Log();
    EXPECT_NE(log.find("\"target\":\"/v1/demo.png?Nope=1\",\"status\":400"), std::string::npos) << log;
}

// Keep-alive connections carry many answers, and the bodies decode to the pixels veskel-render
// writes for the same design and edits (the service deflates PNG at level 1, the exporter at 7).
TEST(Serve, AnswersHoldTheCommandLinesPixels) {
    ScratchDir dir;
    std::filesystem::create_directory(dir / "designs");
    MakeDesign(dir / "designs/demo.vzk", {"--set", "Pattern=4", "--set", "Glow=0"});
    Server server(dir / "designs");
    WaitReady(server.Port());
    Client c(server.Port());
    for (int round = 0; round < 2; ++round) {  // rendered, then from the cache
        c.Send("GET /v1/demo.png?Text=%D0%9F%D1%80%D0%B8%D0%B2%D0%B5%D1%82&Color2=%23102030 HTTP/1.1\r\nHost: a\r\n\r\n"
               "GET /v1/demo.bmp?TextY=2 HTTP/1.1\r\nHost: a\r\n\r\n");
        const Reply png = c.Read(), bmp = c.Read();
        ASSERT_EQ(png.status, 200) << png.body;
        EXPECT_EQ(DecodePng(std::vector<std::uint8_t>(png.body.begin(), png.body.end())).color,
                  RenderedByCli(dir, {"--project", dir / "designs/demo.vzk", "--text", "Привет", "--reset-position",
                                      "--set", "Color2=#102030"}));
        EXPECT_EQ(DecodeBmp(std::vector<std::uint8_t>(bmp.body.begin(), bmp.body.end())).color,
                  RenderedByCli(dir, {"--project", dir / "designs/demo.vzk", "--set", "TextY=2"}));
    }
    EXPECT_NE(Ask(server.Port(), "GET", "/metrics").body.find("veskel_cache_hits_total 2"), std::string::npos);
}

// A design written into the folder is served after the next look at it, and one that cannot be
// opened leaves the previous version served.
TEST(Serve, ReloadsTheFolderWhenItChanges) {
    ScratchDir dir;
    std::filesystem::create_directory(dir / "designs");
    MakeDesign(dir / "designs/a.vzk", {"--set", "Pattern=1"});
    Server server(dir / "designs", {"--reload-seconds", "0.1"});
    WaitReady(server.Port());
    const std::string before = Ask(server.Port(), "GET", "/v1/a.png").Header("etag");
    EXPECT_EQ(Ask(server.Port(), "GET", "/v1/b.png").status, 404);
    MakeDesign(dir / "b.vzk", {"--set", "Pattern=2"});
    std::filesystem::rename(dir / "b.vzk", dir / "designs/b.vzk");
    testing::WriteAll(dir / "designs/a.vzk", {1, 2, 3});
    int status = 0;
    for (int i = 0; i < 300 && (status = Ask(server.Port(), "GET", "/v1/b.png").status) != 200; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(status, 200);
    EXPECT_EQ(Ask(server.Port(), "GET", "/v1/a.png").Header("etag"), before);
    EXPECT_NE(server.Log().find("design refused: a.vzk"), std::string::npos) << server.Log();
}

// A client that sends its request's head too slowly is cut, and others are answered meanwhile.
TEST(Serve, SlowClientsAreCutAfterTheHeaderTimeout) {
    ScratchDir dir;
    std::filesystem::create_directory(dir / "designs");
    MakeDesign(dir / "designs/demo.vzk", {});
    Server server(dir / "designs", {"--header-timeout", "0.5"});
    WaitReady(server.Port());
    Client slow(server.Port());
    slow.Send("GET /v1/demo.png HTTP/1.1\r\nHost: a\r\n");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Ask(server.Port(), "GET", "/v1/demo.png").status, 200);
    EXPECT_TRUE(slow.Closed());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
    // The cut is counted just after the connection closes.
    bool counted = false;
    for (int i = 0; i < 200 && !counted; ++i) {
        counted = Ask(server.Port(), "GET", "/metrics").body.find("veskel_slow_clients_cut_total 1") != std::string::npos;
        if (!counted) std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(counted);
}

// SIGTERM: a request already begun is answered (and its connection closed), an idle connection is
// closed, new connections are refused, and the program exits with 0.
TEST(Serve, SigtermDrainsAndExitsWith0) {
    ScratchDir dir;
    std::filesystem::create_directory(dir / "designs");
    MakeDesign(dir / "designs/demo.vzk", {});
    Server server(dir / "designs", {"--drain-seconds", "20"});
    WaitReady(server.Port());
    Client idle(server.Port()), busy(server.Port());
    idle.Send("GET /healthz HTTP/1.1\r\nHost: a\r\n\r\n");
    EXPECT_EQ(idle.Read().status, 200);
    busy.Send("GET /v1/demo.png?Text=Bye HTTP/1.1\r\n");
    std::this_thread::sleep_for(300ms);  // the first line has arrived
    server.Signal(SIGTERM);
    bool refused = false;
    for (int i = 0; i < 500 && !refused; ++i) {
        refused = !Client(server.Port()).Connected();
        if (!refused) std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(refused);
    EXPECT_TRUE(idle.Closed());
    busy.Send("Host: a\r\n\r\n");
    const Reply last = busy.Read();
    EXPECT_EQ(last.status, 200) << server.Log();
    EXPECT_EQ(last.Header("connection"), "close");
    EXPECT_EQ(server.WaitExit(15s), 0) << server.Log();
}

}  // namespace
}  // namespace veskel
