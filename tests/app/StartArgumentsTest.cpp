// The designer's command line: what it accepts, what it refuses and how, and that a start file
// opens exactly as the window's own operations would open it.
#include "app/StartArguments.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "platform/codecs/Codecs.h"
#include "project/ProjectFile.h"
#include "tests/project/TestFiles.h"

namespace veskel {
namespace {

using Kind = StartArguments::FileKind;
using testing::ScratchDir;
using testing::WriteAll;

Picture Stripes(int w, int h) {
    Picture p(Bitmap(w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.color.SetPixel(x, y, RGB(std::uint8_t(x * 5), std::uint8_t(y * 9), 40));
    return p;
}

struct Files {
    ScratchDir dir;
    std::string project, picture, upperProject, dashed;
    Files() {
        project = dir / "design.vzk";
        upperProject = dir / "DESIGN.VZK";
        picture = dir / "photo.png";
        dashed = dir / "-odd.png";
        for (const std::string& p : {project, upperProject}) WriteAll(p, std::vector<std::uint8_t>(BannerSettings::kSize, 0));
        for (const std::string& p : {picture, dashed}) WriteAll(p, EncodePng(Stripes(20, 10)));
    }
};

TEST(StartArguments, FilesAndHelpAreAccepted) {
    Files f;
    const StartArguments none = ParseStartArguments({});
    EXPECT_FALSE(none.exit);
    EXPECT_EQ(none.kind, Kind::None);

    struct Case {
        std::vector<std::string> args;
        Kind kind;
        std::string file;
        std::optional<Language> language = {};
    };
    for (const Case& c : {Case{{f.project}, Kind::Project, f.project},
                          Case{{f.upperProject}, Kind::Project, f.upperProject},
                          Case{{f.picture}, Kind::Picture, f.picture},
                          Case{{"--", f.dashed}, Kind::Picture, f.dashed},
                          Case{{"--lang", "en", f.project}, Kind::Project, f.project, Language::English},
                          Case{{f.picture, "--lang=ru"}, Kind::Picture, f.picture, Language::Russian},
                          // The window system's own options are left to it, with their values.
                          Case{{"-platform", "offscreen", "--style=fusion", "-reverse", f.picture, "--display", ":9"},
                               Kind::Picture, f.picture}}) {
        const StartArguments a = ParseStartArguments(c.args);
        EXPECT_FALSE(a.exit) << c.file << ": " << a.error;
        EXPECT_EQ(a.kind, c.kind) << c.file;
        EXPECT_EQ(a.file, c.file);
        EXPECT_EQ(a.language, c.language) << c.file;
    }

    const StartArguments version = ParseStartArguments({"--version", "--bogus"});
    EXPECT_TRUE(version.exit);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output.rfind("veskel ", 0), 0u);
    EXPECT_EQ(std::count(version.output.begin(), version.output.end(), '\n'), 1);

    for (const char* help : {"-h", "--help"}) {
        const StartArguments a = ParseStartArguments({help, "ignored-after-help"});
        EXPECT_TRUE(a.exit);
        EXPECT_EQ(a.exitCode, 0);
        EXPECT_NE(a.output.find("Usage: veskel [--lang ru|en] [FILE.vzk | PICTURE]"), std::string::npos);
        EXPECT_TRUE(a.error.empty());
    }
}

TEST(StartArguments, MistakesGetOneClearLineAndNoWindow) {
    Files f;
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string message;
    };
    for (const Case& c : {
             Case{{f.project, f.picture}, 2, "veskel: give one file to open, not 2 (the designer shows one design)\n"},
             Case{{"--geometry"}, 2, "veskel: option '--geometry' needs a value (see --help)\n"},
             Case{{"--bogus"}, 2, "veskel: unknown option '--bogus' (see --help)\n"},
             Case{{"--lang"}, 2, "veskel: option '--lang' needs a value (see --help)\n"},
             Case{{"--lang", "de", f.picture}, 2, "veskel: unknown language 'de' for --lang (ru or en)\n"},
             Case{{f.picture, "-x"}, 2, "veskel: unknown option '-x' (see --help)\n"},
             Case{{"-odd.png"}, 2, "veskel: unknown option '-odd.png' (see --help)\n"},
             Case{{"--", "-gone.png"}, 1, "veskel: cannot open \"-gone.png\": there is no such file\n"},
             Case{{f.dir / "missing.vzk"}, 1,
                  "veskel: cannot open \"" + (f.dir / "missing.vzk") + "\": there is no such file\n"},
             Case{{f.dir / ""}, 1, "veskel: cannot open \"" + (f.dir / "") + "\": it is a folder\n"},
         }) {
        const StartArguments a = ParseStartArguments(c.args);
        EXPECT_TRUE(a.exit) << c.message;
        EXPECT_EQ(a.exitCode, c.code) << c.message;
        EXPECT_EQ(a.error, c.message);
        EXPECT_EQ(a.kind, Kind::None);
    }
}

// The document state a start file may change.
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

struct NewDoc {
    BannerDocument doc;
    int changes = 0;
    NewDoc() {
        doc.AddChangeListener([this] { ++changes; });
        doc.NewDocument();
        changes = 0;
    }
};

TEST(StartArguments, AStartFileOpensAsTheWindowsOwnOperationsWould) {
    ScratchDir dir;
    WriteAll(dir / "wide.png", EncodePng(Stripes(400, 100)));
    BannerDocument saved;
    saved.NewDocument();
    saved.LoadOverlayPicture(dir / "wide.png");
    saved.Set(Field("Pattern"), 4);
    const std::string project = SaveProject(saved, dir / "design");

    // A project: as OpenProject on a new document, with its picture, and the window told once.
    NewDoc viaArgs, viaOpen;
    EXPECT_EQ(OpenStartFile(viaArgs.doc, ParseStartArguments({project})), "");
    OpenProject(viaOpen.doc, project);
    EXPECT_TRUE(State(viaArgs.doc) == State(viaOpen.doc));
    EXPECT_EQ(viaArgs.doc.SourcePicture().Width(), 400);
    EXPECT_EQ(viaArgs.changes, 1);

    // A picture: as LoadOverlayPicture on a new document (fitted to 175 wide).
    NewDoc viaArgsPic, viaLoad;
    EXPECT_EQ(OpenStartFile(viaArgsPic.doc, ParseStartArguments({dir / "wide.png"})), "");
    viaLoad.doc.LoadOverlayPicture(dir / "wide.png");
    EXPECT_TRUE(State(viaArgsPic.doc) == State(viaLoad.doc));
    EXPECT_EQ(viaArgsPic.doc.Settings().OverlayWidth(), 175);
    EXPECT_EQ(viaArgsPic.changes, 1);

    // No file: the new document stays.
    NewDoc plain;
    const State fresh(plain.doc);
    EXPECT_EQ(OpenStartFile(plain.doc, ParseStartArguments({})), "");
    EXPECT_TRUE(State(plain.doc) == fresh);
}

TEST(StartArguments, AFailingStartFileGivesTheOperationsMessage) {
    ScratchDir dir;
    // A damaged project (its picture breaks off), a file type the loader does not take, and a
    // picture that is no picture.
    BannerDocument saved;
    saved.NewDocument();
    WriteAll(dir / "p.png", EncodePng(Stripes(30, 30)));
    saved.LoadOverlayPicture(dir / "p.png");
    saved.Set(Field("Border"), false);
    std::vector<std::uint8_t> bytes = testing::ReadAll(SaveProject(saved, dir / "damaged"));
    bytes.resize(BannerSettings::kSize + 10);
    WriteAll(dir / "damaged.vzk", bytes);
    WriteAll(dir / "notes.txt", std::vector<std::uint8_t>(100, 'x'));
    WriteAll(dir / "fake.gif", std::vector<std::uint8_t>(100, 'x'));

    for (const std::string name : {"damaged.vzk", "notes.txt", "fake.gif"}) {
        SCOPED_TRACE(name);
        const std::string path = dir / name;
        NewDoc viaArgs, direct;
        const std::string message = OpenStartFile(viaArgs.doc, ParseStartArguments({path}));
        std::string expected;
        try {
            if (name == "damaged.vzk") {
                OpenProject(direct.doc, path);
            } else {
                direct.doc.LoadOverlayPicture(path);
            }
        } catch (const std::exception& e) {
            expected = e.what();
        }
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(message, expected);
        EXPECT_NE(message.find(path), std::string::npos) << "the message names the file: " << message;
        EXPECT_TRUE(State(viaArgs.doc) == State(direct.doc)) << "the document is as the operation leaves it";
        EXPECT_EQ(viaArgs.changes, direct.changes);
    }
}

}  // namespace
}  // namespace veskel
