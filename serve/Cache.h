#pragma once
// The rendered answers kept in memory, least recently used first out, within a byte budget that
// counts the keys, the answers and the bookkeeping of each entry. An answer stored under two keys
// (its address as sent and its canonical form) is counted under each, so the budget holds however
// the entries share their bodies.
#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace veskel::serve {

struct CachedAnswer {
    std::shared_ptr<const std::string> body;
    std::string etag;
    const char* contentType;
};

class AnswerCache {
public:
    explicit AnswerCache(std::size_t budgetBytes) : budget_(budgetBytes) {}

    std::shared_ptr<const CachedAnswer> Find(const std::string& key) {
        std::lock_guard lock(mutex_);
        const auto it = index_.find(key);
        if (it == index_.end()) return nullptr;
        order_.splice(order_.begin(), order_, it->second);
        return it->second->answer;
    }

    void Put(const std::string& key, std::shared_ptr<const CachedAnswer> answer) {
        const std::size_t cost = Cost(key, *answer);
        if (cost > budget_) return;
        std::lock_guard lock(mutex_);
        if (const auto it = index_.find(key); it != index_.end()) {
            used_ -= it->second->cost;
            order_.erase(it->second);
            index_.erase(it);
        }
        while (used_ + cost > budget_ && !order_.empty()) {
            used_ -= order_.back().cost;
            index_.erase(order_.back().key);
            order_.pop_back();
        }
        order_.push_front(Entry{key, std::move(answer), cost});
        index_.emplace(key, order_.begin());
        used_ += cost;
    }

    std::size_t UsedBytes() const {
        std::lock_guard lock(mutex_);
        return used_;
    }

private:
    struct Entry {
        std::string key;
        std::shared_ptr<const CachedAnswer> answer;
        std::size_t cost;
    };
    // The key is held twice (list and index); the rest is the nodes, the shared block and the
    // strings' own allocations, rounded up.
    static std::size_t Cost(const std::string& key, const CachedAnswer& a) {
        return 2 * key.size() + a.body->size() + a.etag.size() + 256;
    }

    const std::size_t budget_;
    mutable std::mutex mutex_;
    std::list<Entry> order_;  // most recently used first
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
    std::size_t used_ = 0;
};

}  // namespace veskel::serve
