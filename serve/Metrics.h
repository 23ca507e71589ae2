#pragma once
// What /metrics reports, in the Prometheus text format: requests by status, the latency of whole
// requests and of renders as histograms, the cache's hits and misses. Counted with atomics, so
// every thread adds without a lock.
#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace veskel::serve {

class Histogram {
public:
    // Upper bounds in seconds; the last bucket (+Inf) is the count.
    static constexpr std::array<double, 12> kBounds = {0.0005, 0.001, 0.002, 0.005, 0.01, 0.02,
                                                       0.05,   0.1,   0.25,  0.5,   1,    2.5};
    void Add(double seconds);
    // The histogram's lines for metric `name`.
    std::string Text(const std::string& name, const std::string& help) const;

private:
    std::array<std::atomic<std::uint64_t>, kBounds.size() + 1> counts_{};
    std::atomic<std::uint64_t> micros_{0};
};

struct Metrics {
    // The statuses the service answers with, each counted apart; anything else in `other`.
    static constexpr std::array<int, 12> kStatuses = {200, 304, 400, 404, 405, 408, 413, 414, 431, 500, 503, 0};
    std::array<std::atomic<std::uint64_t>, kStatuses.size()> byStatus{};
    Histogram total, render;
    std::atomic<std::uint64_t> cacheHits{0}, cacheMisses{0}, slowClientsCut{0};

    void Count(int status);
    // Everything, with the gauges the server passes in.
    std::string Text(std::size_t cacheBytes, std::size_t designs, std::size_t connections, std::size_t queued) const;
};

}  // namespace veskel::serve
