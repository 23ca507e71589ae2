#pragma once
// Reading and writing whole files, with clear error messages.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace veskel {

// A file operation failed. what() is the system's reason in words (e.g. "No such file or
// directory"), without the file name, so callers can compose their own message around it.
class FileError : public std::runtime_error {
public:
    explicit FileError(const std::string& reason) : std::runtime_error(reason) {}
};

// Tells from the first bytes of a file how many bytes the whole of it needs, or kReadAll while they
// cannot tell yet. A count no larger than what was read ends the read there at once: data that
// cannot be what the caller reads is refused by the caller from its first bytes.
using NeededBytes = std::function<std::size_t(std::span<const std::uint8_t> head)>;
inline constexpr std::size_t kReadAll = SIZE_MAX;

// Reads a whole file. Files larger than maxBytes are refused with a FileError ("file too large").
// A stream (a pipe, a device) may never end: given `needed`, it is read only as far as the bytes
// read so far say the file goes, and otherwise up to maxBytes. A regular file is read whole.
inline constexpr std::size_t kMaxReadBytes = std::size_t(512) << 20;
std::vector<std::uint8_t> ReadFileBytes(const std::string& path, std::size_t maxBytes = kMaxReadBytes,
                                        const NeededBytes& needed = {});

// Whether ReadFileBytes, opening a named pipe that nobody writes into yet, waits for a writer as a
// shell's redirection does (the default), or reads it as empty at once: a window's thread must
// never wait on a pipe that may stay silent. Applies to the whole process.
void SetPipesWaitForWriters(bool wait);

// The first `count` bytes of a regular file (fewer when it is shorter), to tell what it is before
// reading it whole; nullopt for anything else (a pipe or a device cannot be looked at without
// taking its bytes). Throws FileError when the file cannot be opened or read.
std::optional<std::vector<std::uint8_t>> ReadFileHead(const std::string& path, std::size_t count);

// How WriteFileAtomic holds the data before it becomes `path`.
enum class TempFileKind {
    // An unnamed file in the target's folder (O_TMPFILE), given a name only once it is complete:
    // a save killed while writing leaves nothing behind. Where the file system refuses unnamed
    // files, the named kind is used instead.
    Anonymous,
    // A file named ".veskel-XXXXXX.tmp" beside the target, locked while its save lives; the
    // characters of its first tries come from the target's file name. A save killed midway leaves
    // it behind; the next save of the same file removes it, and so does the first batch of a later
    // process into the folder (WriteTemporaryBeside). Tests choose it to exercise this path.
    Named,
};

// Writes `data` to a temporary file in the same folder and renames it over `path` only once it
// is complete and flushed, so a failed or interrupted write never destroys the previous file.
// The temporary name is short and fixed in form, so every name the file system takes can be
// saved. Throws FileError with the system's reason on failure; no temporary file is left then.
//
// What is replaced: for a symbolic link, the file at the end of its links (the link stays; a
// dangling link's file is created where its folder exists), whatever path leads there (also
// through /proc/self/root). An existing device, pipe or socket is written into, not replaced, and
// so is a descriptor of this process named through /proc (/dev/stdout): at its offset, or at its
// end when it appends, never cut short, and refused whole when the disk has no room for it. A
// folder is refused. Before writing, the save removes what dead saves of the same file
// left, and everything dead writers left in the folder when a batch died there.
void WriteFileAtomic(const std::string& path, std::span<const std::uint8_t> data,
                     TempFileKind kind = TempFileKind::Anonymous);

// ---- many files with one flush
// A batch that writes many files pays for one flush instead of one (or two) per file: each file is
// first written completely under a temporary name beside its final name, then FlushAndRename
// flushes all of them with one call per file system and renames each over its final name, and
// SyncFolders makes the renames durable with one flush per folder. A file appears under its final
// name only once its bytes are on disk, so a crash never leaves a half-written file there.

struct StagedFile {
    std::string temporary;  // as WriteTemporaryBeside returned it
    std::string path;       // the final name
};

// Writes `data` to a new file beside what `path` replaces (as WriteFileAtomic resolves it, with the
// permissions WriteFileAtomic gives) without flushing it, and returns its name. The file stays
// this process's, safe from other processes' clean-up, until FlushAndRename has handled it. A
// device or pipe is written into at once, and "" returned: nothing is left to put in place. The
// first call for a folder in a process removes every temporary file that dead saves left there.
// Safe to call from several threads at once. Throws FileError; nothing is left behind then.
std::string WriteTemporaryBeside(const std::string& path, std::span<const std::uint8_t> data);

// Flushes every temporary file to disk, then renames each over what its final name replaces, in
// the order given, so that of two files for the same name the later one stays. An entry with an
// empty temporary name was written through when staged and counts as in place. Returns one entry
// per file: "" when it is in place, otherwise the system's reason (its temporary file is removed
// then).
std::vector<std::string> FlushAndRename(const std::vector<StagedFile>& files);

// Flushes each distinct folder of the given paths once, so that the names put in place survive a
// crash. Failures are ignored: the files themselves are complete either way.
void SyncFolders(const std::vector<std::string>& paths);

// The lower-cased extension of a file name including its point (".png"), or "" when it has none.
std::string LowerExtension(const std::string& path);

// The name a save writes: `path` as it is when its extension already is `extension` (".png", in
// any letter case: "banner.PNG"), otherwise `path` with `extension` appended ("banner.jpg.png").
std::string WithExtension(const std::string& path, const std::string& extension);

}  // namespace veskel
