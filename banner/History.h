#pragma once
// DocumentHistory: undo and redo over one BannerDocument.
//
// The history keeps a line of whole document states: the 593 record bytes and the three overlay
// pictures. The caller commits after every operation (including one that threw, since a failed
// open can leave the record taken); a commit that finds the document as it was adds nothing.
// Undo and redo put a kept state back, byte for byte and pixel for pixel, and then run the
// document's change listeners, so the controls and the banner follow.
//
// Pictures are the document's own shared pixels: a state points at them rather than copying
// them, and a step that did not change a picture points at the same pixels as the step before it,
// so the photo a design carries is held once, by the document and the history together.
//
// Coalescing: a commit that names a group (the slider being dragged, the edit field being typed
// into) joins the step made by the previous commit of the same group, as long as nothing else was
// committed in between and Seal() was not called. The window seals when a drag ends or an edit
// field loses the focus. A group that ends where it began leaves no step behind.
//
// Files: every state belongs to a design, the line of steps that began when a project was opened
// or a new design started. A design carries the file it was opened from or last saved to and the
// state last written there, so undoing an Open brings back the design before it with its own file
// and saved mark, and a state is never taken as saved in a file that holds another design.
//
// The line is bounded: beyond `limit` steps the oldest is forgotten.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "banner/BannerDocument.h"

namespace veskel {

inline constexpr std::size_t kDefaultHistoryLimit = 200;

// The file a design belongs to: the path written or read, and the name as the user chose it
// (both "" for a design that has no file yet).
struct DesignFile {
    std::string path;
    std::string chosenName;
};

class DocumentHistory {
public:
    // Starts with the document's present state as the only one (nothing to undo).
    explicit DocumentHistory(BannerDocument& document, std::size_t limit = kDefaultHistoryLimit);

    // Forgets every step and takes the present state as the start.
    void Reset();

    // Records the document's present state as a new step, or as the end of the open group's step
    // when `group` is that group. Drops whatever could have been redone. Returns whether the
    // history changed (false when the document is as the current state holds it).
    bool Commit(std::string_view group = {});
    // Ends the open group: the next commit makes a step of its own.
    void Seal() { group_.clear(); }
    // Runs `change` and commits it with `group` once it returns or throws (a failed operation may
    // have changed the document half-way). Inside another Record it joins the outer one's step:
    // an operation and the control events its listeners set off are one step.
    template <class F>
    void Record(std::string_view group, F&& change) {
        ++depth_;
        try {
            change();
        } catch (...) {
            if (--depth_ == 0) Commit(group);
            throw;
        }
        if (--depth_ == 0) Commit(group);
    }
    // Takes the document's present state as the current one without making a step, keeping what
    // can be redone: for changes that are no design change, such as the name and picture size
    // that saving writes into the record.
    void Absorb();
    // True while undo or redo runs the document's listeners: controls that follow the restored
    // settings must not turn that into new edits.
    bool Restoring() const { return restoring_; }

    // Takes the document's present state as the one written to `file`, which the current design
    // now belongs to: Modified() is false until the design differs from it again (an undo back to
    // it is unmodified again). A state of this design saved before no longer counts as saved.
    void MarkSaved(DesignFile file);
    // Commits the document's present state (a project just opened, a new design) as the start of
    // a design of its own that belongs to `file` and is saved there. The states before it keep theirs.
    void StartDesign(DesignFile file);
    // The file of the current state's design.
    const DesignFile& File() const { return states_[current_].design->file; }
    // Whether the document differs from the state its design last marked saved (Reset marks its start).
    // Cheap enough for every change: it compares the record and which pixels are held, never the
    // pixels themselves.
    bool Modified() const;

    bool CanUndo() const { return current_ > 0; }
    bool CanRedo() const { return current_ + 1 < states_.size(); }
    // Put back the state before (after) the current one and tell the document's listeners. Uncommitted
    // changes are committed first, so an undo never loses them. Return false when there is
    // nothing to undo (redo). A listener's exception (a render failure) passes through, with the
    // state already put back.
    bool Undo();
    bool Redo();

    std::size_t UndoSteps() const { return current_; }
    std::size_t RedoSteps() const { return states_.size() - 1 - current_; }
    std::size_t Limit() const { return limit_; }
    // Bytes of picture data the history holds, each shared buffer counted once.
    std::size_t PictureBytes() const;

private:
    using PicturePtr = std::shared_ptr<const Picture>;
    struct Design;
    struct State {
        BannerSettings::Bytes record;
        OverlayPictures pictures;
        std::uint64_t generation = 0;  // the document's PictureGeneration when these were taken
        std::shared_ptr<Design> design;  // shared by the states of one design; not compared
        bool operator==(const State& o) const { return record == o.record && pictures == o.pictures; }
    };
    struct Design {
        DesignFile file;
        bool hasSaved = false;
        State saved;  // the state its file holds (without a design of its own), when hasSaved
    };

    State Capture() const;
    void Restore(const State& state);

    BannerDocument& doc_;
    std::size_t limit_;
    std::deque<State> states_;  // states_[current_] is what the document holds
    std::size_t current_ = 0;
    std::string group_;         // the group whose step is on top and may still grow
    int depth_ = 0;             // Record calls running
    bool restoring_ = false;
};

}  // namespace veskel
