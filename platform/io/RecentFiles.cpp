#include "platform/io/RecentFiles.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <vector>

#include "platform/io/Files.h"

namespace veskel {
namespace {

// A list far larger than any desktop's is not read (nor rewritten).
constexpr std::size_t kMaxListBytes = std::size_t(32) << 20;

constexpr std::string_view kEmptyList =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<xbel version=\"1.0\"\n"
    "      xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"\n"
    "      xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\"\n"
    ">\n"
    "</xbel>\n";

std::string EscapeXml(std::string_view s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default: out += c;
        }
    }
    return out;
}

// file:// with every byte but the unreserved ones and "/" percent-encoded.
std::string FileUri(std::string_view path) {
    static const char* kHex = "0123456789ABCDEF";
    std::string out = "file://";
    for (unsigned char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '_' || c == '.' || c == '~' || c == '/';
        if (plain) {
            out += char(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

// The value of attribute `name` inside a start tag, as written (entities left as they are).
std::string Attribute(std::string_view tag, std::string_view name) {
    for (std::size_t at = tag.find(name); at != std::string_view::npos; at = tag.find(name, at + 1)) {
        const bool starts = at > 0 && (tag[at - 1] == ' ' || tag[at - 1] == '\t' || tag[at - 1] == '\n');
        std::size_t i = at + name.size();
        while (i < tag.size() && (tag[i] == ' ' || tag[i] == '\t' || tag[i] == '\n')) ++i;
        if (!starts || i >= tag.size() || tag[i] != '=') continue;
        ++i;
        while (i < tag.size() && (tag[i] == ' ' || tag[i] == '\t' || tag[i] == '\n')) ++i;
        if (i >= tag.size() || (tag[i] != '"' && tag[i] != '\'')) return {};
        const std::size_t end = tag.find(tag[i], i + 1);
        return end == std::string_view::npos ? std::string() : std::string(tag.substr(i + 1, end - i - 1));
    }
    return {};
}

struct Bookmark {
    std::size_t begin, end;  // the element's bytes, its indentation and line end included
    std::string href, added;
};

// The top-level <bookmark> elements between `from` and `to`, skipping comments; false when one is
// not closed.
bool FindBookmarks(std::string_view text, std::size_t from, std::size_t to, std::vector<Bookmark>& out) {
    for (std::size_t i = text.find('<', from); i < to; i = text.find('<', i + 1)) {
        if (text.substr(i, 4) == "<!--") {
            i = text.find("-->", i);
            if (i == std::string_view::npos) return false;
            continue;
        }
        if (text.substr(i, 9) != "<bookmark" || i + 9 >= text.size()) continue;
        const char next = text[i + 9];
        if (next != ' ' && next != '\t' && next != '\n' && next != '>') continue;  // <bookmark:...>
        const std::size_t tagEnd = text.find('>', i);
        if (tagEnd == std::string_view::npos) return false;
        const std::string_view tag = text.substr(i, tagEnd - i);
        std::size_t end = tagEnd + 1;
        if (!tag.ends_with("/")) {
            end = text.find("</bookmark>", tagEnd);
            if (end == std::string_view::npos || end > to) return false;
            end += 11;
        }
        Bookmark b{i, end, Attribute(tag, "href"), Attribute(tag, "added")};
        while (b.begin > 0 && (text[b.begin - 1] == ' ' || text[b.begin - 1] == '\t')) --b.begin;
        if (b.end < text.size() && text[b.end] == '\n') ++b.end;
        out.push_back(std::move(b));
        i = end - 1;
    }
    return true;
}

}  // namespace

std::string RecentFilesPath() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/')
        return std::string(data) + "/recently-used.xbel";
    if (const char* home = std::getenv("HOME"); home && home[0])
        return std::string(home) + "/.local/share/recently-used.xbel";
    return {};
}

bool AddRecentFile(const std::string& listPath, const RecentFile& file, const std::string& nowUtc,
                   std::size_t maxFiles) {
    std::string text(kEmptyList);
    std::error_code error;
    const bool listExists = std::filesystem::exists(listPath, error);
    // A list that cannot be looked at is left alone rather than taken for a missing one.
    if (error) throw FileError(error.message());
    if (listExists) {
        const std::vector<std::uint8_t> bytes = ReadFileBytes(listPath, kMaxListBytes);
        text.assign(bytes.begin(), bytes.end());
    }
    // Only a list whose bookmarks can carry our metadata is touched.
    const std::size_t open = text.find("<xbel");
    const std::size_t close = text.rfind("</xbel>");
    if (open == std::string::npos || close == std::string::npos || close < open) return false;
    const std::size_t openEnd = text.find('>', open);
    const std::string_view head = std::string_view(text).substr(open, openEnd - open);
    if (head.find("xmlns:bookmark=") == std::string_view::npos || head.find("xmlns:mime=") == std::string_view::npos)
        return false;
    std::vector<Bookmark> bookmarks;
    if (!FindBookmarks(text, openEnd, close, bookmarks)) return false;

    const std::string href = FileUri(file.path);
    std::string added = nowUtc;
    std::vector<bool> drop(bookmarks.size(), false);
    std::size_t kept = bookmarks.size();
    for (std::size_t i = 0; i < bookmarks.size(); ++i) {
        if (bookmarks[i].href != href) continue;
        // The old time is copied as written, so only one that is safe between double quotes.
        const std::string& old = bookmarks[i].added;
        if (!old.empty() && old.find_first_of("\"<&") == std::string::npos) added = old;
        drop[i] = true;
        --kept;
    }
    for (std::size_t i = 0; i < bookmarks.size() && kept + 1 > std::max<std::size_t>(maxFiles, 1); ++i) {
        if (drop[i]) continue;
        drop[i] = true;
        --kept;
    }

    std::string out;
    std::size_t copied = 0;
    for (std::size_t i = 0; i < bookmarks.size(); ++i) {
        if (!drop[i]) continue;
        out.append(text, copied, bookmarks[i].begin - copied);
        copied = bookmarks[i].end;
    }
    std::size_t closeLine = close;
    while (closeLine > copied && (text[closeLine - 1] == ' ' || text[closeLine - 1] == '\t')) --closeLine;
    out.append(text, copied, closeLine - copied);
    if (!out.empty() && out.back() != '\n') out += '\n';
    const std::string now = EscapeXml(nowUtc);
    out += "  <bookmark href=\"" + EscapeXml(href) + "\" added=\"" + added + "\" modified=\"" + now +
           "\" visited=\"" + now + "\">\n"
           "    <info>\n"
           "      <metadata owner=\"http://freedesktop.org\">\n"
           "        <mime:mime-type type=\"" + EscapeXml(file.mimeType) + "\"/>\n"
           "        <bookmark:applications>\n"
           "          <bookmark:application name=\"" + EscapeXml(file.appName) + "\" exec=\"" +
           EscapeXml("'" + file.appExec + "'") + "\" modified=\"" + now + "\" count=\"1\"/>\n"
           "        </bookmark:applications>\n"
           "      </metadata>\n"
           "    </info>\n"
           "  </bookmark>\n";
    out.append(text, closeLine, std::string::npos);

    const std::filesystem::path folder = std::filesystem::path(listPath).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, error);
    WriteFileAtomic(listPath, std::span(reinterpret_cast<const std::uint8_t*>(out.data()), out.size()));
    return true;
}

}  // namespace veskel
