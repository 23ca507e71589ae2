#pragma once
// The HTTP side of veskel-serve: connections, limits, timeouts, the render queue, the cache,
// reloads and the drain on SIGTERM.
#include <chrono>
#include <cstddef>
#include <string>

namespace veskel::serve {

struct ServerConfig {
    std::string designs;                 // the folder of .vzk projects
    std::string listen = "127.0.0.1:8080";
    std::size_t cacheBytes = std::size_t(32) << 20;
    int maxAge = 300;                    // Cache-Control: public, max-age=N
    int threads = 0;                     // connection threads; 0: one per core
    int renderThreads = 0;               // render threads; 0: one per core
    std::size_t queue = 256;             // renders waiting or running before 503
    std::size_t maxConnections = 4096;
    std::chrono::milliseconds headerTimeout{10000};  // for a whole request's head, idle time included
    std::chrono::milliseconds drainTime{10000};
    std::chrono::milliseconds reloadInterval{2000};
    bool accessLog = true;
    // PNG answers are deflated at this level (the exporter uses 7): the same pixels, several times
    // sooner, a few percent larger.
    int pngLevel = 1;
};

// Serves until SIGTERM or SIGINT has drained the connections. Returns the exit status; a start
// that fails (no folder, an address in use) is reported on stderr and returns 1.
int RunServer(const ServerConfig& config);

}  // namespace veskel::serve
