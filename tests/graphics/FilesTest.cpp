#include "platform/io/Files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

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
