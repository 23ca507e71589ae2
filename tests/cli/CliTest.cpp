// veskel-render end to end: every option, exit statuses, messages and the files written.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "banner/BannerDocument.h"
#include "banner/BannerSettings.h"
#include "cli/RenderCommand.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Rounding.h"
#include "tests/project/TestFiles.h"

namespace veskel {
namespace {

using testing::ReadAll;
using testing::ScratchDir;
using testing::WriteAll;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Drain(int fd) {
    std::string text;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) text.append(buf, std::size_t(n));
    return text;
}

// Runs veskel-render with `args` and `input` on its standard input; stdout and stderr go to
// files so neither pipe can fill up, or stdout to `outTo` where given.
Result RunCli(const std::vector<std::string>& args, const std::string& input = "", int outTo = -1) {
    char outName[] = "/tmp/veskel-cli-out-XXXXXX";
    char errName[] = "/tmp/veskel-cli-err-XXXXXX";
    char inName[] = "/tmp/veskel-cli-in-XXXXXX";
    const int outFd = ::mkstemp(outName);
    const int errFd = ::mkstemp(errName);
    const int inFd = ::mkstemp(inName);
    ::unlink(inName);
    if (::write(inFd, input.data(), input.size()) != ssize_t(input.size())) return {};
    ::lseek(inFd, 0, SEEK_SET);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(inFd, 0);
        ::dup2(outTo >= 0 ? outTo : outFd, 1);
        ::dup2(errFd, 2);
        std::vector<char*> argv;
        std::string program = VESKEL_RENDER_PATH;
        argv.push_back(program.data());
        std::vector<std::string> copy = args;
        for (std::string& a : copy) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    Result r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 200;
    ::lseek(outFd, 0, SEEK_SET);
    ::lseek(errFd, 0, SEEK_SET);
    r.out = Drain(outFd);
    r.err = Drain(errFd);
    ::close(inFd);
    ::close(outFd);
    ::close(errFd);
    ::unlink(outName);
    ::unlink(errName);
    return r;
}

Bitmap DecodePngFile(const std::string& path) { return DecodePng(ReadAll(path)).color; }

// The blue test picture under the highlight layer.
bool IsBlue(Color c) { return GetB(c) >= 200 && GetR(c) <= 60 && GetG(c) <= 60; }

// Errors are one line on stderr, naming the program.
void ExpectOneLineError(const Result& r, int status, const std::string& words) {
    EXPECT_EQ(r.status, status) << r.err;
    EXPECT_EQ(r.err.rfind("veskel-render: ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(words), std::string::npos) << r.err;
}

TEST(CliHelp, ListsEveryOptionAndField) {
    Result r = RunCli({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.empty());
    for (const char* option : {"-o", "--format", "--project", "--set", "--text", "--reset-position", "--overlay",
                               "--save-project", "--batch", "{n}", "{text}", "--jobs", "--quiet", "--rounding", "--help"})
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
    for (const FieldInfo& f : BannerSettings::Fields())
        EXPECT_NE(r.out.find("  " + std::string(f.name) + " "), std::string::npos) << f.name;
}

TEST(CliUsage, MistakesInTheCommandLineExitWith2) {
    ScratchDir dir;
    ExpectOneLineError(RunCli({}), 2, "no output");
    ExpectOneLineError(RunCli({"--bogus", "-o", dir / "a.png"}), 2, "unknown option '--bogus'");
    ExpectOneLineError(RunCli({"-o"}), 2, "-o needs a value");
    ExpectOneLineError(RunCli({"-o", dir / "a.tiff"}), 2, "cannot tell the image format");
    ExpectOneLineError(RunCli({"-o", dir / "a.png", "--format", "tiff"}), 2, "unknown format 'tiff'");
    ExpectOneLineError(RunCli({"-o", dir / "a.png", "--set", "TextX"}), 2, "FIELD=VALUE");
    ExpectOneLineError(RunCli({"-o", dir / "a.png", "-o", dir / "b.png"}), 2, "more than once");
    ExpectOneLineError(RunCli({"-o", dir / "a.png", "stray"}), 2, "unexpected argument 'stray'");
    ExpectOneLineError(RunCli({"--batch", dir / "lines.txt", "-o", dir / "same.png"}), 2, "{n} or {text}");
    EXPECT_TRUE(dir.Names().empty());
}

// Options are read as GNU programs read theirs; every form writes the file it names or refuses
// the command line with status 2 and nothing written.
TEST(CliUsage, ArgumentFormsAsGnuProgramsReadThem) {
    ScratchDir dir;
    const std::string png = dir / "a.png";
    ASSERT_EQ(RunCli({"-o", png}).status, 0);
    const std::vector<std::uint8_t> reference = ReadAll(png);
    std::filesystem::remove(png);
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string error;  // for status 2; else the file is the reference PNG
    };
    const std::vector<Case> cases = {
        {{"-qo", png}, 0, ""},
        {{"-o" + png}, 0, ""},
        {{"--output=" + png}, 0, ""},
        {{"--out", png}, 0, ""},  // an unambiguous abbreviation
        {{"--format=PNG", "-o", png}, 0, ""},
        {{"-o", png, "--", "--text"}, 2, "unexpected argument '--text'"},
        {{"-qx", "-o", png}, 2, "unknown option '-x'"},
        {{"--bogus=1", "-o", png}, 2, "unknown option '--bogus'"},
        {{"--quiet=1", "-o", png}, 2, "--quiet takes no value"},
        {{"-o", png, "--text"}, 2, "--text needs a value"},
        {{"-o", "-"}, 2, "needs --format"},
        {{"-o", png, "--quality", "90"}, 2, "--quality is for JPEG output only"},
        {{"-o", dir / "a.jpg", "--quality", "0"}, 2, "--quality needs a whole number from 1 to 100"},
        {{"--batch", "-", "-o", "-", "--format", "png"}, 2, "not -"},
        {{"--batch-format", "csv", "-o", png}, 2, "--batch-format needs --batch"},
        {{"--batch", dir / "b.txt", "--batch-format", "xml", "-o", dir / "{n}.png"}, 2, "unknown batch format 'xml'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const Result r = RunCli(c.args);
        if (c.status == 0) {
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(ReadAll(png), reference);
            std::filesystem::remove(png);
        } else {
            ExpectOneLineError(r, c.status, c.error);
        }
        EXPECT_TRUE(dir.Names().empty());
    }
    const Result version = RunCli({"--version", "-o"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("veskel-render ", 0), 0u);
    EXPECT_EQ(std::count(version.out.begin(), version.out.end(), '\n'), 1);
}

// "-o -" writes the picture to standard output, never to a terminal; "--batch -" reads the lines
// from standard input. Both give the bytes that files would hold.
TEST(CliOutput, StandardInputAndOutputCarryWhatFilesWould) {
    ScratchDir dir;
    ASSERT_EQ(RunCli({"--text", "hi", "-o", dir / "hi.jpg", "--quality", "95"}).status, 0);
    Result r = RunCli({"--text", "hi", "--format", "JPG", "--quality", "95", "-o", "-"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::vector<std::uint8_t>(r.out.begin(), r.out.end()), ReadAll(dir / "hi.jpg"));
    ASSERT_EQ(RunCli({"--text", "hi", "-o", dir / "hi70.jpg"}).status, 0);
    EXPECT_LT(ReadAll(dir / "hi70.jpg").size(), r.out.size());  // 70 unless told otherwise

    std::ostringstream out, err;
    EXPECT_EQ(RunRenderCommand({"--format", "png", "-o", "-"}, out, err, RenderEnvironment{.outIsTerminal = true}), 2);
    EXPECT_NE(err.str().find("terminal"), std::string::npos) << err.str();
    EXPECT_TRUE(out.str().empty());

    WriteAll(dir / "lines.txt", std::vector<std::uint8_t>{'a', '\n', 'b', '\n'});
    ASSERT_EQ(RunCli({"--batch", dir / "lines.txt", "-o", dir / "file-{n}.png"}).status, 0);
    r = RunCli({"--batch", "-", "-o", dir / "stdin-{n}.png"}, "a\nb\n");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* n : {"1", "2"})
        EXPECT_EQ(ReadAll(dir / (std::string("stdin-") + n + ".png")), ReadAll(dir / (std::string("file-") + n + ".png")));
}

// Standard output, by either name, is written where the shell left it: an appended file grows,
// a file opened for reading and writing is written over from its start and not cut, and a reader
// that has gone makes a failed write with a message.
TEST(CliOutput, StandardOutputIsWrittenWhereTheShellLeftIt) {
    ScratchDir dir;
    ASSERT_EQ(RunCli({"-o", dir / "b.png"}).status, 0);
    const std::vector<std::uint8_t> png = ReadAll(dir / "b.png");
    const std::vector<std::uint8_t> old(png.size() * 2, 'o');
    for (const char* output : {"-", "/dev/stdout"}) {
        for (const bool append : {true, false}) {
            SCOPED_TRACE(std::string(output) + (append ? " >>" : " 1<>"));
            WriteAll(dir / "f", old);
            const int fd = ::open((dir / "f").c_str(), append ? O_WRONLY | O_APPEND : O_RDWR);
            const Result r = RunCli({"--format", "png", "-o", output}, "", fd);
            ::close(fd);
            EXPECT_EQ(r.status, 0) << r.err;
            std::vector<std::uint8_t> expected = old;
            if (append) expected.insert(expected.end(), png.begin(), png.end());
            else std::copy(png.begin(), png.end(), expected.begin());
            EXPECT_EQ(ReadAll(dir / "f"), expected);
        }
        int closed[2];
        ASSERT_EQ(::pipe(closed), 0);
        ::close(closed[0]);
        ExpectOneLineError(RunCli({"--format", "png", "-o", output}, "", closed[1]), 1, "Broken pipe");
        ::close(closed[1]);
    }
}

TEST(CliOutput, FormatComesFromTheExtensionOrTheOption) {
    ScratchDir dir;
    struct Case {
        std::vector<std::string> args;
        std::string file;
        std::vector<std::uint8_t> magic;
    };
    const std::vector<Case> cases = {
        {{"-o", dir / "a.png"}, "a.png", {0x89, 'P', 'N', 'G'}},
        {{"-o", dir / "a.JPG"}, "a.JPG", {0xFF, 0xD8, 0xFF}},
        {{"-o", dir / "a.jpeg"}, "a.jpeg", {0xFF, 0xD8, 0xFF}},
        {{"-o", dir / "a.gif"}, "a.gif", {'G', 'I', 'F'}},
        {{"-o", dir / "a.bmp"}, "a.bmp", {'B', 'M'}},
        {{"-o", dir / "noext", "--format", "bmp"}, "noext", {'B', 'M'}},
        {{"-o", dir / "b.png", "--format=gif"}, "b.png", {'G', 'I', 'F'}},
    };
    for (const Case& c : cases) {
        Result r = RunCli(c.args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(r.err.empty()) << r.err;
        const std::vector<std::uint8_t> bytes = ReadAll(dir / c.file);  // exactly that path, nothing appended
        ASSERT_GE(bytes.size(), c.magic.size()) << c.file;
        EXPECT_TRUE(std::equal(c.magic.begin(), c.magic.end(), bytes.begin())) << c.file;
    }
    EXPECT_EQ(ReadAll(dir / "a.bmp").size(), 21094u);
    EXPECT_EQ(DecodeBmp(ReadAll(dir / "a.bmp")).color, DecodePngFile(dir / "a.png"));
    EXPECT_EQ(dir.Names().size(), cases.size());
}

TEST(CliOutput, FailedWriteExitsWith1AndKeepsTheOldFile) {
    ScratchDir dir;
    // The command line speaks English: the reason is in the sentence's language.
    ExpectOneLineError(RunCli({"-o", dir / "nowhere/a.png"}), 1,
                       "cannot create \"" + (dir / "nowhere/a.png") + "\": No such file or directory");
    std::filesystem::create_directory(dir / "folder.png");
    ExpectOneLineError(RunCli({"-o", dir / "folder.png"}), 1, "cannot create");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.png"));
}

TEST(CliDesign, SetAppliesFieldsInOrder) {
    ScratchDir dir;
    ASSERT_EQ(RunCli({"-o", dir / "default.png"}).status, 0);
    ASSERT_EQ(RunCli({"-o", dir / "red.png", "--set", "Color1=#FF0000"}).status, 0);
    ASSERT_EQ(RunCli({"-o", dir / "red2.png", "--set", "Color1=#000000", "--set", "Color1=#FF0000"}).status, 0);
    ASSERT_EQ(RunCli({"-o", dir / "black.png", "--set", "Color1=#FF0000", "--set", "Color1=#000000"}).status, 0);
    const Bitmap red = DecodePngFile(dir / "red.png");
    EXPECT_NE(red, DecodePngFile(dir / "default.png"));
    EXPECT_EQ(DecodePngFile(dir / "red2.png"), red);  // the later --set wins
    EXPECT_NE(DecodePngFile(dir / "black.png"), red);

    // Every kind of field: integers, colours, flags, text.
    Result r = RunCli({"-o", dir / "plain.png", "--set", "Color1=#204060", "--set", "Color2=#204060", "--set",
                       "PatternStrength=0", "--set", "Glow=0", "--set", "Border=1", "--set", "BorderColor=#00FF00",
                       "--set", "MirrorPattern=0", "--set", "Text=", "--set", "Horizontal=0"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Bitmap plain = DecodePngFile(dir / "plain.png");
    EXPECT_EQ(plain.Pixel(0, 0), RGB(0, 255, 0));  // the border
    EXPECT_EQ(plain.Pixel(349, 19), RGB(0, 255, 0));
    EXPECT_EQ(plain.Pixel(1, 1), plain.Pixel(348, 1));  // one colour from end to end, no pattern
    EXPECT_TRUE(plain.Pixel(200, 5) != plain.Pixel(200, 15));  // the waves of highlight layer 0

}

// The window rounds downward once its effect lists have been shown, which moves some colours of
// the gradient and the pattern by one step; --rounding downward renders what it shows then.
TEST(CliDesign, RoundingModeRendersAsTheWindowBeforeAndAfterTheSwitch) {
    ScratchDir dir;
    ASSERT_EQ(RunCli({"-o", dir / "default.png", "--set", "Pattern=3"}).status, 0);
    ASSERT_EQ(RunCli({"-o", dir / "nearest.png", "--rounding", "nearest", "--set", "Pattern=3"}).status, 0);
    Result r = RunCli({"-o", dir / "downward.png", "--rounding=downward", "--set", "Pattern=3"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto renderIn = [](RoundingMode mode) {
        BannerDocument doc;
        doc.SetRounding(mode);
        doc.NewDocument();
        doc.Set(Field("Pattern"), 3);
        return doc.RenderBanner();
    };
    const Bitmap nearest = renderIn(RoundingMode::NearestEven), downward = renderIn(RoundingMode::Downward);
    ASSERT_NE(nearest, downward);
    EXPECT_EQ(DecodePngFile(dir / "default.png"), nearest);
    EXPECT_EQ(DecodePngFile(dir / "nearest.png"), nearest);
    EXPECT_EQ(DecodePngFile(dir / "downward.png"), downward);
    ExpectOneLineError(RunCli({"-o", dir / "up.png", "--rounding", "up"}), 2, "--rounding must be nearest or downward");
    EXPECT_FALSE(std::filesystem::exists(dir / "up.png"));
}

// A value the design cannot take is a usage error found when the command line is read: exit 2,
// naming the field and its range, and no file written, the project included.
TEST(CliDesign, ValuesAreCheckedAgainstTheirFieldsRangeBeforeAnythingIsWritten) {
    ScratchDir dir;
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"Nope=1", "unknown field 'Nope'"},
        {"TextX=12a", "TextX"},
        {"Color1=red", "Color1"},
        {"Pattern=6", "Pattern must be 0..5"},
        {"Pattern=7", "Pattern must be 0..5"},
        {"MirrorPattern=-1", "MirrorPattern must be 0..5"},
        {"PatternStrength=1000", "PatternStrength must be 0..99"},
        {"MirrorStrength=100", "MirrorStrength must be 0..99"},
        {"OverlayOpacity=201", "OverlayOpacity must be 0..200"},
        {"OverlayWidth=0", "OverlayWidth must be 1..16384"},
        {"OverlayHeight=16385", "OverlayHeight must be 1..16384"},
        {"Text=" + std::string(256, 'i'), "Text: 256 characters, at most 255"},
        {"ProjectName=" + std::string(300, 'p'), "ProjectName: 300 characters"},
    };
    for (const auto& [assignment, words] : refused) {
        SCOPED_TRACE(assignment);
        ExpectOneLineError(RunCli({"--set", assignment, "--save-project", dir / "p.vzk", "-o", dir / "x.png"}), 2,
                           words);
    }
    EXPECT_TRUE(dir.Names().empty());
    // The ends of each range are taken.
    Result r = RunCli({"--set", "Pattern=5", "--set", "PatternStrength=99", "--set", "OverlayOpacity=200", "--set",
                       "MirrorStrength=0", "--set", "Text=" + std::string(255, 'i'), "-o", dir / "ends.png"});
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST(CliUsage, OutputsMustNameFiles) {
    ScratchDir dir;
    std::filesystem::create_directory(dir / "sub");
    ExpectOneLineError(RunCli({"--save-project", dir / "sub/"}), 2, "--save-project needs a file name");
    ExpectOneLineError(RunCli({"--save-project", dir / "sub/.."}), 2, "names a folder");
    ExpectOneLineError(RunCli({"-o", dir / "sub/", "--format", "png"}), 2, "-o needs a file name");
    ExpectOneLineError(RunCli({"-o", "", "--format", "png"}), 2, "-o needs a file name, got an empty one");
    EXPECT_TRUE(std::filesystem::is_empty(dir / "sub"));
}

TEST(CliDesign, TextIsRefusedLikeTheWindowRefusesIt) {
    ScratchDir dir;
    Result ok = RunCli({"-o", dir / "t.png", "--text", "Привет, мир"});
    EXPECT_EQ(ok.status, 0) << ok.err;
    ExpectOneLineError(RunCli({"-o", dir / "wide.png", "--text", std::string(120, 'W')}), 1, "refused");
    ExpectOneLineError(RunCli({"-o", dir / "cjk.png", "--text", "漢字"}), 1, "refused");
    EXPECT_FALSE(std::filesystem::exists(dir / "wide.png"));
    EXPECT_FALSE(std::filesystem::exists(dir / "cjk.png"));
}

TEST(CliDesign, ResetPositionAndSaveProjectStoreWhatWasAsked) {
    ScratchDir dir;
    Result r = RunCli({"--set", "TextX=-40", "--set", "TextY=9", "--text", "abc", "--save-project", dir / "moved"});
    ASSERT_EQ(r.status, 0) << r.err;  // -o may be left out when a project is saved
    std::vector<std::uint8_t> moved = ReadAll(dir / "moved.vzk");
    ASSERT_EQ(moved.size(), 593u);
    BannerSettings s;
    s.OverwriteLeading(moved);
    EXPECT_EQ(s.TextX(), -40);
    EXPECT_EQ(s.TextY(), 9);
    EXPECT_EQ(s.Text(), "abc");
    EXPECT_EQ(s.ProjectName(), "moved");

    r = RunCli({"--set", "TextX=-40", "--set", "TextY=9", "--text", "abc", "--reset-position", "--save-project",
             dir / "RESET.VZK", "-o", dir / "reset.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    s.OverwriteLeading(ReadAll(dir / "RESET.VZK"));
    EXPECT_EQ(s.TextY(), 5);
    EXPECT_GT(s.TextX(), 300);  // 346 minus the width of "abc"
    EXPECT_EQ(s.ProjectName(), "RESET.VZK");
    EXPECT_TRUE(std::filesystem::exists(dir / "reset.png"));
}

TEST(CliDesign, ProjectAndOverlayRoundTrip) {
    ScratchDir dir;
    Picture pic(Bitmap(30, 10));
    pic.color.Fill(RGB(0, 0, 255));
    WriteAll(dir / "pic.png", EncodePng(pic));
    Result r = RunCli({"--overlay", dir / "pic.png", "--set", "OverlayOpacity=200", "--set", "OverlayX=5", "--set",
                    "OverlayY=3", "--set", "PatternStrength=0", "--set", "Glow=0", "--set", "MirrorStrength=0",
                    "--save-project", dir / "p.vzk", "-o", dir / "with.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Bitmap with = DecodePngFile(dir / "with.png");
    const Color blue = with.Pixel(10, 6);  // the opaque blue picture at 5,3 .. 35,13
    EXPECT_TRUE(IsBlue(blue)) << std::hex << blue;
    EXPECT_FALSE(IsBlue(with.Pixel(40, 6)));
    EXPECT_GT(ReadAll(dir / "p.vzk").size(), 593u);

    // The project reopens with its picture and renders the same banner.
    r = RunCli({"--project", dir / "p.vzk", "-o", dir / "reopened.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(DecodePngFile(dir / "reopened.png"), with);

    // --set of the overlay's opacity and size shows at once, as the window's controls do.
    r = RunCli({"--overlay", dir / "pic.png", "--set", "OverlayOpacity=0", "-o", dir / "faint.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_LT(GetB(DecodePngFile(dir / "faint.png").Pixel(10, 6)), GetB(blue));
    r = RunCli({"--overlay", dir / "pic.png", "--set", "OverlayOpacity=200", "--set", "OverlayWidth=300", "--set",
                "OverlayX=0", "--set", "PatternStrength=0", "--set", "Glow=0", "--set", "MirrorStrength=0", "-o",
                dir / "wide.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(IsBlue(DecodePngFile(dir / "wide.png").Pixel(280, 6)));
    ExpectOneLineError(RunCli({"--project", dir / "missing.vzk", "-o", dir / "m.png"}), 1,
                       "cannot open \"" + (dir / "missing.vzk") + "\": No such file or directory");
    WriteAll(dir / "broken.png", {0x89, 'P', 'N', 'G', 0, 0});
    ExpectOneLineError(RunCli({"--overlay", dir / "broken.png", "-o", dir / "b.png"}), 1, "broken.png");
    ExpectOneLineError(RunCli({"--overlay", dir / "pic.tiff", "-o", dir / "b.png"}), 1, "pic.tiff");
    EXPECT_FALSE(std::filesystem::exists(dir / "m.png"));
    EXPECT_FALSE(std::filesystem::exists(dir / "b.png"));
}

TEST(CliBatch, OneBannerPerLineWithNumberAndFileSafeText) {
    ScratchDir dir;
    const std::string lines = "first line\r\nа/б: ?\n\n" + std::string(120, 'W') + "\nlast";
    WriteAll(dir / "lines.txt", std::vector<std::uint8_t>(lines.begin(), lines.end()));
    std::filesystem::create_directory(dir / "out");
    Result r = RunCli({"--batch", dir / "lines.txt", "-o", dir / "out/{n}-{text}.gif", "--set", "Border=0"});
    // Line 4 is too wide: reported with its number, the others are still written.
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("line 4"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir / "out")) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"1-first_line.gif", "2-а_б___.gif", "3-_.gif", "5-last.gif"}));

    // Every banner has its text at the reset position.
    WriteAll(dir / "twice.txt", std::vector<std::uint8_t>{'h', 'i', '\n', 'h', 'i', '\n'});
    r = RunCli({"--batch", dir / "twice.txt", "-o", dir / "{n}.png", "--set", "TextX=0"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(RunCli({"--set", "TextX=0", "--text", "hi", "--reset-position", "-o", dir / "reset.png"}).status, 0);
    ASSERT_EQ(RunCli({"--set", "TextX=0", "--text", "hi", "-o", dir / "left.png"}).status, 0);
    EXPECT_EQ(DecodePngFile(dir / "1.png"), DecodePngFile(dir / "reset.png"));
    EXPECT_EQ(DecodePngFile(dir / "2.png"), DecodePngFile(dir / "reset.png"));
    EXPECT_NE(DecodePngFile(dir / "1.png"), DecodePngFile(dir / "left.png"));
    ExpectOneLineError(RunCli({"--batch", dir / "none.txt", "-o", dir / "{n}.png"}), 1, "none.txt");
}

// Lines whose file names come out the same refuse the whole batch before any file is written.
TEST(CliBatch, LinesThatWouldShareAFileRefuseTheBatch) {
    ScratchDir dir;
    std::filesystem::create_directory(dir / "out");
    const std::string sameSafeName = "keep\na/b\na b\na_b\n";
    WriteAll(dir / "same.txt", std::vector<std::uint8_t>(sameSafeName.begin(), sameSafeName.end()));
    ExpectOneLineError(RunCli({"--batch", dir / "same.txt", "-o", dir / "out/{text}.png"}), 1,
                       "lines 2 and 3 would both write \"" + (dir / "out/a_b.png") + "\"");
    // Names are cut at 100 bytes: lines that differ only after that share a file.
    const std::string longLines = std::string(100, 'i') + "1\n" + std::string(100, 'i') + "2\n";
    WriteAll(dir / "long.txt", std::vector<std::uint8_t>(longLines.begin(), longLines.end()));
    ExpectOneLineError(RunCli({"--batch", dir / "long.txt", "-o", dir / "out/{text}.gif"}), 1, "lines 1 and 2");
    EXPECT_TRUE(std::filesystem::is_empty(dir / "out"));
    // With the line number in the pattern every name is different.
    Result r = RunCli({"--batch", dir / "same.txt", "-o", dir / "out/{n}-{text}.png"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.Names().size(), 3u);  // same.txt, long.txt, out
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "out"), {}), 4);

    // Files without lines are empty batches; a pattern that names the batch file is refused.
    for (const std::string& empty : {std::string(), std::string("\n"), std::string("\xEF\xBB\xBF"), std::string("\r\n\n")}) {
        WriteAll(dir / "empty.txt", std::vector<std::uint8_t>(empty.begin(), empty.end()));
        ExpectOneLineError(RunCli({"--batch", dir / "empty.txt", "-o", dir / "out/{n}.png"}), 1, "has no lines");
    }
    const std::string self = "x\nempty.txt\n";
    WriteAll(dir / "empty.txt", std::vector<std::uint8_t>(self.begin(), self.end()));
    ExpectOneLineError(RunCli({"--batch", dir / "empty.txt", "-o", dir / "{text}", "--format", "png"}), 1,
                       "line 2 would write over the batch file itself");
    EXPECT_EQ(ReadAll(dir / "empty.txt"), std::vector<std::uint8_t>(self.begin(), self.end()));
    EXPECT_FALSE(std::filesystem::exists(dir / "x"));
    // A line that cannot be written is told in English.
    r = RunCli({"--batch", dir / "same.txt", "-o", dir / "missing/{n}.png"});
    EXPECT_NE(r.err.find("line 1: cannot create \"" + (dir / "missing/1.png") + "\": No such file"), std::string::npos)
        << r.err;
}

// A CSV or JSON Lines row is a whole design over the base: each banner is the one that the same
// fields given on the command line render. Values are checked before anything is written.
TEST(CliBatch, DesignRowsRenderAsSingleCommandsWould) {
    ScratchDir dir;
    const std::string csv =
        "\xEF\xBB\xBFOutput,Text,Color1,Pattern,TextX\r\n"
        "alice,Alice,#FF0000,3,\r\n"
        "\"b,ob\",\"Bob \"\"B\"\"\",,,-4\r\n"
        "carol,,#00FF00,,\r\n";
    const std::string jsonl =
        "{\"Output\": \"alice\", \"Text\": \"Alice\", \"Color1\": \"#FF0000\", \"Pattern\": 3}\n"
        "\n"
        "{\"Output\": \"b,ob\", \"Text\": \"Bob \\\"B\\\"\", \"Color1\": null, \"TextX\": -4}\n"
        "{\"Output\": \"carol\", \"Color1\": \"#00FF00\"}\n";
    // Spreadsheets of other locales separate with semicolons; names come in any letter case.
    const std::string semicolons =
        "output;TEXT;color1;Pattern;textx\n"
        "alice;Alice;#FF0000;3;\n"
        "\"b,ob\";\"Bob \"\"B\"\"\";;;-4\n"
        "carol;;#00FF00;;\n";
    std::string tabs = semicolons;
    std::replace(tabs.begin(), tabs.end(), ';', '\t');
    WriteAll(dir / "rows.csv", std::vector<std::uint8_t>(csv.begin(), csv.end()));
    WriteAll(dir / "rows.jsonl", std::vector<std::uint8_t>(jsonl.begin(), jsonl.end()));
    WriteAll(dir / "semicolons.csv", std::vector<std::uint8_t>(semicolons.begin(), semicolons.end()));
    WriteAll(dir / "tabs.csv", std::vector<std::uint8_t>(tabs.begin(), tabs.end()));
    const std::vector<std::string> base = {"--set", "Border=0", "--text", "base"};
    const std::vector<std::pair<std::string, std::vector<std::string>>> singles = {
        {"alice", {"--text", "Alice", "--reset-position", "--set", "Color1=#FF0000", "--set", "Pattern=3"}},
        {"b_ob", {"--text", "Bob \"B\"", "--reset-position", "--set", "TextX=-4"}},
        {"carol", {"--set", "Color1=#00FF00"}},
    };
    for (const char* file : {"rows.csv", "rows.jsonl", "semicolons.csv", "tabs.csv"}) {
        SCOPED_TRACE(file);
        const std::filesystem::path out = dir / (std::string(file) + ".out");
        std::filesystem::create_directory(out);
        std::vector<std::string> args = base;
        args.insert(args.end(), {"--jobs", "2", "--batch", dir / file, "-o", out / "{n}-{output}.png"});
        const Result r = RunCli(args);
        ASSERT_EQ(r.status, 0) << r.err;
        for (std::size_t i = 0; i < singles.size(); ++i) {
            std::vector<std::string> single = base;
            single.insert(single.end(), singles[i].second.begin(), singles[i].second.end());
            single.insert(single.end(), {"-o", dir / "single.png"});
            ASSERT_EQ(RunCli(single).status, 0);
            EXPECT_EQ(DecodePngFile(out / (std::to_string(i + 1) + "-" + singles[i].first + ".png")),
                      DecodePngFile(dir / "single.png"))
                << singles[i].first;
        }
    }
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"Text,Pattern\nok,1\nbad,7\n", "rows.csv row 2 (line 3): Pattern=7: Pattern must be 0..5"},
        {"Text,Colour1\n", "unknown field 'Colour1'"},
        {"Text,Pattern\nok\n", "row 1 (line 2): 1 cells, the header names 2"},
        {"Text\n\"open\n", "line 2: a quoted cell is not closed"},
        {std::string("Te\0xt\n", 6), "unknown field 'Te\\x00xt'"},
        // Every row's text is measured before the first file is written.
        {"Text\na\nb\n" + std::string(120, 'W') + "\n", "row 3 (line 4): the text is refused"},
    };
    for (const auto& [content, words] : refused) {
        WriteAll(dir / "rows.csv", std::vector<std::uint8_t>(content.begin(), content.end()));
        ExpectOneLineError(RunCli({"--batch", dir / "rows.csv", "-o", dir / "bad-{n}.png"}), 1, words);
    }
    for (const auto& [content, words] : std::vector<std::pair<std::string, std::string>>{
             {"{\"Text\": \"a\"}\n{\"MirrorStrength\": 100}\n", "rows.jsonl row 2 (line 2): MirrorStrength=100"},
             {"{\"Text\": [1]}\n", "row 1 (line 1): a value must be"},
             {"{\"Text\": \"a\", \"Text\": \"b\"}\n", "'Text' appears twice"}}) {
        WriteAll(dir / "rows.jsonl", std::vector<std::uint8_t>(content.begin(), content.end()));
        ExpectOneLineError(RunCli({"--batch", dir / "rows.jsonl", "-o", dir / "bad-{n}.png"}), 1, words);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "bad-1.png"));
}

TEST(CliBatch, AnyNumberOfThreadsWritesTheSameFilesAndMessagesInLineOrder) {
    ScratchDir dir;
    // Lines 2 and 5 are too wide (and, refused, write nothing, so they share no name).
    const std::string wide(120, 'W');
    const std::string lines = "one\n" + wide + "\na/b\nfour\nX" + wide + "\nsix\n";
    WriteAll(dir / "lines.txt", std::vector<std::uint8_t>(lines.begin(), lines.end()));
    ASSERT_EQ(RunCli({"--text", "a/b", "--reset-position", "-o", dir / "alone.png"}).status, 0);
    std::vector<Bitmap> firstRun;
    std::string firstErr;
    for (const char* jobs : {"1", "2", "7"}) {
        const std::filesystem::path out = dir / (std::string("out") + jobs);
        std::filesystem::create_directory(out);
        const Result r = RunCli({"--jobs", jobs, "--batch", dir / "lines.txt", "-o", out / "{text}.png"});
        EXPECT_EQ(r.status, 1) << jobs;
        EXPECT_LT(r.err.find("line 2:"), r.err.find("line 5:")) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(out)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        ASSERT_EQ(names, (std::vector<std::string>{"a_b.png", "four.png", "one.png", "six.png"})) << jobs;
        EXPECT_EQ(DecodePngFile(out / "a_b.png"), DecodePngFile(dir / "alone.png")) << jobs;
        std::vector<Bitmap> images;
        for (const std::string& n : names) images.push_back(DecodePngFile(out / n));
        if (firstRun.empty()) {
            firstRun = images;
            firstErr = r.err;
        }
        EXPECT_EQ(images, firstRun) << jobs;
        EXPECT_EQ(r.err, firstErr) << jobs;
    }
}

TEST(CliBatch, JobsMustBeAWholeNumberOfThreads) {
    ScratchDir dir;
    for (const char* bad : {"0", "-1", "two", "3x", "", "100000"})
        ExpectOneLineError(RunCli({"--jobs", bad, "-o", dir / "a.png"}), 2, "--jobs");
    EXPECT_TRUE(dir.Names().empty());
}

// The shards of a batch together write exactly the files of the whole batch, each row once, and a
// refused row is reported by its own shard under the whole batch's row number.
TEST(CliBatch, ShardsTogetherWriteTheWholeBatch) {
    ScratchDir dir;
    const std::string lines = "a\nb\n" + std::string(120, 'W') + "\nd\ne\nf\ng\n";
    WriteAll(dir / "lines.txt", std::vector<std::uint8_t>(lines.begin(), lines.end()));
    std::filesystem::create_directory(dir / "whole");
    std::filesystem::create_directory(dir / "shards");
    EXPECT_EQ(RunCli({"--batch", dir / "lines.txt", "-o", dir / "whole/{n}.png"}).status, 1);
    std::string errors;
    for (const char* shard : {"1/3", "2/3", "3/3"}) {
        const Result r = RunCli({"--shard", shard, "--batch", dir / "lines.txt", "-o", dir / "shards/{n}.png"});
        EXPECT_EQ(r.status, std::string(shard) == "3/3" ? 1 : 0) << shard << r.err;
        errors += r.err;
    }
    EXPECT_NE(errors.find("line 3:"), std::string::npos) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir / "whole")) names.push_back(e.path().filename());
    EXPECT_EQ(names.size(), 6u);
    for (const std::string& n : names) EXPECT_EQ(ReadAll(dir / ("shards/" + n)), ReadAll(dir / ("whole/" + n))) << n;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "shards"), {}), 6);
    for (const char* bad : {"0/3", "4/3", "1/0", "1", "a/b"})
        ExpectOneLineError(RunCli({"--shard", bad, "--batch", dir / "lines.txt", "-o", dir / "{n}.png"}), 2, "--shard");
    ExpectOneLineError(RunCli({"--shard", "1/2", "-o", dir / "x.png"}), 2, "--shard needs --batch");
}

// Progress goes to a terminal only, once the batch has run a while, and ends its line; --quiet
// and other streams see none. Run in this process to stand in for the terminal.
TEST(CliBatch, ProgressOnATerminalUnlessQuiet) {
    ScratchDir dir;
    WriteAll(dir / "lines.txt", std::vector<std::uint8_t>{'a', '\n', 'b', '\n', 'c', '\n'});
    const std::vector<std::string> args = {"--batch", dir / "lines.txt", "-o", dir / "{n}.png"};
    auto run = [&](std::vector<std::string> a, RenderEnvironment env) {
        std::ostringstream out, err;
        EXPECT_EQ(RunRenderCommand(a, out, err, env), 0) << err.str();
        return err.str();
    };
    const RenderEnvironment terminal{true, std::chrono::milliseconds(0)};
    const std::string shown = run(args, terminal);
    EXPECT_NE(shown.find("\rveskel-render: 3 of 3 banners\n"), std::string::npos) << shown;
    std::vector<std::string> quiet = args;
    quiet.push_back("--quiet");
    EXPECT_EQ(run(quiet, terminal), "");
    EXPECT_EQ(run(args, RenderEnvironment{false, std::chrono::milliseconds(0)}), "");
    EXPECT_EQ(run(args, RenderEnvironment{true, std::chrono::hours(1)}), "");
}

// The desktop's language and locale change no byte: not the files, not the messages (English,
// the system's reason included), not the numbers.
TEST(CliOutput, TheDesktopsLanguageChangesNothing) {
    ScratchDir dir;
    WriteAll(dir / "in.jpg", std::vector<std::uint8_t>(40, 'x'));
    std::vector<std::string> reference;
    for (const char* language : {"", "ru", "ru:en"}) {
        setenv("LANGUAGE", language, 1);
        setenv("LC_ALL", *language ? "C.UTF-8" : "C", 1);  // under plain C the C library ignores LANGUAGE
        std::vector<std::string> seen;
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"--text", "Привет 1.5", "--save-project", dir / "p.vzk", "-o", dir / "b.gif"},
              {"--project", dir / "missing.vzk", "-o", dir / "x.png"},
              {"--overlay", dir / "in.jpg", "-o", dir / "y.png"}}) {
            const Result r = RunCli(args);
            seen.push_back(std::to_string(r.status) + r.out + r.err);
        }
        for (const char* file : {"p.vzk", "b.gif"}) {
            const std::vector<std::uint8_t> bytes = ReadAll(dir / file);
            seen.emplace_back(bytes.begin(), bytes.end());
        }
        if (reference.empty()) reference = seen;
        EXPECT_EQ(seen, reference) << language;
    }
    unsetenv("LANGUAGE");
    unsetenv("LC_ALL");
}

}  // namespace
}  // namespace veskel
