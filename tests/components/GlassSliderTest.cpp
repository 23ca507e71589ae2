// The glass slider: skins, the Value and Max setters, the position rule with its clamps and both
// rounding modes, the three event channels on the virtual clock, and painting.
#include "Components/GlassSlider/GlassSlider.h"

#include <gtest/gtest.h>

#include <climits>

#include "Components/Registration/Registration.h"
#include "ControlTestSupport.h"
#include "platform/ui/StoredLayout.h"
#include "platform/Resources.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Rounding.h"

namespace veskel {
namespace {

using testing::ControlStage;

// ---------------------------------------------------------------- skins

TEST(GlassSliderSkins, TrackRowsAndThePointerShapedThumbs) {
    const Picture track = DecodePng(Resource("Components/GlassSlider/res/GlassSliderTrack.png"));
    ASSERT_EQ(track.Width(), 1);
    ASSERT_EQ(track.Height(), 5);
    EXPECT_FALSE(track.HasAlpha());
    const int rows[] = {192, 192, 184, 176, 152};
    for (int y = 0; y < 5; ++y) EXPECT_EQ(track.color.Pixel(0, y), RGB(rows[y], rows[y], rows[y])) << y;

    for (const char* name : {"GlassSliderThumb.png", "GlassSliderThumbHover.png"}) {
        SCOPED_TRACE(name);
        const Picture t = DecodePng(Resource(std::string("Components/GlassSlider/res/") + name));
        ASSERT_EQ(t.Width(), 15);
        ASSERT_EQ(t.Height(), 19);
        ASSERT_TRUE(t.HasAlpha());
        auto a = [&](int x, int y) { return int(t.AlphaRow(y)[x]); };
        // Rounded upper corners, full width below them, one pixel at the bottom centre.
        EXPECT_EQ(a(0, 0), 0);
        EXPECT_EQ(a(14, 0), 0);
        EXPECT_GT(a(0, 5), 0);
        EXPECT_GT(a(14, 5), 0);
        for (int x = 0; x < 15; ++x) EXPECT_EQ(a(x, 18) > 0, x == 7) << "bottom row, column " << x;
        // Every row below the straight part is one pixel narrower on each side.
        for (int y = 12; y < 19; ++y) {
            const int half = 7 - (y - 11);
            EXPECT_EQ(a(7 - half - 1 < 0 ? 0 : 7 - half - 1, y) > 0, 7 - half - 1 < 0) << y;
            EXPECT_GT(a(7 - half, y), 0) << y;
        }
        // The rim is translucent black, the body translucent glass.
        EXPECT_EQ(a(0, 6), 74);
        EXPECT_EQ(t.color.Pixel(0, 6), kBlack);
        EXPECT_EQ(a(2, 0), 43);  // a corner of the rim
        EXPECT_GE(a(7, 10), 120);
        EXPECT_LE(a(7, 10), 150);
        EXPECT_GT(a(3, 2), a(7, 10)) << "more opaque in the upper highlight";
    }
    const Picture normal = DecodePng(Resource("Components/GlassSlider/res/GlassSliderThumb.png"));
    const Picture hover = DecodePng(Resource("Components/GlassSlider/res/GlassSliderThumbHover.png"));
    EXPECT_EQ(normal.alpha, hover.alpha) << "the same shape";
    const Color edgeHover = hover.color.Pixel(1, 10), edgeNormal = normal.color.Pixel(1, 10);
    EXPECT_GT(GetB(edgeHover) - GetR(edgeHover), 150) << "bright blue";
    EXPECT_LT(GetB(edgeNormal) - GetR(edgeNormal), 80) << "grey blue";
}

// ---------------------------------------------------------------- setters

TEST(GlassSliderSetters, ValueMovesTheThumbMaxDoesNotAndNeitherRaisesAnEvent) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    TGlassSlider s;
    EXPECT_EQ(s.Max(), 10);
    EXPECT_EQ(s.Value(), 0);
    EXPECT_EQ(s.ClassName(), "TGlassSlider");
    s.SetBounds(0, 0, 180, 25);
    int events = 0;
    s.OnChange = s.OnPreChange = s.OnFinalChange = [&](Control&) { ++events; };
    s.SetMax(99);
    s.SetValue(99);
    EXPECT_EQ(s.ThumbPos(), 162) << "a whole pixel further right than dragging gets it";
    s.SetMax(200);
    EXPECT_EQ(s.ThumbPos(), 162) << "Max alone leaves the thumb";
    s.SetValue(50);
    EXPECT_EQ(s.ThumbPos(), 40);  // 50 x 162 / 200 = 40.5, ties to even
    s.SetValue(75);
    EXPECT_EQ(s.ThumbPos(), 61);  // 60.75
    s.SetValue(300);
    EXPECT_EQ(s.Value(), 300) << "not clamped";
    EXPECT_EQ(s.ThumbPos(), 243);
    EXPECT_EQ(events, 0);
    {
        ScopedRoundingModeForTesting down(RoundingMode::Downward);
        s.SetValue(75);
        EXPECT_EQ(s.ThumbPos(), 60);
    }
    s.SetMax(0);
    EXPECT_EQ(s.Max(), 1) << "Max stays at least 1";
}

// ---------------------------------------------------------------- the pointer

struct SliderStage : ControlStage {
    TGlassSlider* s;
    std::vector<std::string> log;
    SliderStage(int width = 180, int max = 99) : ControlStage({260, 60}) {
        s = Add<TGlassSlider>(20, 10);
        s->SetBounds(20, 10, width, 25);
        s->SetMax(max);
        auto note = [this](const char* what) {
            return [this, what](Control&) {
                log.push_back(std::string(what) + " " + std::to_string(s->Value()) + "@" + std::to_string(s->ThumbPos()));
            };
        };
        s->OnChange = note("change");
        s->OnPreChange = note("pre");
        s->OnFinalChange = note("final");
    }
    // Pointer at x in the slider's coordinates.
    void Down(int x) { backend.MouseDown(*form, 20 + x, 20); }
    void Move(int x) { backend.MouseMove(*form, 20 + x, 20); }
    void Up(int x) { backend.MouseUp(*form, 20 + x, 20); }
};

// The value rounds to nearest in both process modes: it is stored, and one place means one value.
TEST(GlassSliderPointer, PositionRuleRoundsToNearestInBothRoundingModes) {
    struct Case {
        RoundingMode mode;
        int x, value, thumb;
    };
    for (Case c : {Case{RoundingMode::NearestEven, 90, 50, 81},  // 81 x 99 / 162 = 49.5
                   Case{RoundingMode::Downward, 90, 50, 81},
                   Case{RoundingMode::NearestEven, 3, 0, 0},     // left of the track
                   Case{RoundingMode::NearestEven, 9, 0, 0},
                   Case{RoundingMode::NearestEven, 171, 99, 161},
                   Case{RoundingMode::NearestEven, 179, 99, 161},  // right of the track: Width - 19
                   Case{RoundingMode::Downward, 170, 98, 161}}) {
        ScopedRoundingModeForTesting rounding(c.mode);
        SliderStage st;
        st.Down(c.x);
        EXPECT_EQ(st.s->Value(), c.value) << c.x;
        EXPECT_EQ(st.s->ThumbPos(), c.thumb) << c.x;
        st.Up(c.x);
    }
}

// A slider narrower than its track margins (Width - 18 <= 0) still maps: the track counts as one
// pixel, so no value divides by zero.
TEST(GlassSliderPointer, ASliderTooNarrowForItsTrackStillGivesValuesInRange) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    SliderStage st(12, 20);
    st.Down(2);
    EXPECT_EQ(st.s->Value(), 0);
    EXPECT_EQ(st.s->ThumbPos(), 0);
    st.Move(11);
    EXPECT_EQ(st.s->Value(), 20);
    EXPECT_EQ(st.s->ThumbPos(), 0);
    st.Up(11);
    st.s->SetValue(7);
    EXPECT_EQ(st.s->ThumbPos(), 0);  // round(7 x 1 / 20)
}

TEST(GlassSliderPointer, ThePressCountsAsAChangeOnlyWhenTheThumbMoves) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    SliderStage st;
    st.Down(9);  // the thumb is already at 0, but the first press always counts
    st.Up(9);
    st.Down(9);  // same place again: no OnChange, yet OnPreChange after the rest
    st.backend.AdvanceClock(50);
    st.Up(9);
    st.Down(50);
    st.Up(50);
    EXPECT_EQ(st.log, (std::vector<std::string>{"change 0@0", "final 0@0", "pre 0@0", "final 0@0", "change 25@41",
                                                "pre 25@41", "final 25@41"}));
}

TEST(GlassSliderPointer, OnPreChangeNeedsAFullRestWithTheButtonHeld) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    SliderStage st;
    st.Down(30);
    st.backend.AdvanceClock(30);
    st.Move(40);  // restarts the 50 ms
    st.backend.AdvanceClock(49);
    EXPECT_EQ(st.log.size(), 2u) << "49 ms is not a rest";
    st.backend.AdvanceClock(1);
    st.backend.AdvanceClock(200);  // once per rest, not every 50 ms
    st.Move(40);                   // the thumb does not move: nothing
    st.Move(45);
    st.backend.AdvanceClock(20);
    st.Up(45);  // released 20 ms after the last movement: the release reports 22, once
    st.backend.AdvanceClock(100);
    EXPECT_EQ(st.log, (std::vector<std::string>{"change 13@21", "change 19@31", "pre 19@31", "change 22@36",
                                                "pre 22@36", "final 22@36"}));
    // Released on the value the last rest reported: nothing more to report.
    st.log.clear();
    st.Down(60);
    st.backend.AdvanceClock(50);
    st.Up(60);
    EXPECT_EQ(st.log, (std::vector<std::string>{"change 31@51", "pre 31@51", "final 31@51"}));
}

TEST(GlassSliderPointer, DragsPastBothEndsAndAnyButton) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    SliderStage st;
    st.Down(60);
    st.Move(-100);  // far left, outside the control: it still holds the pointer
    st.Move(-50);   // still clamped: no change
    st.Move(500);
    st.Move(600);
    st.Up(600);
    st.backend.MouseDown(*st.form, 20 + 90, 20, MouseButton::Right);
    st.backend.MouseUp(*st.form, 20 + 90, 20, MouseButton::Right);
    EXPECT_EQ(st.log, (std::vector<std::string>{"change 31@51", "change 0@0", "change 99@161", "pre 99@161",
                                                "final 99@161", "change 50@81", "pre 50@81", "final 50@81"}));
    EXPECT_FALSE(st.s->Dragging());
    st.Move(30);
    EXPECT_EQ(st.log.size(), 8u) << "no drag after the release";
}

TEST(GlassSliderPointer, MaxChangedDuringADragAppliesFromTheNextMovement) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    SliderStage st;
    st.Down(90);
    st.s->SetMax(10);
    EXPECT_EQ(st.s->Value(), 50) << "the stored value stays until the pointer moves";
    st.Move(91);
    st.Up(91);
    EXPECT_EQ(st.log, (std::vector<std::string>{"change 50@81", "change 5@82", "pre 5@82", "final 5@82"}));
}

TEST(GlassSliderPointer, HoverFollowsThePointerAndShowsTheBlueThumb) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    SliderStage st;
    const Bitmap normal = st.Shot(*st.s);
    st.Move(30);
    EXPECT_TRUE(st.s->Hovered());
    const Bitmap hover = testing::Snapshot(*st.s);
    EXPECT_NE(hover, normal);
    EXPECT_EQ(st.Shot(*st.s), hover) << "the repaint shows the same";
    st.backend.MouseMove(*st.form, 250, 55);
    EXPECT_FALSE(st.s->Hovered());
    EXPECT_EQ(testing::Snapshot(*st.s), normal);
    EXPECT_TRUE(st.log.empty());
}

// ---------------------------------------------------------------- painting

TEST(GlassSliderPaint, TrackTicksAndThumbPlace) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    ControlStage stage({220, 40}, RGB(232, 232, 232));
    auto* s = stage.Add<TGlassSlider>(0, 0);
    s->SetBounds(0, 0, 180, 25);
    s->SetMax(99);
    s->SetValue(0);
    const Bitmap shot = stage.Shot(*s);
    const Color tick = RGB(176, 176, 176), page = RGB(232, 232, 232);
    std::vector<int> ticks;
    for (int x = 0; x < 180; ++x) {
        if (shot.Pixel(x, 18) != tick) continue;
        ticks.push_back(x);
        for (int y = 18; y < 22; ++y) EXPECT_EQ(shot.Pixel(x, y), tick) << x << "," << y;
        EXPECT_EQ(shot.Pixel(x, 22), page);
    }
    EXPECT_EQ(ticks, (std::vector<int>{9, 41, 74, 106, 139, 170}));
    // The track, right of the thumb: rows 7..11 in its five greys, from x = 9 to 170.
    const int rows[] = {192, 192, 184, 176, 152};
    for (int y = 0; y < 5; ++y) {
        EXPECT_EQ(shot.Pixel(100, 7 + y), RGB(rows[y], rows[y], rows[y]));
        EXPECT_EQ(shot.Pixel(170, 7 + y), RGB(rows[y], rows[y], rows[y]));
        EXPECT_EQ(shot.Pixel(171, 7 + y), page);
    }
    EXPECT_EQ(shot.Pixel(100, 6), page);
    // The thumb's point sits under its centre column x = ThumbPos + 9, at y = 2 + 18.
    EXPECT_NE(shot.Pixel(9, 20), page);
    EXPECT_EQ(shot.Pixel(8, 20), page);
    EXPECT_EQ(shot.Pixel(10, 20), page);
    // Values far outside 0..Max (a stored design may hold any) show the thumb at the track's end.
    s->SetValue(99);
    const Bitmap atMax = stage.Shot(*s);
    for (int v : {1000, INT_MAX, -1, INT_MIN}) {
        s->SetValue(v);
        EXPECT_EQ(stage.Shot(*s), v > 0 ? atMax : shot) << v;
    }

    // Downward rounding moves the inner ticks that fell on .4 and .6.
    ScopedRoundingModeForTesting down(RoundingMode::Downward);
    const Bitmap later = stage.Shot(*s);
    std::vector<int> ticksDown;
    for (int x = 0; x < 180; ++x)
        if (later.Pixel(x, 19) == tick) ticksDown.push_back(x);
    EXPECT_EQ(ticksDown, (std::vector<int>{9, 41, 73, 106, 138, 170}));
}

}  // namespace
}  // namespace veskel

namespace veskel {
namespace {

// ---------------------------------------------------------------- stored form

TEST(GlassSliderStored, MaxAndValueAlwaysWrittenMaxFirstBecauseValueUsesIt) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    ControlStage stage;
    RegisterComponentClasses();
    auto load = [&](const std::string& props) {
        LoadLayout(*stage.form, "object Form1: TForm\n  object S: TGlassSlider\n    Width = 180\n" + props + "  end\nend\n");
        auto* s = stage.form->Find<TGlassSlider>("S");
        const std::pair<int, int> result{s->Value(), s->ThumbPos()};
        delete s;
        return result;
    };
    EXPECT_EQ(load("    Max = 99\n    Value = 80\n"), (std::pair<int, int>{80, 131}));
    EXPECT_EQ(load("    Value = 80\n    Max = 99\n"), (std::pair<int, int>{80, 1296})) << "Value read with Max 10";

    TGlassSlider fresh;
    std::vector<LayoutProperty> props;
    fresh.GetProperties(props);
    std::vector<std::string> names;
    for (const auto& p : props) names.push_back(p.name);
    const auto max = std::find(names.begin(), names.end(), "Max");
    ASSERT_NE(max, names.end()) << "written even at its default";
    ASSERT_NE(max + 1, names.end());
    EXPECT_EQ(*(max + 1), "Value");
}

}  // namespace
}  // namespace veskel
