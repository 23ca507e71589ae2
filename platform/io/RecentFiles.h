#pragma once
// The desktop's list of recently used files: "recently-used.xbel" in the XDG data folder, an XBEL
// bookmark file that every program of the desktop reads and writes (file choosers, the file
// manager's "Recent"). A program adds a file by adding or updating that file's bookmark.
#include <cstddef>
#include <string>

namespace veskel {

struct RecentFile {
    std::string path;      // absolute local path
    std::string mimeType;  // "application/x-veskel-project"
    std::string appName;   // the program as the desktop names it
    std::string appExec;   // how the desktop starts it on a file ("veskel %u")
};

// Bookmarks the list keeps at most; beyond it the oldest (first in the file) go.
inline constexpr std::size_t kMaxRecentFiles = 500;

// $XDG_DATA_HOME/recently-used.xbel, or ~/.local/share/recently-used.xbel; "" without a home.
std::string RecentFilesPath();

// Adds `file` to the list at `listPath` as its newest bookmark, dated `nowUtc`
// ("2026-12-07T17:30:00Z"): reads the list, drops the file's old bookmark (keeping when it was
// first added) and the oldest bookmarks beyond `maxFiles`, and writes the whole list atomically,
// so a failure leaves the previous list as it was. Everything else in the list is kept as it is.
// A list that is not an XBEL file with the desktop's namespaces is left alone (returns false).
// Throws FileError when the list cannot be read or written.
bool AddRecentFile(const std::string& listPath, const RecentFile& file, const std::string& nowUtc,
                   std::size_t maxFiles = kMaxRecentFiles);

}  // namespace veskel
