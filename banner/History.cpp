#include "banner/History.h"

#include <algorithm>
#include <initializer_list>
#include <unordered_set>

namespace veskel {

DocumentHistory::DocumentHistory(BannerDocument& document, std::size_t limit)
    : doc_(document), limit_(std::max<std::size_t>(limit, 1)) {
    Reset();
}

void DocumentHistory::Reset() {
    states_.clear();
    current_ = 0;
    group_.clear();
    states_.push_back(Capture());
    saved_ = states_.back();
}

bool DocumentHistory::Modified() const {
    if (doc_.Settings().GetBytes() != saved_.record) return true;
    const State& now = states_[current_];
    if (doc_.PictureGeneration() != now.generation) return true;  // pictures changed since the last commit
    return now.source != saved_.source || now.working != saved_.working || now.prepared != saved_.prepared;
}

void DocumentHistory::MarkSaved() {
    Commit();
    Seal();
    saved_ = states_[current_];
}

DocumentHistory::State DocumentHistory::Capture() const {
    State s;
    s.record = doc_.Settings().GetBytes();
    s.generation = doc_.PictureGeneration();
    // Pictures untouched since the current state was taken: the same pixels, no comparing.
    if (current_ < states_.size() && states_[current_].generation == s.generation) {
        s.source = states_[current_].source;
        s.working = states_[current_].working;
        s.prepared = states_[current_].prepared;
        return s;
    }
    // Candidates for sharing: the pictures of the current state and of the one before it (a
    // slider dragged back to where it started gives the earlier pixels again).
    std::vector<const PicturePtr*> known;
    for (std::size_t i : {current_, current_ - 1}) {
        if (i >= states_.size()) continue;  // also catches current_ - 1 wrapping below 0
        known.push_back(&states_[i].source);
        known.push_back(&states_[i].working);
        known.push_back(&states_[i].prepared);
    }
    static const Picture kNone;
    auto share = [&known](const Picture& picture) -> PicturePtr {
        if (picture == kNone) return nullptr;
        for (const PicturePtr* k : known) {
            if (*k && **k == picture) return *k;
        }
        return std::make_shared<const Picture>(picture);
    };
    s.source = share(doc_.SourcePicture());
    known.push_back(&s.source);  // an unscaled WorkingPicture is the source's pixels again
    s.working = share(doc_.WorkingPicture());
    known.push_back(&s.working);
    s.prepared = share(doc_.PreparedPicture());
    return s;
}

void DocumentHistory::Restore(const State& state) {
    static const Picture kEmpty;
    doc_.Settings().MutableBytes() = state.record;
    doc_.RestorePictures(state.source ? *state.source : kEmpty, state.working ? *state.working : kEmpty,
                         state.prepared ? *state.prepared : kEmpty);
    states_[current_].generation = doc_.PictureGeneration();
    struct Flag {
        bool& f;
        explicit Flag(bool& flag) : f(flag) { f = true; }
        ~Flag() { f = false; }
    } restoring(restoring_);
    doc_.Changed();
}

bool DocumentHistory::Commit(std::string_view group) {
    if (group != group_) Seal();
    State now = Capture();
    if (now == states_[current_]) {
        states_[current_].generation = now.generation;  // the same pixels made again
        return false;
    }

    const bool joins = !group.empty() && group == group_ && current_ > 0 && current_ + 1 == states_.size();
    if (joins) {
        states_[current_] = std::move(now);
        if (states_[current_] == states_[current_ - 1]) {
            // The group ended where it began: no step at all.
            states_.pop_back();
            --current_;
            Seal();
        }
        return true;
    }

    states_.erase(states_.begin() + std::ptrdiff_t(current_) + 1, states_.end());
    states_.push_back(std::move(now));
    ++current_;
    while (states_.size() - 1 > limit_) {
        states_.pop_front();
        --current_;
    }
    group_ = std::string(group);
    return true;
}

void DocumentHistory::Absorb() {
    Seal();
    const bool wasSaved = states_[current_] == saved_;
    states_[current_] = Capture();
    if (wasSaved) saved_ = states_[current_];
}

bool DocumentHistory::Undo() {
    Commit();
    Seal();
    if (!CanUndo()) return false;
    --current_;
    Restore(states_[current_]);
    return true;
}

bool DocumentHistory::Redo() {
    Commit();
    Seal();
    if (!CanRedo()) return false;
    ++current_;
    Restore(states_[current_]);
    return true;
}

std::size_t DocumentHistory::PictureBytes() const {
    std::unordered_set<const Picture*> seen;
    std::size_t bytes = 0;
    for (const State& s : states_) {
        for (const PicturePtr* p : {&s.source, &s.working, &s.prepared}) {
            if (*p && seen.insert(p->get()).second) bytes += (*p)->color.ByteSize() + (*p)->alpha.size();
        }
    }
    return bytes;
}

}  // namespace veskel
