#include "platform/io/RecentFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/io/Files.h"

namespace veskel {
namespace {

namespace fs = std::filesystem;

std::string Read(const std::string& path) {
    const std::vector<std::uint8_t> b = ReadFileBytes(path);
    return {b.begin(), b.end()};
}

// The hrefs of the list's bookmarks, in file order.
std::vector<std::string> Hrefs(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t at = text.find("<bookmark href=\""); at != std::string::npos;
         at = text.find("<bookmark href=\"", at + 1)) {
        const std::size_t start = at + 16;
        out.push_back(text.substr(start, text.find('"', start) - start));
    }
    return out;
}

// Adding files: a new list is made, a file added again moves to the end keeping when it was
// first added, the oldest go beyond the bound, other programs' entries stay byte for byte, and
// a file that is no desktop list is never rewritten.
TEST(RecentFiles, AddingKeepsTheListAndMovesTheFileToTheEnd) {
    const fs::path dir = fs::temp_directory_path() / ("veskel-recent-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    const std::string list = (dir / "share" / "recently-used.xbel").string();
    const RecentFile a{"/p/a b.vzk", "application/x-veskel-project", "Veskel", "veskel %u"};
    const RecentFile b{"/p/б.vzk", a.mimeType, a.appName, a.appExec};
    const RecentFile c{"/p/c&.vzk", a.mimeType, a.appName, a.appExec};
    const std::string hrefA = "file:///p/a%20b.vzk", hrefB = "file:///p/%D0%B1.vzk", hrefC = "file:///p/c%26.vzk";

    ASSERT_TRUE(AddRecentFile(list, a, "2026-01-01T00:00:00Z"));
    ASSERT_TRUE(AddRecentFile(list, b, "2026-01-02T00:00:00Z"));
    ASSERT_TRUE(AddRecentFile(list, a, "2026-01-03T00:00:00Z"));
    std::string text = Read(list);
    EXPECT_EQ(Hrefs(text), (std::vector<std::string>{hrefB, hrefA}));
    EXPECT_NE(text.find("added=\"2026-01-01T00:00:00Z\" modified=\"2026-01-03T00:00:00Z\""), std::string::npos);
    EXPECT_NE(text.find("<mime:mime-type type=\"application/x-veskel-project\"/>"), std::string::npos);
    EXPECT_NE(text.find("exec=\"&apos;veskel %u&apos;\""), std::string::npos);
    EXPECT_TRUE(text.ends_with("</xbel>\n"));

    // Another program's bookmark (and a comment) stays as it was; beyond the bound the oldest go.
    const std::string foreign = "  <!-- <bookmark href=\"x\"> -->\n  <bookmark href=\"file:///o.txt\" added=\"z\"/>\n";
    text.insert(text.find("  <bookmark"), foreign);
    WriteFileAtomic(list, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    ASSERT_TRUE(AddRecentFile(list, c, "2026-01-04T00:00:00Z", 4));
    text = Read(list);
    EXPECT_NE(text.find(foreign), std::string::npos);
    EXPECT_EQ(Hrefs(text), (std::vector<std::string>{"x", "file:///o.txt", hrefB, hrefA, hrefC}));
    ASSERT_TRUE(AddRecentFile(list, b, "2026-01-05T00:00:00Z", 2));
    EXPECT_EQ(Hrefs(Read(list)), (std::vector<std::string>{"x", hrefC, hrefB}));  // the comment stays

    // Not a desktop list: left alone.
    for (const std::string other : {"not xml", "<xbel version=\"1.0\">\n</xbel>\n"}) {
        WriteFileAtomic(list, std::span(reinterpret_cast<const std::uint8_t*>(other.data()), other.size()));
        EXPECT_FALSE(AddRecentFile(list, a, "2026-01-06T00:00:00Z"));
        EXPECT_EQ(Read(list), other);
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace veskel
