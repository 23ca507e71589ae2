#include "platform/io/RecentFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/io/Files.h"

namespace veskel {
namespace {

std::string Read(const std::string& path) {
    const std::vector<std::uint8_t> b = ReadFileBytes(path);
    return {b.begin(), b.end()};
}
void Write(const std::string& path, const std::string& s) {
    WriteFileAtomic(path, std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()));
}
// The hrefs of the list's bookmarks (and of a commented-out one), in file order.
std::vector<std::string> Hrefs(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t at = text.find(" href=\""); at != std::string::npos; at = text.find(" href=\"", at + 1))
        out.push_back(text.substr(at + 7, text.find('"', at + 7) - at - 7));
    return out;
}

// A new list is made; a file added again moves to the end keeping when it was first added; the
// oldest go beyond the bound; other entries and comments stay byte for byte; a file that is no
// desktop list is never rewritten.
TEST(RecentFiles, AddingKeepsTheListAndMovesTheFileToTheEnd) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("veskel-recent-" + std::to_string(::getpid()));
    const std::string list = (dir / "share" / "recently-used.xbel").string();
    auto file = [](const char* path) { return RecentFile{path, "application/x-veskel-project", "Veskel", "veskel %u"}; };
    const std::string a = "file:///p/a%20b.vzk", b = "file:///p/%D0%B1.vzk", c = "file:///p/c%26.vzk";

    ASSERT_TRUE(AddRecentFile(list, file("/p/a b.vzk"), "2026-01-01T00:00:00Z"));
    ASSERT_TRUE(AddRecentFile(list, file("/p/б.vzk"), "2026-01-02T00:00:00Z"));
    ASSERT_TRUE(AddRecentFile(list, file("/p/a b.vzk"), "2026-01-03T00:00:00Z"));
    std::string text = Read(list);
    EXPECT_EQ(Hrefs(text), (std::vector<std::string>{b, a}));
    EXPECT_NE(text.find("added=\"2026-01-01T00:00:00Z\" modified=\"2026-01-03T00:00:00Z\""), std::string::npos);
    EXPECT_NE(text.find("<mime:mime-type type=\"application/x-veskel-project\"/>"), std::string::npos);
    EXPECT_NE(text.find("exec=\"&apos;veskel %u&apos;\""), std::string::npos);

    const std::string foreign = "  <!-- <bookmark href=\"x\"> -->\n  <bookmark href=\"file:///o\" added=\"z\"/>\n";
    Write(list, text.insert(text.find("  <bookmark"), foreign));
    ASSERT_TRUE(AddRecentFile(list, file("/p/c&.vzk"), "2026-01-04T00:00:00Z", 4));
    EXPECT_NE(Read(list).find(foreign), std::string::npos);
    EXPECT_EQ(Hrefs(Read(list)), (std::vector<std::string>{"x", "file:///o", b, a, c}));
    ASSERT_TRUE(AddRecentFile(list, file("/p/б.vzk"), "2026-01-05T00:00:00Z", 2));
    EXPECT_EQ(Hrefs(Read(list)), (std::vector<std::string>{"x", c, b}));

    for (const std::string other : {"not xml", "<xbel version=\"1.0\">\n</xbel>\n"}) {
        Write(list, other);
        EXPECT_FALSE(AddRecentFile(list, file("/p/a b.vzk"), "2026-01-06T00:00:00Z"));
        EXPECT_EQ(Read(list), other);
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace veskel
