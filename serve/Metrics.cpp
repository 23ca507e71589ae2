#include "serve/Metrics.h"

#include <cstdio>

namespace veskel::serve {
namespace {

std::string Number(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", v);
    return buffer;
}

}  // namespace

void Histogram::Add(double seconds) {
    std::size_t i = 0;
    while (i < kBounds.size() && seconds > kBounds[i]) ++i;
    counts_[i].fetch_add(1, std::memory_order_relaxed);
    micros_.fetch_add(std::uint64_t(seconds * 1e6), std::memory_order_relaxed);
}

std::string Histogram::Text(const std::string& name, const std::string& help) const {
    std::string out = "# HELP " + name + " " + help + "\n# TYPE " + name + " histogram\n";
    std::uint64_t cumulative = 0;
    for (std::size_t i = 0; i < counts_.size(); ++i) {
        cumulative += counts_[i].load(std::memory_order_relaxed);
        const std::string le = i < kBounds.size() ? Number(kBounds[i]) : "+Inf";
        out += name + "_bucket{le=\"" + le + "\"} " + std::to_string(cumulative) + "\n";
    }
    out += name + "_sum " + Number(double(micros_.load(std::memory_order_relaxed)) / 1e6) + "\n";
    out += name + "_count " + std::to_string(cumulative) + "\n";
    return out;
}

void Metrics::Count(int status) {
    std::size_t i = 0;
    while (i + 1 < kStatuses.size() && kStatuses[i] != status) ++i;
    byStatus[i].fetch_add(1, std::memory_order_relaxed);
}

std::string Metrics::Text(std::size_t cacheBytes, std::size_t designs, std::size_t connections,
                          std::size_t queued) const {
    std::string out = "# HELP veskel_requests_total Requests answered, by HTTP status.\n"
                      "# TYPE veskel_requests_total counter\n";
    for (std::size_t i = 0; i < kStatuses.size(); ++i) {
        const std::string code = kStatuses[i] ? std::to_string(kStatuses[i]) : "other";
        out += "veskel_requests_total{code=\"" + code + "\"} " + std::to_string(byStatus[i].load()) + "\n";
    }
    out += total.Text("veskel_request_duration_seconds", "Time from a request's last header byte to its answer.");
    out += render.Text("veskel_render_duration_seconds", "Time to render and encode one banner.");
    const auto counter = [&](const char* name, const char* help, std::uint64_t v) {
        out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " counter\n" + name + " " +
               std::to_string(v) + "\n";
    };
    const auto gauge = [&](const char* name, const char* help, std::uint64_t v) {
        out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " gauge\n" + name + " " +
               std::to_string(v) + "\n";
    };
    counter("veskel_cache_hits_total", "Answers taken from the cache.", cacheHits.load());
    counter("veskel_cache_misses_total", "Answers rendered because the cache did not hold them.", cacheMisses.load());
    counter("veskel_slow_clients_cut_total", "Connections closed because a request did not arrive in time.",
            slowClientsCut.load());
    gauge("veskel_cache_bytes", "Bytes the cache holds, its bookkeeping included.", cacheBytes);
    gauge("veskel_designs", "Designs being served.", designs);
    gauge("veskel_connections", "Open client connections.", connections);
    gauge("veskel_render_queue", "Renders waiting or running.", queued);
    return out;
}

}  // namespace veskel::serve
