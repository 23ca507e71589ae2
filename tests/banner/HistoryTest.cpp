// Undo and redo: every operation comes back exactly (record bytes, all three pictures, the banner),
// long chains, coalesced drags and typing, the bound on steps, and shared picture data.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "banner/BannerDocument.h"
#include "banner/History.h"
#include "platform/codecs/Codecs.h"
#include "tests/banner/BannerTestUtil.h"

namespace veskel {
namespace {

using testing::CountingDocument;
using testing::MakePicture;

using testing::Snapshot;

// A design with a half-transparent picture on, at a position and size of its own, and bytes in
// the reserved fields and behind the end of the text (which only an opened file puts there).
void PrepareDesign(BannerDocument& doc) {
    doc.SeedRandom(7);
    doc.LoadOverlayPictureFromBytes("photo.png", EncodePng(MakePicture(300, 60, true)));
    doc.MoveOverlayRight();
    doc.MoveOverlayRight();
    doc.MoveOverlayDown();
    doc.WidenOverlay();
    doc.NudgeText(-2, 1);
    BannerSettings::Bytes& b = doc.Settings().MutableBytes();
    b[BannerSettings::kReserved1] = 0x5A;
    b[200] = 0xAB;
    doc.Changed();
}

struct Operation {
    const char* name;
    std::function<void(BannerDocument&)> run;
};

const std::vector<Operation>& Operations() {
    static const std::vector<Operation> ops = {
        {"NewDocument", [](BannerDocument& d) { d.NewDocument(); }},
        {"ResetTextPosition", [](BannerDocument& d) { d.ResetTextPosition(); }},
        {"SetText", [](BannerDocument& d) { ASSERT_TRUE(d.SetText("Привет, мир")); }},
        {"SetText empty", [](BannerDocument& d) { ASSERT_TRUE(d.SetText("")); }},
        {"SetTextX", [](BannerDocument& d) { d.Set(Field("TextX"), 12); }},
        {"SetTextY", [](BannerDocument& d) { d.Set(Field("TextY"), -3); }},
        {"NudgeText", [](BannerDocument& d) { d.NudgeText(-1, 1); }},
        {"RandomColor1", [](BannerDocument& d) { d.RandomColor1(); }},
        {"RandomColor2", [](BannerDocument& d) { d.RandomColor2(); }},
        {"SwapColors", [](BannerDocument& d) { d.SwapColors(); }},
        {"SetColor1", [](BannerDocument& d) { d.Set(Field("Color1"), RGB(1, 2, 3)); }},
        {"SetColor2", [](BannerDocument& d) { d.Set(Field("Color2"), RGB(4, 5, 6)); }},
        {"SetBorderColor", [](BannerDocument& d) { d.Set(Field("BorderColor"), RGB(250, 0, 9)); }},
        {"SetGlow", [](BannerDocument& d) { d.Set(Field("Glow"), false); }},
        {"SetBorder", [](BannerDocument& d) { d.Set(Field("Border"), false); }},
        {"SetHorizontal", [](BannerDocument& d) { d.Set(Field("Horizontal"), false); }},
        {"SetOverlay", [](BannerDocument& d) { d.Set(Field("Overlay"), false); }},
        {"SetMirrorPattern", [](BannerDocument& d) { d.Set(Field("MirrorPattern"), 1); }},
        {"SetPattern", [](BannerDocument& d) { d.Set(Field("Pattern"), 4); }},
        {"SetMirrorStrength", [](BannerDocument& d) { d.Set(Field("MirrorStrength"), 10); }},
        {"SetPatternStrength", [](BannerDocument& d) { d.Set(Field("PatternStrength"), 20); }},
        {"LoadOverlayPicture", [](BannerDocument& d) {
             d.LoadOverlayPictureFromBytes("other.bmp", EncodeBmp(MakePicture(90, 30, false).color));
         }},
        {"MoveOverlayLeft", [](BannerDocument& d) { d.MoveOverlayLeft(); }},
        {"MoveOverlayRight", [](BannerDocument& d) { d.MoveOverlayRight(); }},
        {"MoveOverlayUp", [](BannerDocument& d) { d.MoveOverlayUp(); }},
        {"MoveOverlayDown", [](BannerDocument& d) { d.MoveOverlayDown(); }},
        {"ResetOverlayPosition", [](BannerDocument& d) { ASSERT_TRUE(d.ResetOverlayPosition()); }},
        {"WidenOverlay", [](BannerDocument& d) { ASSERT_TRUE(d.WidenOverlay()); }},
        {"NarrowOverlay", [](BannerDocument& d) { ASSERT_TRUE(d.NarrowOverlay()); }},
        {"ShortenOverlay", [](BannerDocument& d) { ASSERT_TRUE(d.ShortenOverlay()); }},
        {"HeightenOverlay", [](BannerDocument& d) { ASSERT_TRUE(d.HeightenOverlay()); }},
        {"GrowOverlayBottomRight", [](BannerDocument& d) { ASSERT_TRUE(d.GrowOverlayBottomRight()); }},
        {"GrowOverlayBottomLeft", [](BannerDocument& d) { ASSERT_TRUE(d.GrowOverlayBottomLeft()); }},
        {"GrowOverlayTopRight", [](BannerDocument& d) { ASSERT_TRUE(d.GrowOverlayTopRight()); }},
        {"GrowOverlayTopLeft", [](BannerDocument& d) { ASSERT_TRUE(d.GrowOverlayTopLeft()); }},
        {"ResetOverlaySize", [](BannerDocument& d) { ASSERT_TRUE(d.ResetOverlaySize()); }},
        {"SetOverlayOpacity", [](BannerDocument& d) { ASSERT_TRUE(d.Set(Field("OverlayOpacity"), 37)); }},
        {"PreparePictureFromRecord", [](BannerDocument& d) {
             d.Settings().SetOverlayWidth(50);
             ASSERT_TRUE(d.PreparePictureFromRecord());
         }},
        {"ClearPictures", [](BannerDocument& d) {
             d.ClearPictures();
             d.Changed();
         }},
        // What opening a project does: the record replaced wholesale, the stored picture adopted
        // unscaled.
        {"open a project", [](BannerDocument& d) {
             BannerSettings::Bytes bytes{};
             for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = std::uint8_t(i * 13 + 1);
             BannerSettings opened = BannerSettings::FromBytes(bytes);
             opened.SetPattern(3);
             opened.SetMirrorPattern(0);
             d.Settings() = opened;
             d.AdoptProjectPicture(MakePicture(40, 12, true));
             d.Changed();
         }},
    };
    return ops;
}

TEST(History, EveryOperationUndoesAndRedoesExactly) {
    for (const Operation& op : Operations()) {
        SCOPED_TRACE(op.name);
        CountingDocument d;
        PrepareDesign(d.doc);
        DocumentHistory history(d.doc);
        const Snapshot before(d.doc);
        op.run(d.doc);
        ASSERT_TRUE(history.Commit());
        const Snapshot after(d.doc);
        ASSERT_FALSE(after == before) << "the operation changed nothing, so the case tests nothing";

        const int hooks = d.changes;
        ASSERT_TRUE(history.Undo());
        EXPECT_EQ(d.changes, hooks + 1) << "undo runs the changed hook, so controls and banner follow";
        before.ExpectIn(d.doc, "after undo");
        EXPECT_FALSE(history.Undo());
        ASSERT_TRUE(history.Redo());
        after.ExpectIn(d.doc, "after redo");
        EXPECT_FALSE(history.Redo());
    }
}

TEST(History, AChainOfEveryOperationWalksBackAndForth) {
    CountingDocument d;
    PrepareDesign(d.doc);
    DocumentHistory history(d.doc);
    std::vector<Snapshot> states{Snapshot(d.doc)};
    for (const Operation& op : Operations()) {
        if (std::string(op.name) == "ClearPictures") continue;  // the overlay steps after it would refuse
        op.run(d.doc);
        if (history.Commit()) states.emplace_back(d.doc);
    }
    ASSERT_GT(states.size(), 35u);
    ASSERT_EQ(history.UndoSteps(), states.size() - 1);
    for (std::size_t i = states.size() - 1; i-- > 0;) {
        ASSERT_TRUE(history.Undo());
        states[i].ExpectIn(d.doc, "undo to state " + std::to_string(i));
    }
    EXPECT_FALSE(history.CanUndo());
    for (std::size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(history.Redo());
        states[i].ExpectIn(d.doc, "redo to state " + std::to_string(i));
    }
    EXPECT_FALSE(history.CanRedo());
}

TEST(History, StepsAreMadeOnlyByChangesAndANewChangeDropsTheRedoLine) {
    CountingDocument d;
    DocumentHistory history(d.doc);
    EXPECT_FALSE(history.Commit()) << "nothing changed";
    d.doc.Set(Field("Glow"), d.doc.Settings().Glow());
    EXPECT_FALSE(history.Commit()) << "a setter that stores the same value makes no step";

    d.doc.NudgeText(1, 0);
    d.doc.NudgeText(1, 0);
    ASSERT_TRUE(history.Commit());
    d.doc.Set(Field("Border"), false);
    ASSERT_TRUE(history.Commit());
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(history.RedoSteps(), 1u);
    d.doc.Set(Field("Glow"), false);
    ASSERT_TRUE(history.Commit());
    EXPECT_EQ(history.RedoSteps(), 0u);
    EXPECT_TRUE(d.doc.Settings().Border()) << "the undone border change is gone for good";
    EXPECT_EQ(history.UndoSteps(), 2u);
}

TEST(History, UndoTakesUncommittedChangesAsTheirOwnStep) {
    CountingDocument d;
    DocumentHistory history(d.doc);
    const Snapshot start(d.doc);
    d.doc.Set(Field("Pattern"), 0);
    const Snapshot changed(d.doc);
    ASSERT_TRUE(history.Undo());
    start.ExpectIn(d.doc, "undo");
    ASSERT_TRUE(history.Redo());
    changed.ExpectIn(d.doc, "redo");
}

TEST(History, ADragOrARunOfTypingIsOneStep) {
    CountingDocument d;
    DocumentHistory history(d.doc);
    const Snapshot start(d.doc);

    // A slider drag: live values, then the release seals the step.
    for (int v : {80, 60, 41, 40}) {
        d.doc.Set(Field("PatternStrength"), v);
        history.Commit("pattern strength");
    }
    history.Seal();
    const Snapshot dragged(d.doc);
    // A run of typing, committed per key; the field losing the focus seals it.
    std::string text;
    for (const char* key : {"H", "e", "l", "l", "o"}) {
        text += key;
        ASSERT_TRUE(d.doc.SetText(text));
        history.Commit("text");
    }
    history.Seal();
    const Snapshot typed(d.doc);
    // A second drag of the same slider after the seal is a step of its own.
    d.doc.Set(Field("PatternStrength"), 5);
    history.Commit("pattern strength");
    EXPECT_EQ(history.UndoSteps(), 3u);

    ASSERT_TRUE(history.Undo());
    typed.ExpectIn(d.doc, "first undo");
    ASSERT_TRUE(history.Undo());
    dragged.ExpectIn(d.doc, "second undo");
    ASSERT_TRUE(history.Undo());
    start.ExpectIn(d.doc, "third undo");
}

TEST(History, GroupsEndAtOtherCommitsAtUndoAndWhereTheyBegan) {
    CountingDocument d;
    PrepareDesign(d.doc);
    DocumentHistory history(d.doc);
    const Snapshot start(d.doc);

    // Another control used in between splits a drag.
    d.doc.Set(Field("OverlayOpacity"), 100);
    history.Commit("opacity");
    d.doc.Set(Field("Glow"), false);
    history.Commit();
    d.doc.Set(Field("OverlayOpacity"), 90);
    history.Commit("opacity");
    EXPECT_EQ(history.UndoSteps(), 3u);

    // A drag that returns to its start leaves no step, pictures included.
    history.Reset();
    const Snapshot before(d.doc);
    d.doc.Set(Field("OverlayOpacity"), 20);
    history.Commit("opacity");
    d.doc.Set(Field("OverlayOpacity"), 90);
    history.Commit("opacity");
    EXPECT_EQ(history.UndoSteps(), 0u);
    before.ExpectIn(d.doc, "drag back");

    // After an undo the group does not reach into the undone step: the next drag value is a new
    // step and the undone one cannot be redone any more.
    d.doc.Set(Field("OverlayOpacity"), 50);
    history.Commit("opacity");
    const Snapshot at50(d.doc);
    ASSERT_TRUE(history.Undo());
    d.doc.Set(Field("OverlayOpacity"), 60);
    history.Commit("opacity");
    EXPECT_EQ(history.UndoSteps(), 1u);
    EXPECT_EQ(history.RedoSteps(), 0u);
    ASSERT_TRUE(history.Undo());
    before.ExpectIn(d.doc, "undo of the drag after an undo");
}

TEST(History, RecordMakesOneStepOfAnOperationAndWhatItSetsOff) {
    CountingDocument d;
    DocumentHistory history(d.doc);
    // An operation whose hook sets off another (a control that follows the settings and raises
    // its own event): one step.
    history.Record({}, [&] {
        d.doc.Set(Field("Glow"), false);
        history.Record("text", [&] { d.doc.NudgeText(1, 0); });
        EXPECT_EQ(history.UndoSteps(), 0u) << "nothing is committed before the outer operation ends";
    });
    EXPECT_EQ(history.UndoSteps(), 1u);

    // A failing operation is committed as far as it got, and its error passes on.
    EXPECT_THROW(history.Record({}, [&] {
        d.doc.Set(Field("Border"), false);
        throw BannerError("half-way");
    }),
                 BannerError);
    EXPECT_EQ(history.UndoSteps(), 2u);
    ASSERT_TRUE(history.Undo());
    EXPECT_TRUE(d.doc.Settings().Border());
    EXPECT_FALSE(d.doc.Settings().Glow());
}

TEST(History, ListenersKnowWhenTheyFollowAnUndoAndAbsorbKeepsTheRedoLine) {
    BannerDocument doc;
    DocumentHistory history(doc);
    std::vector<bool> restoring;
    doc.AddChangeListener([&] { restoring.push_back(history.Restoring()); });
    doc.NewDocument();
    history.Reset();
    doc.Set(Field("Pattern"), 3);
    history.Commit();
    ASSERT_TRUE(history.Undo());
    ASSERT_TRUE(history.Redo());
    EXPECT_EQ(restoring, (std::vector<bool>{false, false, true, true}));  // new, pattern, undo, redo
    EXPECT_FALSE(history.Restoring());

    ASSERT_TRUE(history.Undo());
    doc.Settings().SetProjectName("saved");  // what saving writes
    history.Absorb();
    EXPECT_EQ(history.RedoSteps(), 1u);
    EXPECT_FALSE(history.Commit());
    ASSERT_TRUE(history.Redo());
    EXPECT_EQ(doc.Settings().Pattern(), 3);
}

// Undo and redo bring back the file and saved mark of their design: an Open undone leaves the
// design before it, no file's; New undone, the opened one; a state is not saved in a file that
// was written with another one since.
TEST(History, UndoAndRedoBringBackTheFileAndSavedMarkOfTheirDesign) {
    BannerDocument doc;
    DocumentHistory history(doc);
    doc.NewDocument();
    history.Reset();
    auto step = [&](bool undo, const std::string& file, bool modified) {
        ASSERT_TRUE(undo ? history.Undo() : history.Redo());
        EXPECT_EQ(history.File().path + (history.Modified() ? " *" : ""), file + (modified ? " *" : ""));
    };
    history.Record({}, [&] { doc.Set(Field("Pattern"), 4); });  // open photo.vzk
    history.StartDesign({"photo.vzk", "photo"});
    step(true, "", false);
    step(false, "photo.vzk", false);
    history.Record({}, [&] { doc.NewDocument(); });
    history.StartDesign({});
    step(true, "photo.vzk", false);
    history.Record({}, [&] { doc.Set(Field("Pattern"), 2); });
    history.MarkSaved({"photo.vzk", "photo"});
    step(true, "photo.vzk", true);
}

TEST(History, KeepsTheNewestStepsUpToItsLimit) {
    CountingDocument d;
    DocumentHistory history(d.doc);
    EXPECT_EQ(history.Limit(), 200u);
    std::vector<BannerSettings::Bytes> records{d.doc.Settings().GetBytes()};
    for (int i = 0; i < 250; ++i) {
        d.doc.NudgeText(0, 1);
        ASSERT_TRUE(history.Commit());
        records.push_back(d.doc.Settings().GetBytes());
    }
    EXPECT_EQ(history.UndoSteps(), 200u);
    while (history.Undo()) {
    }
    EXPECT_EQ(d.doc.Settings().GetBytes(), records[50]) << "the oldest reachable state is 200 steps back";
    EXPECT_EQ(d.doc.Settings().TextY(), kDefaultTextY + 50);

    DocumentHistory small(d.doc, 3);
    for (int i = 0; i < 5; ++i) {
        d.doc.NudgeText(1, 0);
        small.Commit();
    }
    EXPECT_EQ(small.UndoSteps(), 3u);
}

TEST(History, StepsThatLeaveAPictureAloneShareItsPixels) {
    CountingDocument d;
    // A large photo: its pixels must be held once, however many steps follow.
    d.doc.LoadOverlayPictureFromBytes("big.png", EncodePng(MakePicture(1200, 800, true)));
    DocumentHistory history(d.doc);
    const auto bytesOf = [](const Picture& p) { return p.color.ByteSize() + p.alpha.size(); };
    const std::size_t oneState =
        bytesOf(d.doc.SourcePicture()) + bytesOf(d.doc.WorkingPicture()) + bytesOf(d.doc.PreparedPicture());
    EXPECT_EQ(history.PictureBytes(), oneState);

    for (int i = 0; i < 100; ++i) {
        d.doc.NudgeText(1, 0);
        ASSERT_TRUE(history.Commit());
    }
    EXPECT_EQ(history.PictureBytes(), oneState) << "text steps hold no picture of their own";

    // An opacity step makes a new PreparedPicture only; the source stays shared.
    ASSERT_TRUE(d.doc.Set(Field("OverlayOpacity"), 150));
    ASSERT_TRUE(history.Commit());
    EXPECT_EQ(history.PictureBytes(), oneState + bytesOf(d.doc.PreparedPicture()));

    // An unscaled WorkingPicture (a narrow picture, or one just opened from a project) is the
    // source's pixels again and is held once.
    CountingDocument narrow;
    narrow.doc.LoadOverlayPictureFromBytes("narrow.png", EncodePng(MakePicture(100, 300, false)));
    ASSERT_EQ(narrow.doc.WorkingPicture(), narrow.doc.SourcePicture());
    DocumentHistory shared(narrow.doc);
    EXPECT_EQ(shared.PictureBytes(),
              bytesOf(narrow.doc.SourcePicture()) + bytesOf(narrow.doc.PreparedPicture()));
}

}  // namespace
}  // namespace veskel
