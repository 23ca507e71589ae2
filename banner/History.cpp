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
    StartDesign({});
}

bool DocumentHistory::Modified() const {
    const State& now = states_[current_];
    const Design& design = *now.design;
    if (!design.hasSaved || doc_.Settings().GetBytes() != design.saved.record) return true;
    if (doc_.PictureGeneration() != now.generation) return true;  // pictures changed since the last commit
    return now.pictures != design.saved.pictures;
}

void DocumentHistory::MarkSaved(DesignFile file) {
    Commit();
    Seal();
    Design& design = *states_[current_].design;
    design.file = std::move(file);
    design.hasSaved = true;
    design.saved = states_[current_];
    design.saved.design.reset();  // no design holds itself
}

void DocumentHistory::StartDesign(DesignFile file) {
    Commit();
    states_[current_].design = std::make_shared<Design>();
    MarkSaved(std::move(file));
}

DocumentHistory::State DocumentHistory::Capture() const {
    State s;
    s.record = doc_.Settings().GetBytes();
    s.generation = doc_.PictureGeneration();
    // A new state goes on with the design of the current one.
    if (current_ < states_.size()) s.design = states_[current_].design;
    // Pictures untouched since the current state was taken: the same pixels, no comparing.
    if (current_ < states_.size() && states_[current_].generation == s.generation) {
        s.pictures = states_[current_].pictures;
        return s;
    }
    s.pictures = doc_.Pictures();
    // Pixels made again but equal to what the current state or the one before it hold (a slider
    // dragged back to where it started) are taken as those, so such a drag leaves no step.
    std::vector<const PicturePtr*> known;
    for (std::size_t i : {current_, current_ - 1}) {
        if (i >= states_.size()) continue;  // also catches current_ - 1 wrapping below 0
        const OverlayPictures& p = states_[i].pictures;
        known.insert(known.end(), {&p.source, &p.working, &p.prepared});
    }
    auto share = [&known](PicturePtr& picture) {
        if (!picture) return;
        for (const PicturePtr* k : known) {
            if (*k == picture) return;
        }
        for (const PicturePtr* k : known) {
            if (*k && **k == *picture) {
                picture = *k;
                return;
            }
        }
    };
    share(s.pictures.source);
    share(s.pictures.working);
    share(s.pictures.prepared);
    return s;
}

void DocumentHistory::Restore(const State& state) {
    doc_.Settings().MutableBytes() = state.record;
    doc_.RestorePictures(state.pictures);
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
    Design& design = *states_[current_].design;
    const bool wasSaved = design.hasSaved && states_[current_] == design.saved;
    states_[current_] = Capture();
    if (wasSaved) {
        design.saved = states_[current_];
        design.saved.design.reset();
    }
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
        for (const PicturePtr* p : {&s.pictures.source, &s.pictures.working, &s.pictures.prepared}) {
            if (*p && seen.insert(p->get()).second) bytes += (*p)->color.ByteSize() + (*p)->alpha.size();
        }
    }
    return bytes;
}

}  // namespace veskel
