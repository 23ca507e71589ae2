#pragma once
// A typed signal with any number of listeners. Emitting runs the listeners synchronously, in the
// order they connected; a listener disconnected (or connected) while the signal runs is skipped
// for the rest of that run. A Connection disconnects when it goes, so a listener that dies before
// the sender stops listening by itself.
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace veskel {

class Connection {
public:
    Connection() = default;
    explicit Connection(std::function<void()> disconnect) : disconnect_(std::move(disconnect)) {}
    Connection(Connection&& other) noexcept : disconnect_(std::exchange(other.disconnect_, nullptr)) {}
    Connection& operator=(Connection&& other) noexcept {
        if (this != &other) {
            Disconnect();
            disconnect_ = std::exchange(other.disconnect_, nullptr);
        }
        return *this;
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { Disconnect(); }
    void Disconnect() {
        if (auto d = std::exchange(disconnect_, nullptr)) d();
    }
    bool Connected() const { return bool(disconnect_); }

private:
    std::function<void()> disconnect_;
};

template <class... Args>
class Signal {
public:
    using Slot = std::function<void(Args...)>;

    Signal() = default;
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;
    // Listeners outliving the signal find their connection already cut.
    ~Signal() {
        if (state_) state_->alive = false;
    }

    [[nodiscard]] Connection Connect(Slot slot) {
        if (!state_) state_ = std::make_shared<State>();  // most signals never get a listener
        const int id = state_->nextId++;
        state_->listeners.push_back({id, std::move(slot)});
        return Connection([state = std::weak_ptr<State>(state_), id] {
            if (auto s = state.lock(); s && s->alive) std::erase_if(s->listeners, [id](const Entry& e) { return e.id == id; });
        });
    }

    void operator()(Args... args) const {
        if (!state_) return;
        const std::shared_ptr<State> state = state_;  // the sender may die inside a listener
        std::vector<int> ids;
        ids.reserve(state->listeners.size());
        for (const Entry& e : state->listeners) ids.push_back(e.id);
        for (int id : ids) {
            if (!state->alive) return;
            Slot slot;
            for (const Entry& e : state->listeners)
                if (e.id == id) slot = e.slot;
            if (slot) slot(args...);
        }
    }

    bool Empty() const { return !state_ || state_->listeners.empty(); }

private:
    struct Entry {
        int id;
        Slot slot;
    };
    struct State {
        std::vector<Entry> listeners;
        int nextId = 1;
        bool alive = true;
    };
    std::shared_ptr<State> state_;
};

}  // namespace veskel
