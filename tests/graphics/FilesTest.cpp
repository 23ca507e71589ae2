#include "platform/io/Files.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

namespace veskel {
namespace {

namespace fs = std::filesystem;

// A fresh folder for one test, removed afterwards.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "veskel-files-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    // Names in the folder, so a test can see that no temporary file was left behind.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

    fs::path dir_;
};

TEST_F(FilesTest, WriteThenReadRoundTripsAndReplacesTheOldContent) {
    const std::string path = Path("banner.vzk");
    WriteFileAtomic(path, Bytes("first version, longer than the second"));
    WriteFileAtomic(path, Bytes("second"));
    EXPECT_EQ(ReadFileBytes(path), Bytes("second"));
    EXPECT_EQ(Entries(), std::vector<std::string>{"banner.vzk"});
    WriteFileAtomic(path, {});
    EXPECT_TRUE(ReadFileBytes(path).empty());
}

TEST_F(FilesTest, ReplacingKeepsTheFilePermissions) {
    const std::string path = Path("keep.png");
    WriteFileAtomic(path, Bytes("a"));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    WriteFileAtomic(path, Bytes("b"));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(FilesTest, FailedWritesThrowAndLeaveNothingBehind) {
    // The folder does not exist.
    try {
        WriteFileAtomic(Path("missing/out.png"), Bytes("x"));
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_STREQ(e.what(), "No such file or directory");
    }
    // The target is a folder: it survives, and the temporary file is removed.
    fs::create_directory(Path("taken"));
    std::ofstream(Path("taken/inside.txt")) << "kept";
    EXPECT_THROW(WriteFileAtomic(Path("taken"), Bytes("x")), FileError);
    EXPECT_TRUE(fs::is_directory(Path("taken")));
    EXPECT_EQ(ReadFileBytes(Path("taken/inside.txt")), Bytes("kept"));
    EXPECT_EQ(Entries(), std::vector<std::string>{"taken"});
}

constexpr TempFileKind kBothKinds[] = {TempFileKind::Anonymous, TempFileKind::Named};

TEST_F(FilesTest, EveryNameTheFileSystemTakesCanBeSavedAndReplaced) {
    for (TempFileKind kind : kBothKinds) {
        SCOPED_TRACE(kind == TempFileKind::Anonymous ? "anonymous" : "named");
        const std::string name = std::string(251, kind == TempFileKind::Anonymous ? 'a' : 'n') + ".vzk";  // 255 bytes
        WriteFileAtomic(Path(name), Bytes("first"), kind);
        WriteFileAtomic(Path(name), Bytes("second"), kind);
        EXPECT_EQ(ReadFileBytes(Path(name)), Bytes("second"));
    }
    EXPECT_EQ(Entries().size(), 2u);
}

// What dead saves leave is cleared without reading the whole folder at every save: a save removes
// what dead saves of the same file left; the first batch of a process into a folder removes all.
TEST_F(FilesTest, DeadSavesLeftoversAreRemovedByTheNextSaveOfTheFileOrABatch) {
    // Left by a killed save of banner.png under its first name: found by trying to save it.
    WriteFileAtomic(Path("banner.png"), Bytes("old"));
    // (A staged file is unlocked once written, as a dead save's is; staged by another process, so
    // that this one's first batch into the folder is still to come.)
    const pid_t pid = ::fork();
    if (pid == 0) {
        WriteTemporaryBeside(Path("banner.png"), Bytes("dead"));
        ::_exit(0);
    }
    int status = -1;
    ::waitpid(pid, &status, 0);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(Entries().size(), 2u);
    // Left by a killed save of another file: a save of banner.png leaves it alone.
    std::ofstream(Path(".veskel-ab12CD.tmp")) << "dead";
    // A living save's temporary: its lock is held (here by this test).
    std::ofstream(Path(".veskel-LIVE00.tmp")) << "alive";
    const int live = ::open(Path(".veskel-LIVE00.tmp").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);
    // Names of other forms are never touched.
    for (const char* other : {".veskel-abc.tmp", "banner.png.Ab12Cd", ".veskel-ab12CD.tmpx"})
        std::ofstream(Path(other)) << "other";

    WriteFileAtomic(Path("banner.png"), Bytes("x"));
    EXPECT_EQ(ReadFileBytes(Path("banner.png")), Bytes("x"));
    EXPECT_EQ(Entries(), (std::vector<std::string>{".veskel-LIVE00.tmp", ".veskel-ab12CD.tmp", ".veskel-ab12CD.tmpx",
                                                   ".veskel-abc.tmp", "banner.png", "banner.png.Ab12Cd"}));
    // A batch's first file into the folder clears every dead save's file, never a living one.
    const std::string staged = WriteTemporaryBeside(Path("next.png"), Bytes("y"));
    EXPECT_EQ(FlushAndRename({{staged, Path("next.png")}}), std::vector<std::string>{""});
    ::close(live);
    EXPECT_EQ(Entries(), (std::vector<std::string>{".veskel-LIVE00.tmp", ".veskel-ab12CD.tmpx", ".veskel-abc.tmp",
                                                   "banner.png", "banner.png.Ab12Cd", "next.png"}));
}

// Saves killed at random moments leave the old file or the new one, whole, and once a later
// process has saved into the folder, no other file.
TEST_F(FilesTest, KilledSavesLeaveNothingBehind) {
    const std::size_t size = std::size_t(8) << 20;
    std::mt19937 rng(7);
    for (TempFileKind kind : kBothKinds) {
        SCOPED_TRACE(kind == TempFileKind::Anonymous ? "anonymous" : "named");
        const std::string path = Path(kind == TempFileKind::Anonymous ? "anon.bin" : "named.bin");
        for (int round = 0; round < 25; ++round) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                std::vector<std::uint8_t> data(size);
                for (std::uint8_t value = 1;; ++value) {
                    std::fill(data.begin(), data.end(), value);
                    WriteFileAtomic(path, data, kind);
                }
            }
            std::this_thread::sleep_for(std::chrono::microseconds(rng() % 30000));
            ::kill(pid, SIGKILL);
            int status = 0;
            ::waitpid(pid, &status, 0);
        }
        if (fs::exists(path)) {
            const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
            ASSERT_EQ(bytes.size(), size);
            EXPECT_EQ(std::count(bytes.begin(), bytes.end(), bytes[0]), std::ptrdiff_t(size));
        }
    }
    // The next save of each file clears what the killed saves of it left.
    WriteFileAtomic(Path("anon.bin"), Bytes("x"));
    WriteFileAtomic(Path("named.bin"), Bytes("x"), TempFileKind::Named);
    for (const std::string& name : Entries()) EXPECT_TRUE(name == "anon.bin" || name == "named.bin") << name;
}

TEST_F(FilesTest, ReadErrorsSayWhatIsWrong) {
    auto reason = [](const std::string& path, std::size_t max = std::size_t(512) << 20) {
        try {
            ReadFileBytes(path, max);
        } catch (const FileError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(reason(Path("nothing.bmp")), "No such file or directory");
    EXPECT_EQ(reason(dir_.string()), "Is a directory");
    WriteFileAtomic(Path("ten.bin"), Bytes("0123456789"));
    EXPECT_EQ(reason(Path("ten.bin"), 9), "file too large");
    EXPECT_EQ(ReadFileBytes(Path("ten.bin"), 10).size(), 10u);
}

TEST_F(FilesTest, StagedFilesAppearOnlyWhenRenamedAndInTheOrderGiven) {
    std::ofstream(Path("old.png")) << "old";
    ::chmod(Path("old.png").c_str(), 0640);
    const std::string a = WriteTemporaryBeside(Path("old.png"), Bytes("first"));
    const std::string b = WriteTemporaryBeside(Path("old.png"), Bytes("second"));
    const std::string c = WriteTemporaryBeside(Path("new.png"), Bytes("third"));
    // Until the rename, the final names hold what they held.
    EXPECT_EQ(ReadFileBytes(Path("old.png")), Bytes("old"));
    EXPECT_FALSE(fs::exists(Path("new.png")));
    EXPECT_EQ(fs::path(a).parent_path(), dir_);

    const std::vector<std::string> reasons =
        FlushAndRename({{a, Path("old.png")}, {b, Path("old.png")}, {c, Path("new.png")}});
    EXPECT_EQ(reasons, (std::vector<std::string>{"", "", ""}));
    // Of two files for one name the later stays; a replaced file keeps its permissions.
    EXPECT_EQ(ReadFileBytes(Path("old.png")), Bytes("second"));
    EXPECT_EQ(ReadFileBytes(Path("new.png")), Bytes("third"));
    struct stat st {};
    ASSERT_EQ(::stat(Path("old.png").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    SyncFolders({Path("old.png"), Path("new.png")});
    EXPECT_EQ(Entries(), (std::vector<std::string>{"new.png", "old.png"}));
}

// A batch stages files from several threads while the first of them still reads the folder for
// dead saves' leftovers: the others' staged files, unlocked once written, must survive that.
TEST_F(FilesTest, StagedFilesSurviveTheFolderCleanupOfTheirOwnBatch) {
    for (int folder = 0; folder < 3; ++folder) {
        const fs::path dir = dir_ / ("batch" + std::to_string(folder));
        fs::create_directory(dir);
        for (int i = 0; i < 2000; ++i) std::ofstream(dir / ("other" + std::to_string(i)));  // a slow folder to read
        std::vector<std::string> staged(8);
        std::vector<std::thread> threads;
        for (std::size_t t = 0; t < staged.size(); ++t)
            threads.emplace_back([&, t] { staged[t] = WriteTemporaryBeside((dir / ("b" + std::to_string(t))).string(), Bytes("x")); });
        for (std::thread& t : threads) t.join();
        for (const std::string& name : staged) EXPECT_TRUE(fs::exists(name)) << name;
    }
}

TEST_F(FilesTest, StagedFileThatCannotBePutInPlaceIsReportedAndRemoved) {
    EXPECT_THROW(WriteTemporaryBeside(Path("missing/out.png"), Bytes("x")), FileError);
    fs::create_directory(Path("taken"));
    std::ofstream(Path("taken/inside.txt")) << "kept";
    const std::string good = WriteTemporaryBeside(Path("good.png"), Bytes("good"));
    const std::string bad = WriteTemporaryBeside(Path("taken"), Bytes("x"));
    const std::vector<std::string> reasons = FlushAndRename({{bad, Path("taken")}, {good, Path("good.png")}});
    ASSERT_EQ(reasons.size(), 2u);
    EXPECT_FALSE(reasons[0].empty());
    EXPECT_EQ(reasons[1], "");
    EXPECT_EQ(ReadFileBytes(Path("taken/inside.txt")), Bytes("kept"));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"good.png", "taken"}));
}

TEST(Files, LowerExtension) {
    EXPECT_EQ(LowerExtension("/a/b/Picture.PNG"), ".png");
    EXPECT_EQ(LowerExtension("banner.tar.JpG"), ".jpg");
    EXPECT_EQ(LowerExtension("/some.dir/noext"), "");
    EXPECT_EQ(LowerExtension("plain"), "");
    EXPECT_EQ(LowerExtension("dot."), ".");
}

}  // namespace
}  // namespace veskel
