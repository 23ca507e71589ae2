// The overlay picture: loading, fitting, resampling, opacity, the third page's
// operations, and what stays intact when something goes wrong.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "banner/BannerDocument.h"
#include "banner/Renderer.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Resample.h"
#include "platform/graphics/Rounding.h"
#include "platform/io/Files.h"
#include "tests/banner/BannerTestUtil.h"

namespace veskel {
namespace {

using testing::CountingDocument;
using testing::MakePicture;
using testing::ScratchDir;

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) { WriteFileAtomic(path, bytes); }

using testing::Snapshot;

// The fitted size rounds in the document's mode, never the process's (which the window's lists switch).
TEST(OverlayFit, WidePicturesShrinkToHalfTheBannerInTheDocumentsMode) {
    const Picture wide = MakePicture(400, 100, false);
    const std::vector<std::uint8_t> png = EncodePng(wide);
    for (auto [mode, height] : {std::pair{RoundingMode::NearestEven, 44}, {RoundingMode::Downward, 43}}) {
        ScopedRoundingModeForTesting scope(mode == RoundingMode::Downward ? RoundingMode::NearestEven : RoundingMode::Downward);
        CountingDocument d;
        d.doc.SetRounding(mode);
        d.doc.Settings().SetOverlayX(-7);
        d.doc.LoadOverlayPictureFromBytes("wide.png", png);
        const BannerSettings& s = d.doc.Settings();
        EXPECT_TRUE(s.Overlay());
        EXPECT_EQ(s.OverlayWidth(), 175);
        EXPECT_EQ(s.OverlayHeight(), height);
        EXPECT_EQ(s.OverlayX(), -7);  // the position is kept
        EXPECT_EQ(d.doc.WorkingPicture().Width(), 175);
        EXPECT_EQ(d.doc.WorkingPicture().Height(), height);
        EXPECT_EQ(d.doc.SourcePicture(), wide);  // the source stays as loaded
        EXPECT_EQ(d.changes, 1);
    }
}

TEST(OverlayFit, OnlyTheWidthIsLimited) {
    const std::tuple<int, int, int, int> cases[] = {
        {175, 30, 175, 30},   // at the limit: kept as is
        {176, 30, 175, 30},   // one over: scaled (30 x 175 / 176 = 29.83)
        {100, 500, 100, 500}, // narrow and tall: kept, and clipped when drawn
        {2000, 2, 175, 1},    // so wide that the height rounds to 0: one row is kept
        {1, 1, 1, 1},
    };
    for (const auto& [w, h, ew, eh] : cases) {
        CountingDocument d;
        d.doc.LoadOverlayPictureFromBytes("p.bmp", EncodeBmp(MakePicture(w, h, false).color));
        EXPECT_EQ(d.doc.Settings().OverlayWidth(), ew) << w << "x" << h;
        EXPECT_EQ(d.doc.Settings().OverlayHeight(), eh) << w << "x" << h;
        EXPECT_EQ(d.doc.PreparedPicture().Width(), ew);
        EXPECT_EQ(d.doc.PreparedPicture().Height(), eh);
    }
}

TEST(OverlayLoad, EveryFormatLoadsAndOnlyAPngKeepsItsTransparency) {
    ScratchDir dir;
    const Picture opaque = MakePicture(20, 10, false);
    const Picture translucent = MakePicture(20, 10, true);
    WriteFile(dir / "a.PNG", EncodePng(translucent));
    WriteFile(dir / "b.Jpg", EncodeJpeg(opaque.color, 95));
    WriteFile(dir / "c.BMP", EncodeBmp(opaque.color));
    // A GIF holds at most 256 colours: a plain two-colour picture.
    IndexedImage gif;
    gif.width = 20;
    gif.height = 10;
    gif.pixels.assign(200, 1);
    gif.palette[1] = {10, 20, 30};
    WriteFile(dir / "d.gif", EncodeGif(gif));

    CountingDocument d;
    d.doc.LoadOverlayPicture(dir / "a.PNG");
    EXPECT_TRUE(d.doc.SourcePicture().HasAlpha());  // a PNG keeps its transparency
    EXPECT_EQ(d.doc.SourcePicture(), translucent);
    for (const char* name : {"b.Jpg", "c.BMP", "d.gif"}) {
        d.doc.LoadOverlayPicture(dir / name);
        EXPECT_FALSE(d.doc.SourcePicture().HasAlpha()) << name;  // drawn opaque
        EXPECT_EQ(d.doc.SourcePicture().Width(), 20) << name;
        // Opaque pictures get alpha 255 + 180 - 200 = 235 everywhere.
        for (std::uint8_t a : d.doc.PreparedPicture().alpha) ASSERT_EQ(a, 235) << name;
    }
    EXPECT_EQ(d.doc.SourcePicture().color.Pixel(3, 3), RGB(10, 20, 30));
    EXPECT_EQ(d.doc.SourcePicture().color, d.doc.WorkingPicture().color);
}

TEST(OverlayLoad, FailuresNameTheFileAndLeaveEverythingIntact) {
    ScratchDir dir;
    WriteFile(dir / "broken.png", {0x89, 'P', 'N', 'G', 1, 2, 3});
    WriteFile(dir / "notes.txt", {'B', 'u', 't', ' ', 'n', 'o', 't', ' ', 'a', ' ', 'B', 'M', 'P'});
    WriteFile(dir / "noext", {'h', 'e', 'l', 'l', 'o'});
    std::vector<std::uint8_t> truncatedBmp = EncodeBmp(MakePicture(30, 30, false).color);
    truncatedBmp.resize(100);
    WriteFile(dir / "cut.bmp", truncatedBmp);

    CountingDocument d;
    d.doc.LoadOverlayPictureFromBytes("first.png", EncodePng(MakePicture(50, 12, true)));
    d.doc.Set(Field("Overlay"), false);
    d.doc.MoveOverlayRight();
    d.changes = 0;
    const Snapshot before(d.doc);
    for (const char* name : {"broken.png", "notes.txt", "noext", "cut.bmp", "missing.png"}) {
        const std::string path = dir / name;
        try {
            d.doc.LoadOverlayPicture(path);
            ADD_FAILURE() << name << " loaded";
        } catch (const BannerError& e) {
            const std::string msg = e.what();
            EXPECT_NE(msg.find(path), std::string::npos) << msg;
            EXPECT_GT(msg.size(), path.size() + 30) << "no reason given: " << msg;
        }
        before.ExpectIn(d.doc, name);  // Overlay stays off, the old picture stays
    }
    EXPECT_EQ(d.changes, 0);
}

TEST(OverlayResize, AlphaIsResampledOnlyWhenTheSourceHasIt) {
    CountingDocument d;
    d.doc.AdoptProjectPicture(MakePicture(300, 40, true));
    const Picture withAlpha = d.doc.ResizeOverlay(150, 20);
    ASSERT_TRUE(withAlpha.HasAlpha());
    EXPECT_GT(withAlpha.AlphaRow(10)[0], 240);   // opaque on the left
    EXPECT_LT(withAlpha.AlphaRow(10)[149], 15);  // clear on the right
    // Area averaging: a 2:1 shrink of a left-to-right ramp keeps the ramp's mean.
    EXPECT_NEAR(withAlpha.AlphaRow(5)[75], 127, 3);

    d.doc.AdoptProjectPicture(MakePicture(300, 40, false));
    EXPECT_FALSE(d.doc.ResizeOverlay(150, 20).HasAlpha());
    for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {-1, 5}, {kMaxOverlaySide + 1, 1}, {10000, 10000}}) {
        EXPECT_THROW(d.doc.ResizeOverlay(w, h), BannerError) << w << "x" << h;
    }
}

// A source above kExactSourcePixels is resampled through a copy of itself reduced by a power of
// two that stays at least twice the target's size: still an average over the source area (close
// to the exact result on smooth content), and all copies together at most a third of the source.
TEST(OverlayResize, LargeSourcesAverageThroughAReducedCopy) {
    Picture big(Bitmap(1500, 1000));
    big.EnsureAlpha();
    big.hasTransparency = true;
    for (int y = 0; y < 1000; ++y)
        for (int x = 0; x < 1500; ++x) {
            const auto wave = std::uint8_t(128 + 100 * std::sin(x / 40.0) * std::cos(y / 60.0));
            big.color.SetPixel(x, y, RGB(std::uint8_t(x * 255 / 1499), std::uint8_t(y * 255 / 999), wave));
            big.AlphaRow(y)[x] = std::uint8_t(255 - y * 255 / 999);
        }
    PictureScaler scaler(std::make_shared<const Picture>(big));
    const std::tuple<int, int, int> cases[] = {{175, 117, 4}, {30, 20, 16}, {700, 400, 1}, {1, 1, 256}, {3000, 9, 1}};
    for (const auto& [w, h, factor] : cases) {
        EXPECT_EQ(PictureScaler::ReductionFor(1500, 1000, w, h), factor) << w << "x" << h;
        const Picture fast = scaler.Scale(w, h, {0, 0, w, h});
        const Bitmap exact = StretchHalftone(big.color, w, h);
        const std::vector<std::uint8_t> exactAlpha = StretchHalftoneGrey(big.alpha, 1500, 1000, w, h);
        ASSERT_EQ(fast.color.GetSize(), exact.GetSize());
        int worst = 0;
        for (std::size_t i = 0; i < exact.ByteSize(); ++i)
            worst = std::max(worst, std::abs(fast.color.Data()[i] - exact.Data()[i]));
        for (std::size_t i = 0; i < exactAlpha.size(); ++i)
            worst = std::max(worst, std::abs(fast.alpha[i] - exactAlpha[i]));
        EXPECT_LE(worst, factor == 1 ? 0 : 3) << w << "x" << h;
    }
    EXPECT_LE(scaler.ReducedBytes(), (big.color.ByteSize() + big.alpha.size()) / 3);
    // Small sources are always resampled exactly.
    EXPECT_EQ(PictureScaler::ReductionFor(1024, 1024, 1, 1), 1);
}

TEST(OverlayOpacity, OffsetsAlphaAndKeepsItAt200) {
    CountingDocument d;
    d.doc.LoadOverlayPictureFromBytes("t.png", EncodePng(MakePicture(40, 10, true)));
    const Picture& working = d.doc.WorkingPicture();
    ASSERT_TRUE(working.HasAlpha());
    const std::pair<int, int> cases[] = {{200, 0}, {180, -20}, {0, -200}, {150, -50}};
    for (const auto& [opacity, offset] : cases) {
        ASSERT_TRUE(d.doc.Set(Field("OverlayOpacity"), opacity));
        const Picture& p = d.doc.PreparedPicture();
        for (std::size_t i = 0; i < p.alpha.size(); ++i) {
            ASSERT_EQ(p.alpha[i], std::clamp(working.alpha[i] + offset, 0, 255)) << opacity;
        }
        EXPECT_EQ(p.color, working.color);
    }
    // An opaque picture at opacity 0 keeps alpha 55.
    d.doc.LoadOverlayPictureFromBytes("o.bmp", EncodeBmp(MakePicture(10, 10, false).color));
    ASSERT_TRUE(d.doc.Set(Field("OverlayOpacity"), 0));
    for (std::uint8_t a : d.doc.PreparedPicture().alpha) ASSERT_EQ(a, 55);
    // Hostile values from a damaged file clamp instead of wrapping.
    d.doc.Settings().SetOverlayOpacity(INT_MIN);
    d.doc.ApplyOverlayOpacity();
    for (std::uint8_t a : d.doc.PreparedPicture().alpha) ASSERT_EQ(a, 0);
    d.doc.Settings().SetOverlayOpacity(INT_MAX);
    d.doc.ApplyOverlayOpacity();
    for (std::uint8_t a : d.doc.PreparedPicture().alpha) ASSERT_EQ(a, 255);
}

TEST(OverlayControls, SizeStepsResampleFromTheSource) {
    CountingDocument d;
    d.doc.LoadOverlayPictureFromBytes("p.png", EncodePng(MakePicture(60, 20, true)));
    BannerSettings& s = d.doc.Settings();
    s.SetOverlayX(10);
    s.SetOverlayY(2);
    struct Step {
        bool (BannerDocument::*op)();
        int w, h, x, y;
    };
    const Step steps[] = {
        {&BannerDocument::WidenOverlay, 61, 20, 10, 2},           {&BannerDocument::NarrowOverlay, 60, 20, 10, 2},
        {&BannerDocument::ShortenOverlay, 60, 19, 10, 2},         {&BannerDocument::HeightenOverlay, 60, 20, 10, 2},
        {&BannerDocument::GrowOverlayBottomRight, 61, 21, 10, 2}, {&BannerDocument::GrowOverlayBottomLeft, 62, 22, 9, 2},
        {&BannerDocument::GrowOverlayTopRight, 63, 23, 9, 1},     {&BannerDocument::GrowOverlayTopLeft, 64, 24, 8, 0},
    };
    for (const Step& st : steps) {
        ASSERT_TRUE((d.doc.*st.op)());
        EXPECT_EQ(std::tuple(s.OverlayWidth(), s.OverlayHeight(), s.OverlayX(), s.OverlayY()),
                  std::tuple(st.w, st.h, st.x, st.y));
        EXPECT_EQ(d.doc.WorkingPicture().Width(), st.w);
        EXPECT_EQ(d.doc.PreparedPicture().Height(), st.h);
        EXPECT_TRUE(d.doc.WorkingPicture().HasAlpha());
    }
    // Back to the same size: the same pixels as a fresh resample, however many steps came before.
    for (int i = 0; i < 4; ++i) d.doc.NarrowOverlay();
    for (int i = 0; i < 4; ++i) d.doc.ShortenOverlay();
    EXPECT_EQ(d.doc.WorkingPicture(), d.doc.ResizeOverlay(60, 20));

    ASSERT_TRUE(d.doc.ResetOverlaySize());
    EXPECT_EQ(d.doc.WorkingPicture(), d.doc.SourcePicture());
    ASSERT_TRUE(d.doc.ResetOverlayPosition());
    EXPECT_EQ(std::pair(s.OverlayX(), s.OverlayY()), std::pair(1, 1));
}

TEST(OverlayControls, StepsBelowOneAreRefusedAndChangeNothing) {
    CountingDocument d;
    d.doc.LoadOverlayPictureFromBytes("p.png", EncodePng(MakePicture(2, 1, true)));
    ASSERT_TRUE(d.doc.NarrowOverlay());  // 1 x 1
    d.changes = 0;
    const Snapshot before(d.doc);
    EXPECT_FALSE(d.doc.NarrowOverlay());
    EXPECT_FALSE(d.doc.ShortenOverlay());
    before.ExpectIn(d.doc, "step below 1");
    EXPECT_EQ(d.changes, 0);
    EXPECT_EQ(d.doc.PreparedPicture().Width(), 1);
}

TEST(OverlayControls, OverlayOffBlocksAllButThePositionSteps) {
    CountingDocument d;
    d.doc.LoadOverlayPictureFromBytes("p.png", EncodePng(MakePicture(30, 10, false)));
    d.doc.Set(Field("Overlay"), false);
    d.changes = 0;
    const Snapshot before(d.doc);
    for (auto op : {&BannerDocument::ResetOverlayPosition, &BannerDocument::WidenOverlay,
                    &BannerDocument::NarrowOverlay, &BannerDocument::ShortenOverlay, &BannerDocument::HeightenOverlay,
                    &BannerDocument::GrowOverlayBottomRight, &BannerDocument::GrowOverlayBottomLeft,
                    &BannerDocument::GrowOverlayTopRight, &BannerDocument::GrowOverlayTopLeft,
                    &BannerDocument::ResetOverlaySize}) {
        EXPECT_FALSE((d.doc.*op)());
    }
    EXPECT_FALSE(d.doc.Set(Field("OverlayOpacity"), 10));
    before.ExpectIn(d.doc, "overlay off");
    EXPECT_EQ(d.changes, 0);

    // The picture can be moved while hidden, even far off the banner, and moved back.
    const std::int32_t x0 = d.doc.Settings().OverlayX();
    for (int i = 0; i < 400; ++i) d.doc.MoveOverlayRight();
    d.doc.MoveOverlayDown();
    d.doc.MoveOverlayUp();
    EXPECT_EQ(d.doc.Settings().OverlayX(), x0 + 400);
    d.doc.Set(Field("Overlay"), true);
    EXPECT_EQ(d.doc.BannerImage(), [&] {
        BannerDocument plain;
        plain.Settings() = d.doc.Settings();
        plain.Settings().SetOverlay(false);
        return plain.RenderBanner();
    }());
    for (int i = 0; i < 400; ++i) d.doc.MoveOverlayLeft();
    EXPECT_EQ(d.doc.Settings().OverlayX(), x0);
    d.doc.Settings().SetOverlayX(INT_MIN);
    d.doc.MoveOverlayLeft();  // wraps, no overflow
    EXPECT_EQ(d.doc.Settings().OverlayX(), INT_MAX);
}

TEST(OverlayControls, DamagedStoredSizeIsReportedOnReset) {
    CountingDocument d;
    d.doc.LoadOverlayPictureFromBytes("p.png", EncodePng(MakePicture(30, 10, false)));
    for (auto [w, h] : {std::pair{0, 10}, {-5, -5}, {INT_MAX, 3}, {20, kMaxOverlaySide + 1}}) {
        d.doc.Settings().SetOverlayWidth(w);
        d.doc.Settings().SetOverlayHeight(h);
        const Snapshot before(d.doc);
        EXPECT_THROW(d.doc.ResetOverlayPosition(), BannerError) << w << "x" << h;
        before.ExpectIn(d.doc, "reset with a damaged size");
    }
    // The fit repairs it.
    ASSERT_TRUE(d.doc.ResetOverlaySize());
    EXPECT_EQ(d.doc.Settings().OverlayWidth(), 30);
    EXPECT_TRUE(d.doc.ResetOverlayPosition());
}

// An overlay larger than kWholeOverlayPixels is held only as far as the banner shows it, and draws
// exactly what the whole resampled picture would, wherever it stands and however it moves; the
// largest stored size costs no more than the banner's pixels.
TEST(OverlayLarge, OnlyThePartOnTheBannerIsHeldAndDrawsAsTheWhole) {
    CountingDocument d;
    d.doc.LoadOverlayPictureFromBytes("p.png", EncodePng(MakePicture(60, 40, true)));
    BannerSettings& s = d.doc.Settings();
    s.SetOverlayX(-30);
    s.SetOverlayY(-100);
    s.SetOverlayWidth(400);
    s.SetOverlayHeight(300);
    ASSERT_TRUE(d.doc.PreparePictureFromRecord());
    auto expectWholeDrawn = [&](const char* step) {
        Picture whole = d.doc.ResizeOverlay(s.OverlayWidth(), s.OverlayHeight());
        for (std::uint8_t& a : whole.alpha) a = std::uint8_t(std::max(0, a + s.OverlayOpacity() - 200));
        Bitmap expected;
        ComposeBanner(expected, s, whole);
        EXPECT_EQ(d.doc.BannerImage(), expected) << step;
        EXPECT_LE(d.doc.WorkingPicture().Width(), kBannerWidth) << step;
        EXPECT_LE(d.doc.PreparedPicture().Height(), kBannerHeight) << step;
    };
    expectWholeDrawn("prepared");
    d.doc.MoveOverlayRight();
    d.doc.MoveOverlayUp();
    expectWholeDrawn("moved");
    ASSERT_TRUE(d.doc.GrowOverlayTopLeft());
    expectWholeDrawn("grown");
    ASSERT_TRUE(d.doc.Set(Field("OverlayOpacity"), 120));
    expectWholeDrawn("fainter");
    s.SetOverlayX(kBannerWidth);
    d.doc.RenderBanner();
    EXPECT_TRUE(d.doc.PreparedPicture().IsEmpty());
    d.doc.MoveOverlayLeft();
    expectWholeDrawn("back on the banner");

    s.SetOverlayWidth(kMaxOverlaySide);
    s.SetOverlayHeight(kMaxOverlaySide);
    ASSERT_TRUE(d.doc.PreparePictureFromRecord());
    EXPECT_EQ(d.doc.PreparedPicture().Width() * d.doc.PreparedPicture().Height(), 1 * kBannerHeight);
    ASSERT_TRUE(d.doc.ResetOverlayPosition());
    EXPECT_EQ(d.doc.OverlayPart(), (Rect{0, 0, kBannerWidth - 1, kBannerHeight - 1}));
}

TEST(OverlayControls, PositionResetWithoutAPictureOnlyMoves) {
    // The check box can be ticked before any picture was loaded; the size is then still 0 x 0
    // from process start. There is nothing to resample, so the reset just moves to (1, 1).
    CountingDocument d;
    BannerSettings& s = d.doc.Settings();
    ASSERT_EQ(std::pair(s.OverlayWidth(), s.OverlayHeight()), std::pair(0, 0));
    s.SetOverlayX(40);
    s.SetOverlayY(-6);
    d.doc.Set(Field("Overlay"), true);
    d.changes = 0;
    ASSERT_TRUE(d.doc.ResetOverlayPosition());
    EXPECT_EQ(std::pair(s.OverlayX(), s.OverlayY()), std::pair(1, 1));
    EXPECT_EQ(std::pair(s.OverlayWidth(), s.OverlayHeight()), std::pair(0, 0));
    EXPECT_TRUE(d.doc.WorkingPicture().IsEmpty());
    EXPECT_TRUE(d.doc.PreparedPicture().IsEmpty());
    EXPECT_EQ(d.changes, 1);
}

TEST(OverlayLifecycle, NewDocumentHidesThePictureAndTheCheckBoxBringsItBack) {
    CountingDocument d;
    const Bitmap plain = d.doc.BannerImage();
    d.doc.LoadOverlayPictureFromBytes("p.png", EncodePng(testing::SolidPicture(40, 10, RGB(0, 0, 255))));
    d.doc.MoveOverlayRight();
    const Bitmap shown = d.doc.BannerImage();
    EXPECT_NE(shown, plain);
    d.doc.NewDocument();
    EXPECT_EQ(d.doc.BannerImage(), plain);
    EXPECT_EQ(d.doc.Settings().OverlayX(), 1);
    d.doc.Set(Field("Overlay"), true);
    EXPECT_EQ(d.doc.BannerImage(), shown);
}

TEST(OverlayLifecycle, ProjectPictureIsTakenUnscaled) {
    CountingDocument d;
    BannerSettings& s = d.doc.Settings();
    s.SetOverlayWidth(20);
    s.SetOverlayHeight(5);
    s.SetOverlay(true);
    const Picture big = MakePicture(300, 30, true);
    d.doc.AdoptProjectPicture(big);
    EXPECT_EQ(d.doc.WorkingPicture(), big);  // the stored size waits for the next step
    EXPECT_EQ(d.doc.PreparedPicture().Width(), 300);
    ASSERT_TRUE(d.doc.WidenOverlay());
    EXPECT_EQ(d.doc.WorkingPicture().Width(), 21);
    EXPECT_EQ(d.doc.WorkingPicture().Height(), 5);
}

// A size written straight into the record shows once the picture is re-prepared from it; the
// position and the Overlay byte stay exactly as stored.
TEST(OverlayFromRecord, ResamplesToTheStoredSizeAndKeepsPositionAndOverlayByte) {
    CountingDocument d;
    d.doc.LoadOverlayPictureFromBytes("p.png", EncodePng(MakePicture(40, 20, true)));
    BannerSettings& s = d.doc.Settings();
    s.SetOverlayX(-3);
    s.SetOverlayY(9);
    s.SetOverlayWidth(13);
    s.SetOverlayHeight(7);
    s.MutableBytes()[BannerSettings::kOverlay] = 0x5A;
    const BannerSettings::Bytes before = s.GetBytes();
    d.changes = 0;
    EXPECT_TRUE(d.doc.PreparePictureFromRecord());
    EXPECT_EQ(s.GetBytes(), before);
    EXPECT_EQ(d.doc.WorkingPicture(), d.doc.ResizeOverlay(13, 7));
    EXPECT_EQ(d.doc.PreparedPicture().Width(), 13);
    EXPECT_EQ(d.changes, 1);

    // Off, the picture is still prepared (a script may switch it on later).
    s.SetOverlay(false);
    s.SetOverlayWidth(5);
    EXPECT_TRUE(d.doc.PreparePictureFromRecord());
    EXPECT_EQ(d.doc.WorkingPicture().Width(), 5);
    EXPECT_FALSE(s.Overlay());

    // A side out of range changes nothing; a side not set yet or no picture does nothing.
    s.SetOverlayWidth(kMaxOverlaySide + 1);
    const Snapshot kept(d.doc);
    EXPECT_THROW(d.doc.PreparePictureFromRecord(), BannerError);
    kept.ExpectIn(d.doc, "out of range");
    s.SetOverlayWidth(0);
    EXPECT_FALSE(d.doc.PreparePictureFromRecord());
    CountingDocument empty;
    EXPECT_FALSE(empty.doc.PreparePictureFromRecord());
    EXPECT_EQ(empty.changes, 0);
}

// Listeners hear of the outermost change once: nested scopes and a change that a listener makes
// itself add no nested round, and a scope left by an exception tells nobody.
TEST(DocumentListeners, TheOutermostChangeIsToldOnce) {
    BannerDocument doc;
    doc.NewDocument();
    int told = 0;
    doc.AddChangeListener([&] {
        ++told;
        doc.Set(Field("Glow"), false);  // a control event that sets the document again
    });
    {
        BannerDocument::ChangeScope outer(doc);
        doc.Set(Field("Pattern"), 1);
        BannerDocument::ChangeScope inner(doc);
        doc.NudgeText(1, 0);
        EXPECT_EQ(told, 0);
    }
    EXPECT_EQ(told, 2);  // the change, then the listener's own change once more
    EXPECT_THROW(([&] {
        BannerDocument::ChangeScope scope(doc);
        doc.Set(Field("Border"), false);
        throw std::runtime_error("half-way");
    }()), std::runtime_error);
    EXPECT_EQ(told, 2);
}

TEST(DocumentListeners, EveryListenerRunsInOrderUntilRemoved) {
    BannerDocument doc;
    std::vector<std::string> calls;
    doc.AddChangeListener([&] { calls.push_back("hook"); });
    const int preview = doc.AddChangeListener([&] { calls.push_back("preview"); });
    int undo = 0;
    undo = doc.AddChangeListener([&] {
        calls.push_back("undo");
        doc.RemoveChangeListener(undo);  // a listener may remove itself
    });
    doc.Set(Field("Glow"), true);
    EXPECT_EQ(calls, (std::vector<std::string>{"hook", "preview", "undo"}));
    calls.clear();
    doc.Set(Field("Glow"), false);
    EXPECT_EQ(calls, (std::vector<std::string>{"hook", "preview"}));
    doc.RemoveChangeListener(preview);
    doc.RemoveChangeListener(12345);
    calls.clear();
    doc.Set(Field("Glow"), true);
    EXPECT_EQ(calls, (std::vector<std::string>{"hook"}));
}

}  // namespace
}  // namespace veskel
