// Project files: names, layout, round trips, damaged files and failed saves.
#include "project/ProjectFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <thread>

#include "platform/codecs/Codecs.h"
#include "platform/text/CodePage.h"
#include "tests/banner/BannerTestUtil.h"
#include "tests/project/TestFiles.h"

namespace veskel {
namespace {

using testing::ReadAll;
using testing::ScratchDir;
using testing::WriteAll;

// A document whose listener only counts (no font or rendering needed).
struct Doc {
    BannerDocument doc;
    int changes = 0;
    Doc() { doc.AddChangeListener([this] { ++changes; }); }
};

// A record with every byte random, except what must hold for the file to open: patterns in 0..5.
BannerSettings::Bytes RandomRecord(unsigned seed, std::uint8_t overlay) {
    std::mt19937 rng(seed);
    BannerSettings s;
    for (auto& b : s.MutableBytes()) b = std::uint8_t(rng());
    s.SetPattern(int(rng() % 6));
    s.SetMirrorPattern(int(rng() % 6));
    s.MutableBytes()[BannerSettings::kOverlay] = overlay;
    return s.GetBytes();
}

// A picture (40 x 30 unless told) whose alpha runs from 0 to 255 across.
Picture TransparentPicture(int w = 40, int h = 30) {
    Picture p(Bitmap(w, h));
    p.alpha.resize(std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            p.color.SetPixel(x, y, RGB(std::uint8_t(x * 6), std::uint8_t(y * 8), 200));
            p.alpha[std::size_t(y) * std::size_t(w) + std::size_t(x)] = std::uint8_t(x * 255 / (w - 1));
        }
    p.hasTransparency = true;
    return p;
}

std::string WritePng(const ScratchDir& dir, const std::string& name, const Picture& picture) {
    const std::string path = dir / name;
    WriteAll(path, EncodePng(picture));
    return path;
}

TEST(ProjectNames, VzkIsAppendedUnlessTheNameEndsInExactlyVzk) {
    EXPECT_EQ(ProjectFilePath("/x/design"), "/x/design.vzk");
    EXPECT_EQ(ProjectFilePath("/x/design.vzk"), "/x/design.vzk");
    EXPECT_EQ(ProjectFilePath("/x/DESIGN.VZK"), "/x/DESIGN.VZK");
    EXPECT_EQ(ProjectFilePath("/x.vzk/design"), "/x.vzk/design.vzk");
    EXPECT_EQ(ProjectFilePath("design.vzk.bak"), "design.vzk.bak.vzk");
    EXPECT_EQ(ProjectNameFor("/x/design"), "design");
    EXPECT_EQ(ProjectNameFor("/x/DESIGN.VZK"), "DESIGN.VZK");
    EXPECT_EQ(ProjectNameFor("/x/проект.vzk"), Utf8ToCp1251("проект.vzk"));
    EXPECT_EQ(ProjectNameFor("/x/日本.vzk"), "??.vzk");
    EXPECT_EQ(ProjectNameFor("/x/bad\xFF.vzk"), "bad?.vzk");
    EXPECT_EQ(ProjectNameFor("/x/" + std::string(300, 'n')), std::string(255, 'n'));
    EXPECT_STREQ(kProjectFilter, "Проект Veskel (*.vzk)|*.vzk");
}

TEST(ProjectSave, WithoutPictureTheFileIsTheRecordAlone) {
    ScratchDir dir;
    Doc d;
    d.doc.Settings().MutableBytes() = RandomRecord(1, 0);
    EXPECT_EQ(SaveProject(d.doc, dir / "design"), dir / "design.vzk");
    const std::vector<std::uint8_t> bytes = ReadAll(dir / "design.vzk");
    ASSERT_EQ(bytes.size(), 593u);
    EXPECT_EQ(d.doc.Settings().PictureSize(), 0);
    EXPECT_EQ(d.doc.Settings().ProjectName(), "design");
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), d.doc.Settings().GetBytes().begin()));

    // The Overlay flag on without any picture stores no picture either, so the file opens again.
    d.doc.Settings().SetOverlay(true);
    SaveProject(d.doc, dir / "design.vzk");
    EXPECT_EQ(ReadAll(dir / "design.vzk").size(), 593u);
    EXPECT_EQ(d.doc.Settings().ProjectName(), "design.vzk");
    EXPECT_EQ(d.changes, 0);  // saving changes nothing that needs a render
}

TEST(ProjectRoundTrip, EveryByteOfTheRecordSurvives) {
    ScratchDir dir;
    for (unsigned seed = 1; seed <= 20; ++seed) {
        Doc saved;
        saved.doc.Settings().MutableBytes() = RandomRecord(seed, 0);
        const BannerSettings::Bytes before = saved.doc.Settings().GetBytes();
        const std::string path = SaveProject(saved.doc, dir / "r.vzk");
        const BannerSettings::Bytes& after = saved.doc.Settings().GetBytes();
        // Only ProjectName's length and characters and PictureSize change; the bytes after the
        // name's characters are kept as they were.
        for (std::size_t i = 0; i < 593; ++i) {
            const bool name = i >= 256 && i < 256 + 1 + 5;
            const bool size = i >= 581 && i < 585;
            if (!name && !size) {
                ASSERT_EQ(after[i], before[i]) << "byte " << i;
            }
        }
        Doc opened;
        opened.doc.Settings().MutableBytes() = RandomRecord(seed + 1000, 0);
        OpenProject(opened.doc, path);
        EXPECT_EQ(opened.doc.Settings().GetBytes(), after);
        EXPECT_EQ(opened.changes, 1);
    }
}

TEST(ProjectRoundTrip, TransparentPictureKeepsItsAlphaThroughSaveAndOpen) {
    ScratchDir dir;
    const Picture original = TransparentPicture();
    Doc saved;
    saved.doc.Settings().MutableBytes() = RandomRecord(5, 0);
    saved.doc.Settings().SetOverlayOpacity(180);
    saved.doc.LoadOverlayPicture(WritePng(dir, "pic.png", original));
    saved.doc.Settings().MutableBytes()[BannerSettings::kOverlay] = 0x5A;  // any non-zero byte is on
    const std::string path = SaveProject(saved.doc, dir / "t");
    const std::vector<std::uint8_t> bytes = ReadAll(path);
    ASSERT_GT(bytes.size(), 593u);
    EXPECT_EQ(std::size_t(saved.doc.Settings().PictureSize()), bytes.size() - 593);

    Doc opened;
    OpenProject(opened.doc, path);
    EXPECT_EQ(opened.doc.Settings().GetBytes(), saved.doc.Settings().GetBytes());
    const Picture& source = opened.doc.SourcePicture();
    EXPECT_EQ(source.color, original.color);
    EXPECT_EQ(source.alpha, original.alpha);
    EXPECT_TRUE(source.hasTransparency);
    EXPECT_EQ(opened.doc.WorkingPicture().color, original.color);
    const Picture& prepared = opened.doc.PreparedPicture();
    ASSERT_EQ(prepared.alpha.size(), original.alpha.size());
    for (std::size_t i = 0; i < original.alpha.size(); ++i)
        ASSERT_EQ(prepared.alpha[i], std::max(0, original.alpha[i] - 20)) << i;
}

// A reopened design looks as it was saved: the picture at the stored size, in the window as on
// the command line.
TEST(ProjectRoundTrip, OpenedPictureIsShownAtItsStoredSize) {
    ScratchDir dir;
    const Picture wide = TransparentPicture(400, 100);
    Doc saved;
    saved.doc.Settings().MutableBytes() = RandomRecord(6, 0);
    saved.doc.LoadOverlayPicture(WritePng(dir, "wide.png", wide));
    ASSERT_TRUE(saved.doc.HeightenOverlay());
    const std::string path = SaveProject(saved.doc, dir / "wide");

    Doc opened;
    OpenProject(opened.doc, path);
    EXPECT_EQ(opened.doc.SourcePicture(), wide);
    EXPECT_EQ(opened.doc.WorkingPicture(), saved.doc.WorkingPicture());
    EXPECT_EQ(opened.doc.PreparedPicture(), saved.doc.PreparedPicture());
}

TEST(ProjectOpen, EveryTruncationAndRandomBytesGiveAnErrorOrALoad) {
    ScratchDir dir;
    Doc saved;
    saved.doc.Settings().MutableBytes() = RandomRecord(9, 0);
    saved.doc.LoadOverlayPicture(WritePng(dir, "pic.png", TransparentPicture()));
    const std::vector<std::uint8_t> full = ReadAll(SaveProject(saved.doc, dir / "full"));
    ASSERT_LT(full.size(), 1400u);

    auto tryOpen = [&](const std::vector<std::uint8_t>& bytes) {
        const std::string path = dir / "damaged.vzk";
        WriteAll(path, bytes);
        Doc d;
        try {
            OpenProject(d.doc, path);
            EXPECT_EQ(d.changes, 1);
        } catch (const ProjectError& e) {
            const std::string prefix = "Не удается открыть файл \"" + path + "\". ";
            EXPECT_EQ(std::string(e.what()).rfind(prefix, 0), 0u) << e.what();
            EXPECT_EQ(d.changes, 0);
        }
    };
    for (std::size_t n = 0; n <= std::max<std::size_t>(700, full.size()); ++n)
        tryOpen(std::vector<std::uint8_t>(full.begin(), full.begin() + std::ptrdiff_t(std::min(n, full.size()))));

    std::mt19937 rng(10);
    for (int i = 0; i < 300; ++i) {
        std::vector<std::uint8_t> bytes(rng() % 1500);
        for (auto& b : bytes) b = std::uint8_t(rng());
        if (i % 2) std::copy(full.begin(), full.begin() + std::ptrdiff_t(std::min(bytes.size(), std::size_t(600))),
                             bytes.begin());  // a good record with a damaged tail
        tryOpen(bytes);
    }
}

// Opening is all or nothing: a file too short for the record, or whose picture cannot be decoded
// (missing, damaged, not a PNG), leaves the design as it was, so the next save cannot write the
// damaged file's settings over it.
TEST(ProjectOpen, AFailedOpenChangesNothing) {
    ScratchDir dir;
    BannerSettings file;
    file.MutableBytes() = RandomRecord(11, 1);
    file.SetPictureSize(12345);
    const std::vector<std::uint8_t> record(file.GetBytes().begin(), file.GetBytes().end());
    std::vector<std::vector<std::uint8_t>> damaged = {
        record, {0x89, 'P', 'N', 'G', 1}, std::vector<std::uint8_t>(record.begin(), record.begin() + 592)};
    for (const std::vector<std::uint8_t>& tail :
         {std::vector<std::uint8_t>{0x89, 'P', 'N', 'G', 1, 2, 3}, std::vector<std::uint8_t>(200, 0x42)}) {
        damaged.push_back(record);
        damaged.back().insert(damaged.back().end(), tail.begin(), tail.end());
    }
    const std::string path = dir / "damaged.vzk";
    for (const std::vector<std::uint8_t>& bytes : damaged) {
        WriteAll(path, bytes);
        Doc d;
        d.doc.Settings().MutableBytes() = RandomRecord(8, 0);
        d.doc.LoadOverlayPicture(WritePng(dir, "old.png", TransparentPicture()));
        d.changes = 0;
        const testing::Snapshot before(d.doc);
        try {
            OpenProject(d.doc, path);
            ADD_FAILURE() << bytes.size() << " bytes opened";
        } catch (const ProjectError& e) {
            // Settings that promise a picture with nothing after them are told as such.
            if (bytes == record) {
                EXPECT_NE(std::string(e.what()).find("the file ends there"), std::string::npos) << e.what();
            }
        }
        before.ExpectIn(d.doc, std::to_string(bytes.size()) + " bytes");
        EXPECT_EQ(d.changes, 0);
    }
}

TEST(ProjectOpen, HostilePictureSizeIsOnlyZeroOrNotZero) {
    ScratchDir dir;
    const std::vector<std::uint8_t> png = EncodePng(TransparentPicture());
    for (std::int32_t size : {0x7FFFFFFF, -1, std::int32_t(0x80000000), 1}) {
        BannerSettings file;
        file.MutableBytes() = RandomRecord(12, 1);
        file.SetPictureSize(size);
        std::vector<std::uint8_t> bytes(file.GetBytes().begin(), file.GetBytes().end());
        bytes.insert(bytes.end(), png.begin(), png.end());
        bytes.insert(bytes.end(), 50, 0xEE);  // ignored after IEND
        WriteAll(dir / "size.vzk", bytes);
        Doc d;
        OpenProject(d.doc, dir / "size.vzk");
        EXPECT_EQ(d.doc.SourcePicture().Width(), 40) << size;
    }
}

TEST(ProjectOpen, OutOfRangePatternsAreRefusedAndChangeNothing) {
    ScratchDir dir;
    struct Case {
        std::size_t offset;
        std::int32_t value;
        const char* words;
    };
    for (Case c : {Case{BannerSettings::kPattern, 6, "pattern number 6"},
                   Case{BannerSettings::kPattern, -1, "pattern number -1"},
                   Case{BannerSettings::kMirrorPattern, 100, "highlight layer number 100"}}) {
        BannerSettings file;
        file.MutableBytes() = RandomRecord(13, 0);
        file.SetInt(c.offset, c.value);
        WriteAll(dir / "p.vzk", std::vector<std::uint8_t>(file.GetBytes().begin(), file.GetBytes().end()));
        Doc d;
        d.doc.Settings().MutableBytes() = RandomRecord(14, 0);
        const BannerSettings before = d.doc.Settings();
        try {
            OpenProject(d.doc, dir / "p.vzk");
            FAIL() << "opened";
        } catch (const ProjectError& e) {
            EXPECT_NE(std::string(e.what()).find(c.words), std::string::npos) << e.what();
        }
        EXPECT_EQ(d.doc.Settings(), before);
        EXPECT_EQ(d.changes, 0);
    }
}

// A stream without end (here a device) is read only as far as its record says the project goes.
TEST(ProjectOpen, AnEndlessStreamIsReadAsFarAsItsRecordGoes) {
    Doc d;
    d.doc.Settings().MutableBytes() = RandomRecord(16, 0);
    OpenProject(d.doc, "/dev/zero");
    EXPECT_EQ(d.doc.Settings(), BannerSettings());
}

// A pipe whose writer sends `head` and then `filler` again and again, until its reader goes away
// (or 1 GB, so that a reader that never stops fails the test instead of hanging it).
class EndlessPipe {
public:
    EndlessPipe(std::vector<std::uint8_t> head, std::vector<std::uint8_t> filler) {
        std::signal(SIGPIPE, SIG_IGN);  // the writer learns from EPIPE that the reader has gone
        if (::pipe2(fds_, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
        writer_ = std::thread([this, head = std::move(head), filler = std::move(filler)] {
            std::vector<std::uint8_t> block;
            while (block.size() < (std::size_t(64) << 10)) block.insert(block.end(), filler.begin(), filler.end());
            bool open = Send(head);
            while (open && written_ < (std::size_t(1) << 30)) open = Send(block);
            ::close(fds_[1]);
        });
    }
    ~EndlessPipe() { Written(); }
    bool Send(const std::vector<std::uint8_t>& bytes) {
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(fds_[1], bytes.data() + done, bytes.size() - done);
            if (n <= 0) return false;
            done += std::size_t(n);
            written_ += std::size_t(n);
        }
        return true;
    }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fds_[0]); }
    // What the writer got rid of before the reader went away.
    std::size_t Written() {
        if (fds_[0] >= 0) ::close(fds_[0]);
        fds_[0] = -1;
        if (writer_.joinable()) writer_.join();
        return written_;
    }

private:
    int fds_[2] = {-1, -1};
    std::thread writer_;
    std::size_t written_ = 0;
};

// Streams that start like a picture or a project and never end are read only while their data
// advances a picture: fill bytes, zero-length records and empty chunks stop the read after a few
// MB with a message, not at the read's cap. A real picture followed by endless junk loads.
TEST(EndlessStreams, AreReadOnlyWhileTheyAdvanceAPicture) {
    const std::vector<std::uint8_t> zeros(4096, 0), pngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const std::vector<std::uint8_t> emptyChunk = {0, 0, 0, 0, 't', 'E', 'X', 't', 0x96, 0x42, 0xC5, 0x85};
    BannerSettings record;
    record.SetPictureSize(1);
    std::vector<std::uint8_t> project(record.GetBytes().begin(), record.GetBytes().end());
    project.insert(project.end(), pngSignature.begin(), pngSignature.end());
    const Picture small = testing::MakePicture(24, 16, false);
    IndexedImage indexed{24, 16, std::vector<std::uint8_t>(24 * 16, 7), {}};
    struct Case {
        const char* name;
        std::vector<std::uint8_t> head, filler;
        bool asProject, loads;
    };
    const std::vector<Case> cases = {
        {"JPEG start, zeros", {0xFF, 0xD8, 0xFF}, zeros, false, false},
        {"GIF start, zeros", {'G', 'I', 'F'}, zeros, false, false},
        {"BMP start, zeros", {'B', 'M'}, zeros, false, false},
        {"PNG signature, empty chunks", pngSignature, emptyChunk, false, false},
        {"project, PNG signature, empty chunks", project, emptyChunk, true, false},
        {"PNG, zeros", EncodePng(small), zeros, false, true},
        {"JPEG, zeros", EncodeJpeg(small.color), zeros, false, true},
        {"GIF, zeros", EncodeGif(indexed), zeros, false, true},
        {"BMP, zeros", EncodeBmp(small.color), zeros, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EndlessPipe pipe(c.head, c.filler);
        Doc d;
        bool loaded = true;
        try {
            if (c.asProject)
                OpenProject(d.doc, pipe.Path());
            else
                d.doc.LoadOverlayPicture(pipe.Path());
        } catch (const ProjectError& e) {
            loaded = false;
            EXPECT_EQ(std::string(e.what()).find("too large"), std::string::npos) << e.what();
        } catch (const BannerError& e) {
            loaded = false;
            EXPECT_EQ(std::string(e.what()).find("too large"), std::string::npos) << e.what();
        }
        EXPECT_EQ(loaded, c.loads);
        EXPECT_LT(pipe.Written(), std::size_t(64) << 20);
    }
}

TEST(ProjectOpen, UnreadableFileGivesTheOpenMessage) {
    ScratchDir dir;
    Doc d;
    d.doc.Settings().MutableBytes() = RandomRecord(15, 0);
    const BannerSettings before = d.doc.Settings();
    try {
        OpenProject(d.doc, dir / "missing.vzk");
        FAIL() << "opened";
    } catch (const ProjectError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Не удается открыть файл \"" + (dir / "missing.vzk") + "\". No such file or directory");
    }
    EXPECT_THROW(OpenProject(d.doc, dir.Path().string()), ProjectError);  // a folder
    EXPECT_EQ(d.doc.Settings(), before);
}

TEST(ProjectSaveFailures, ThePreviousFileIsKeptByteForByte) {
    ScratchDir dir;
    Doc d;
    d.doc.Settings().MutableBytes() = RandomRecord(16, 0);
    d.doc.LoadOverlayPicture(WritePng(dir, "pic.png", TransparentPicture()));

    // A folder that does not exist.
    const std::string missing = dir / "nowhere/design";
    try {
        SaveProject(d.doc, missing);
        FAIL() << "saved";
    } catch (const ProjectError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Не удается создать файл \"" + missing + ".vzk\". No such file or directory");
    }
    // ProjectName and PictureSize already hold their new values after a failed save.
    EXPECT_EQ(d.doc.Settings().ProjectName(), "design");
    EXPECT_GT(d.doc.Settings().PictureSize(), 0);

    // A target that is a folder.
    std::filesystem::create_directory(dir / "folder.vzk");
    EXPECT_THROW(SaveProject(d.doc, dir / "folder.vzk"), ProjectError);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.vzk"));

    // A write that fails midway, over an existing project.
    const std::vector<std::uint8_t> old(700, 0x3C);
    WriteAll(dir / "keep.vzk", old);
    EXPECT_EQ(testing::RunWithFileSizeLimit(600, [&] { SaveProject(d.doc, dir / "keep.vzk"); }), 3);
    EXPECT_EQ(ReadAll(dir / "keep.vzk"), old);
    // ... and one that fits writes the whole file.
    const int fits = testing::RunWithFileSizeLimit(1 << 20, [&] { SaveProject(d.doc, dir / "keep.vzk"); });
    EXPECT_EQ(fits, 0);
    EXPECT_GT(ReadAll(dir / "keep.vzk").size(), 593u);

    std::vector<std::string> names = dir.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"folder.vzk", "keep.vzk", "pic.png"}));
}

}  // namespace
}  // namespace veskel
