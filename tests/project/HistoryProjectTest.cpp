// Undo over the project operations: opening a file (with and without a picture, and one whose
// picture is damaged, which takes nothing) and saving.
#include <gtest/gtest.h>

#include "banner/History.h"
#include "platform/codecs/Codecs.h"
#include "project/ProjectFile.h"
#include "tests/project/TestFiles.h"

namespace veskel {
namespace {

using testing::ReadAll;
using testing::ScratchDir;
using testing::WriteAll;

struct State {
    BannerSettings::Bytes record;
    Picture source, working, prepared;
    explicit State(const BannerDocument& d)
        : record(d.Settings().GetBytes()),
          source(d.SourcePicture()),
          working(d.WorkingPicture()),
          prepared(d.PreparedPicture()) {}
    bool operator==(const State&) const = default;
};

Picture Gradient(int w, int h) {
    Picture p(Bitmap(w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.color.SetPixel(x, y, RGB(std::uint8_t(x * 3), std::uint8_t(y * 9), 77));
    return p;
}

TEST(HistoryOfProjects, OpenIsOneStepAndAFailedOpenNone) {
    ScratchDir dir;
    // A saved design with its own picture.
    BannerDocument other;
    other.NewDocument();
    WriteAll(dir / "pic.png", EncodePng(Gradient(260, 40)));
    other.LoadOverlayPicture(dir / "pic.png");
    other.Set(Field("Pattern"), 1);
    other.NudgeText(-30, 2);
    const std::string withPicture = SaveProject(other, dir / "with-picture");
    other.Set(Field("Border"), false);
    std::vector<std::uint8_t> damaged = ReadAll(SaveProject(other, dir / "then-damaged"));
    damaged.resize(BannerSettings::kSize + 20);  // the PNG breaks off
    WriteAll(dir / "damaged.vzk", damaged);

    BannerDocument doc;
    doc.NewDocument();
    WriteAll(dir / "mine.png", EncodePng(Gradient(50, 20)));
    doc.LoadOverlayPicture(dir / "mine.png");
    DocumentHistory history(doc);
    const State mine(doc);

    OpenProject(doc, withPicture);
    ASSERT_TRUE(history.Commit());
    const State opened(doc);
    EXPECT_EQ(doc.SourcePicture().Width(), 260);

    // A failed open takes nothing: the window's commit after it finds no change.
    EXPECT_THROW(OpenProject(doc, dir / "damaged.vzk"), ProjectError);
    EXPECT_TRUE(State(doc) == opened);
    EXPECT_FALSE(history.Commit());

    ASSERT_TRUE(history.Undo());
    EXPECT_TRUE(State(doc) == mine);
    ASSERT_TRUE(history.Redo());
    EXPECT_TRUE(State(doc) == opened);
}

TEST(HistoryOfProjects, SavingIsNoStepYetUndoRestoresEarlierRecordsExactly) {
    // Saving writes ProjectName and PictureSize into the record. That is no design change, so it
    // joins the current state instead of making a step; undoing an earlier step still gives that
    // step's record back byte for byte.
    ScratchDir dir;
    BannerDocument doc;
    doc.NewDocument();
    DocumentHistory history(doc);
    const State start(doc);
    doc.Set(Field("Glow"), false);
    ASSERT_TRUE(history.Commit());
    SaveProject(doc, dir / "named");
    history.Absorb();
    EXPECT_EQ(history.UndoSteps(), 1u);
    EXPECT_FALSE(history.Commit()) << "the saved name is part of the current state now";
    const State saved(doc);
    EXPECT_EQ(doc.Settings().ProjectName(), "named");

    ASSERT_TRUE(history.Undo());
    EXPECT_TRUE(State(doc) == start);
    ASSERT_TRUE(history.Redo());
    EXPECT_TRUE(State(doc) == saved);
}

}  // namespace
}  // namespace veskel
