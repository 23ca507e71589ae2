// veskel-serve: banners drawn per request over HTTP, from a folder of designs.
#include <getopt.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "serve/Server.h"
#include "veskel/BuildInfo.h"

namespace {

constexpr const char* kHelp = R"(Usage: veskel-serve --designs DIR [OPTIONS]
Answers GET /v1/DESIGN.png?Text=...&Color1=%23F14D21 with the banner of DIR/DESIGN.vzk, its
fields set from the query as veskel-render's --set sets them (Text as --text, then
--reset-position). Formats: .png, .gif, .jpg, .bmp. GET /v1/r/RECORD.png draws the 593-byte
record given in base64url. /healthz, /readyz and /metrics report on the service.

  --designs DIR          the folder of .vzk projects; read again when it changes and on SIGHUP
  --listen ADDRESS:PORT  where to listen (default 127.0.0.1:8080; "[::1]:8080" for IPv6). A
                         socket handed over by systemd (LISTEN_FDS) is used instead when present
  --cache-mb N           memory for rendered answers, least recently used dropped (default 32)
  --max-age SECONDS      Cache-Control: public, max-age=SECONDS (default 300)
  --queue N              banners drawn or waiting at once before 503 (default 256)
  --max-connections N    open connections before new ones get 503 (default 4096)
  --threads N            connection threads (default: one per core)
  --render-threads N     drawing threads (default: one per core)
  --header-timeout S     seconds a request's head may take, waiting included (default 10)
  --drain-seconds S      on SIGTERM, how long open answers may take before exit (default 10)
  --reload-seconds S     how often the folder is looked at for changes (default 2)
  --png-level N          deflate level of PNG answers, 0..9 (default 1; the pixels are the same)
  --no-access-log        no JSON line per request on stderr
  -h, --help             this help
      --version          the version

Exit status: 0 after a drain (SIGTERM, SIGINT), 1 when it cannot start, 2 on a usage error.
)";

[[noreturn]] void Usage(const std::string& message) {
    std::fprintf(stderr, "veskel-serve: %s (see --help)\n", message.c_str());
    std::exit(2);
}

long Whole(const char* option, const char* text, long min, long max) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < min || v > max)
        Usage(std::string(option) + " needs a whole number from " + std::to_string(min) + " to " + std::to_string(max));
    return v;
}

std::chrono::milliseconds Seconds(const char* option, const char* text) {
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (!*text || *end || !(v > 0) || v > 86400) Usage(std::string(option) + " needs a number of seconds above 0");
    return std::chrono::milliseconds(long(v * 1000 + 0.5) > 0 ? long(v * 1000 + 0.5) : 1);
}

}  // namespace

int main(int argc, char** argv) {
    enum { kDesigns = 256, kListen, kCacheMb, kMaxAge, kQueue, kMaxConnections, kThreads, kRenderThreads,
           kHeaderTimeout, kDrain, kReload, kPngLevel, kNoAccessLog, kVersionOption };
    static const option kOptions[] = {
        {"designs", required_argument, nullptr, kDesigns},
        {"listen", required_argument, nullptr, kListen},
        {"cache-mb", required_argument, nullptr, kCacheMb},
        {"max-age", required_argument, nullptr, kMaxAge},
        {"queue", required_argument, nullptr, kQueue},
        {"max-connections", required_argument, nullptr, kMaxConnections},
        {"threads", required_argument, nullptr, kThreads},
        {"render-threads", required_argument, nullptr, kRenderThreads},
        {"header-timeout", required_argument, nullptr, kHeaderTimeout},
        {"drain-seconds", required_argument, nullptr, kDrain},
        {"reload-seconds", required_argument, nullptr, kReload},
        {"png-level", required_argument, nullptr, kPngLevel},
        {"no-access-log", no_argument, nullptr, kNoAccessLog},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, kVersionOption},
        {nullptr, 0, nullptr, 0},
    };
    veskel::serve::ServerConfig config;
    opterr = 0;
    for (int c; (c = ::getopt_long(argc, argv, ":h", kOptions, nullptr)) != -1;) {
        switch (c) {
            case kDesigns: config.designs = optarg; break;
            case kListen: config.listen = optarg; break;
            case kCacheMb: config.cacheBytes = std::size_t(Whole("--cache-mb", optarg, 0, 65536)) << 20; break;
            case kMaxAge: config.maxAge = int(Whole("--max-age", optarg, 0, 31536000)); break;
            case kQueue: config.queue = std::size_t(Whole("--queue", optarg, 1, 1 << 20)); break;
            case kMaxConnections: config.maxConnections = std::size_t(Whole("--max-connections", optarg, 1, 1 << 20)); break;
            case kThreads: config.threads = int(Whole("--threads", optarg, 1, 256)); break;
            case kRenderThreads: config.renderThreads = int(Whole("--render-threads", optarg, 1, 256)); break;
            case kHeaderTimeout: config.headerTimeout = Seconds("--header-timeout", optarg); break;
            case kDrain: config.drainTime = Seconds("--drain-seconds", optarg); break;
            case kReload: config.reloadInterval = Seconds("--reload-seconds", optarg); break;
            case kPngLevel: config.pngLevel = int(Whole("--png-level", optarg, 0, 9)); break;
            case kNoAccessLog: config.accessLog = false; break;
            case 'h': std::fputs(kHelp, stdout); return 0;
            case kVersionOption: std::printf("veskel-serve %s\n", veskel::kVersion); return 0;
            case ':': Usage(std::string(argv[optind - 1]) + " needs a value");
            default: Usage(std::string("unknown option ") + argv[optind - 1]);
        }
    }
    if (optind < argc) Usage(std::string("unexpected argument '") + argv[optind] + "'");
    if (config.designs.empty()) Usage("--designs DIR is needed");
    return veskel::serve::RunServer(config);
}
