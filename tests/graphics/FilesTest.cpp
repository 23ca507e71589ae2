#include "platform/io/Files.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
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
// what dead saves of the same file left, and everything in the folder once a batch died there; the
// first batch of a process into a folder removes all.
TEST_F(FilesTest, DeadSavesLeftoversAreRemovedByTheNextSaveOfTheFileOrABatch) {
    WriteFileAtomic(Path("banner.png"), Bytes("old"));
    // Left by a killed save of another file: a save of banner.png leaves it alone.
    std::ofstream(Path(".veskel-ab12CD.tmp")) << "dead";
    // A living save's temporary: its lock is held (here by this test).
    std::ofstream(Path(".veskel-LIVE00.tmp")) << "alive";
    const int live = ::open(Path(".veskel-LIVE00.tmp").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);
    // Names of other forms are never touched.
    for (const char* other : {".veskel-abc.tmp", "banner.png.Ab12Cd", ".veskel-ab12CD.tmpx", ".veskel-12.lock"})
        std::ofstream(Path(other)) << "other";
    const std::vector<std::string> others = {".veskel-12.lock", ".veskel-LIVE00.tmp", ".veskel-ab12CD.tmpx",
                                             ".veskel-abc.tmp", "banner.png", "banner.png.Ab12Cd"};
    std::vector<std::string> withDead = others;
    withDead.insert(withDead.begin() + 2, ".veskel-ab12CD.tmp");
    WriteFileAtomic(Path("banner.png"), Bytes("x"));
    EXPECT_EQ(Entries(), withDead);

    // A batch of another process dies with a file staged, leaving it and its lock (its first file
    // cleared the dead save's file): the next save of any file clears the folder, however many
    // living batches (here four of an earlier version, by their locks) write there meanwhile.
    std::vector<int> living;
    for (const char* lock : {".veskel-0.lock", ".veskel-1.lock", ".veskel-2.lock", ".veskel-3.lock"}) {
        living.push_back(::open(Path(lock).c_str(), O_CREAT | O_RDONLY, 0600));
        ASSERT_EQ(::flock(living.back(), LOCK_EX), 0);
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        WriteTemporaryBeside(Path("other.png"), Bytes("dead"));
        ::_exit(0);
    }
    int status = -1;
    ::waitpid(pid, &status, 0);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(Entries().size(), others.size() + 6);
    WriteFileAtomic(Path("banner.png"), Bytes("y"));
    EXPECT_EQ(ReadFileBytes(Path("banner.png")), Bytes("y"));
    EXPECT_EQ(Entries().size(), others.size() + 4);
    for (const int fd : living) ::close(fd);
    WriteFileAtomic(Path("banner.png"), Bytes("y"));
    EXPECT_EQ(Entries(), others);

    // A batch's first file into the folder clears every dead save's file, never a living one.
    std::ofstream(Path(".veskel-ab12CD.tmp")) << "dead";
    const std::string staged = WriteTemporaryBeside(Path("next.png"), Bytes("y"));
    EXPECT_EQ(FlushAndRename({{staged, Path("next.png")}}), std::vector<std::string>{""});
    ::close(live);
    std::vector<std::string> after = others;
    after.push_back("next.png");
    EXPECT_EQ(Entries(), after);
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
    const std::string bad = WriteTemporaryBeside(Path("taken2"), Bytes("x"));
    fs::rename(Path("taken"), Path("taken2"));  // a folder takes the name after the file was staged
    const std::vector<std::string> reasons = FlushAndRename({{bad, Path("taken2")}, {good, Path("good.png")}});
    ASSERT_EQ(reasons.size(), 2u);
    EXPECT_FALSE(reasons[0].empty());
    EXPECT_EQ(reasons[1], "");
    EXPECT_EQ(ReadFileBytes(Path("taken2/inside.txt")), Bytes("kept"));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"good.png", "taken2"}));
}

// Two processes stage batches into one folder at once: the clean-up of dead saves that the second
// does on its first file must not take the first's staged files, and neither leaves anything else.
TEST_F(FilesTest, TwoBatchesIntoOneFolderKeepEachOthersFiles) {
    const auto stage = [&](const std::string& pattern, char content) {
        std::vector<StagedFile> staged;
        for (int i = 0; i < 50; ++i) {
            const std::string path = Path(pattern + std::to_string(i) + ".png");
            staged.push_back({WriteTemporaryBeside(path, Bytes(std::string(100, content))), path});
        }
        return staged;
    };
    // The second batch is another process, started before this one stages anything (a child made
    // later would share its locks); it runs once this one's files wait to be put in place.
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        char byte;
        ::close(go[1]);
        const bool ready = ::read(go[0], &byte, 1) == 1;
        const std::vector<std::string> reasons = FlushAndRename(stage("b-", 'b'));
        ::_exit(ready && std::all_of(reasons.begin(), reasons.end(), [](const std::string& r) { return r.empty(); }) ? 0 : 1);
    }
    ::close(go[0]);
    const std::vector<StagedFile> first = stage("a-", 'a');
    ASSERT_EQ(::write(go[1], "x", 1), 1);
    ::close(go[1]);
    int status = -1;
    EXPECT_TRUE(::waitpid(pid, &status, 0) == pid && status == 0);
    EXPECT_EQ(FlushAndRename(first), std::vector<std::string>(first.size()));
    EXPECT_EQ(Entries().size(), 100u);
    for (const std::string& name : Entries()) EXPECT_EQ(ReadFileBytes(Path(name)), Bytes(std::string(100, name[0]))) << name;
}

// What a save does to each kind of name it is given, as a single save and as a batch: a file, or
// the file at the end of a link's chain, is replaced whole and a link stays a link; a device or a
// pipe is written into and stays; a folder, or a link into a missing folder, is refused.
TEST_F(FilesTest, SavesReplaceFilesAndLinkTargetsAndWriteIntoDevicesAndPipes) {
    // A character device needs root to make it, in a private mount that keeps it out of sight.
    std::string noDevice = ::geteuid() != 0 ? "the test does not run as root" : "";
    if (noDevice.empty() && (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                             ::mount("tmpfs", dir_.c_str(), "tmpfs", 0, "mode=0700") != 0))
        noDevice = std::string("no private mount namespace: ") + std::strerror(errno);
    const std::shared_ptr<void> unmount(nullptr, [&](void*) { ::umount2(dir_.c_str(), MNT_DETACH); });
    using Make = std::function<void(const fs::path&)>;
    const auto file = [](const char* name) { return [=](const fs::path& d) { std::ofstream(d / name) << "old"; }; };
    const auto link = [](const char* to, const char* at) { return [=](const fs::path& d) { fs::create_symlink(to, d / at); }; };
    struct Case {
        std::string name;
        std::vector<Make> make;  // what the case's folder holds before a.png is saved
        std::string holder;      // where the banner ends up; "" when refused
        fs::file_type kept;      // what a.png is afterwards
    };
    const std::vector<Case> cases = {
        {"file", {file("a.png")}, "a.png", fs::file_type::regular},
        {"link", {file("real.png"), link("real.png", "a.png")}, "real.png", fs::file_type::symlink},
        // Each relative link is read from its own folder.
        {"chain", {file("real.png"), [](const fs::path& d) { fs::create_directory(d / "sub"); },
                   link("../real.png", "sub/b.png"), link("sub/b.png", "a.png")}, "real.png", fs::file_type::symlink},
        {"dangling link", {link("new.png", "a.png")}, "new.png", fs::file_type::symlink},
        {"link into a missing folder", {link("missing/new.png", "a.png")}, "", fs::file_type::symlink},
        {"pipe", {[](const fs::path& d) { ::mkfifo((d / "a.png").c_str(), 0600); }}, "a.png", fs::file_type::fifo},
        {"folder", {[](const fs::path& d) { fs::create_directory(d / "a.png"); }}, "", fs::file_type::directory},
        {"character device", {[](const fs::path& d) { ::mknod((d / "a.png").c_str(), S_IFCHR | 0666, ::makedev(1, 3)); }},
         "a.png", fs::file_type::character},
    };
    const std::vector<std::uint8_t> banner = Bytes("the new banner");
    for (const bool batch : {false, true}) {
        for (const Case& c : cases) {
            if (c.kept == fs::file_type::character && !noDevice.empty()) continue;
            SCOPED_TRACE(c.name + (batch ? " (batch)" : " (single save)"));
            const fs::path folder = dir_ / ((batch ? "batch " : "single ") + c.name);
            fs::create_directory(folder);
            for (const Make& make : c.make) make(folder);
            const std::string saved = (folder / "a.png").string();
            // A pipe's reader, so that the save does not wait for one.
            const int reader = ::open(saved.c_str(), O_RDONLY | O_NONBLOCK);
            std::string error;
            try {
                if (batch)
                    error = FlushAndRename({{WriteTemporaryBeside(saved, banner), saved}}).at(0);
                else
                    WriteFileAtomic(saved, banner);
            } catch (const FileError& e) {
                error = e.what();
            }
            EXPECT_EQ(error.empty(), !c.holder.empty()) << error;
            EXPECT_EQ(fs::symlink_status(saved).type(), c.kept);
            std::vector<std::uint8_t> got(64);
            got.resize(std::size_t(std::max<ssize_t>(::read(reader, got.data(), got.size()), 0)));
            ::close(reader);
            if (c.kept == fs::file_type::fifo) {
                EXPECT_EQ(got, banner);
            } else if (!c.holder.empty() && c.kept != fs::file_type::character) {
                EXPECT_EQ(ReadFileBytes((folder / c.holder).string()), banner);
            }
            for (const auto& e : fs::recursive_directory_iterator(folder))
                EXPECT_FALSE(e.path().filename().string().starts_with(".veskel-")) << e.path();
        }
    }
    if (!noDevice.empty()) GTEST_SKIP() << "the character device case was left out: " << noDevice;
}

// A descriptor this process was given (what /dev/stdout names) is written where the shell left
// it: after the end when it appends, over the start when opened for reading and writing, never
// cut short. A file reached through /proc/self/root is replaced as any file, its link kept. On a
// full disk each keeps its old content whole. In a small private tmpfs, to fill it.
TEST_F(FilesTest, WriteThroughKeepsAppendedAndFullTargetsWhole) {
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", dir_.c_str(), "tmpfs", 0, "size=256k,mode=0700") != 0)
        GTEST_SKIP() << "no private mount namespace for a small file system: " << std::strerror(errno);
    const std::shared_ptr<void> unmount(nullptr, [&](void*) { ::umount2(dir_.c_str(), MNT_DETACH); });
    const std::vector<std::uint8_t> old(12288, 'o');
    const std::vector<std::uint8_t> small = Bytes("the new banner"), huge(std::size_t(512) << 10, 'n');
    enum Target { Appended, ReadWrite, ThroughRoot };
    struct Case {
        Target target;
        bool full;
    };
    for (const Case c : {Case{Appended, false}, {ReadWrite, false}, {ThroughRoot, false}, {Appended, true},
                         {ReadWrite, true}, {ThroughRoot, true}}) {
        SCOPED_TRACE(std::to_string(c.target) + (c.full ? " full" : " with room"));
        const std::string file = Path("old.png");
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(old.data()), std::streamsize(old.size()));
        std::string saved = "/proc/self/root" + Path("link.png");
        fs::remove(Path("link.png"));
        fs::create_symlink("old.png", Path("link.png"));
        int fd = -1;
        if (c.target != ThroughRoot) {
            fd = ::open(file.c_str(), c.target == Appended ? O_WRONLY | O_APPEND : O_RDWR);
            ASSERT_GE(fd, 0);
            saved = "/dev/fd/" + std::to_string(fd);
        }
        const std::vector<std::uint8_t>& data = c.full ? huge : small;
        std::string error;
        try {
            WriteFileAtomic(saved, data);
        } catch (const FileError& e) {
            error = e.what();
        }
        if (fd >= 0) ::close(fd);
        std::vector<std::uint8_t> expected = old;
        if (c.full) {
            EXPECT_EQ(error, std::strerror(ENOSPC));
        } else if (c.target == Appended) {
            expected.insert(expected.end(), data.begin(), data.end());
        } else if (c.target == ReadWrite) {
            std::copy(data.begin(), data.end(), expected.begin());
        } else {
            expected = data;
        }
        EXPECT_EQ(ReadFileBytes(file), expected) << error;
        EXPECT_TRUE(fs::is_symlink(Path("link.png")));
        EXPECT_EQ(Entries(), (std::vector<std::string>{"link.png", "old.png"}));
    }
}

// A pipe whose reader goes away midway is a failed save, not the end of the program.
TEST_F(FilesTest, SavingIntoAPipeWhoseReaderLeavesFails) {
    const std::string pipe = Path("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::thread reader([&] {
        const int fd = ::open(pipe.c_str(), O_RDONLY);
        char byte;
        EXPECT_EQ(::read(fd, &byte, 1), 1);
        ::close(fd);
    });
    try {
        WriteFileAtomic(pipe, std::vector<std::uint8_t>(std::size_t(4) << 20));
        ADD_FAILURE() << "no error";
    } catch (const FileError& e) {
        EXPECT_STREQ(e.what(), "Broken pipe");
    }
    reader.join();
}

// A look at a file's first bytes takes nothing from a pipe: its writer's bytes all reach the read.
TEST_F(FilesTest, AHeadIsReadFromRegularFilesOnly) {
    WriteFileAtomic(Path("long"), std::vector<std::uint8_t>(100, 7));
    EXPECT_EQ(ReadFileHead(Path("long"), 8), std::vector<std::uint8_t>(8, 7));
    const std::string pipe = Path("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::thread writer([&] { WriteFileAtomic(pipe, std::vector<std::uint8_t>(100, 7)); });
    EXPECT_EQ(ReadFileHead(pipe, 8), std::nullopt);
    EXPECT_EQ(ReadFileBytes(pipe).size(), 100u);
    writer.join();
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
