#include "platform/io/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <set>
#include <string_view>

#include "platform/lang/Translate.h"

namespace veskel {
namespace {

std::string Reason(int err) { return std::strerror(err); }

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd(Fd&& other) noexcept : fd_(other.release()) {}
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) {
            if (fd_ >= 0) ::close(fd_);
            fd_ = other.release();
        }
        return *this;
    }
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    int release() {
        int f = fd_;
        fd_ = -1;
        return f;
    }

private:
    int fd_;
};

}  // namespace

namespace {
std::atomic<bool> pipesWaitForWriters{true};
}  // namespace

void SetPipesWaitForWriters(bool wait) { pipesWaitForWriters = wait; }

std::vector<std::uint8_t> ReadFileBytes(const std::string& path, std::size_t maxBytes, const NeededBytes& needed) {
    // Opened without waiting, a named pipe that nobody writes into reads as empty at once; the
    // reads themselves wait for data as ever.
    const bool wait = pipesWaitForWriters;
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | (wait ? 0 : O_NONBLOCK)));
    if (fd.get() < 0) throw FileError(Reason(errno));
    if (!wait) {
        const int flags = ::fcntl(fd.get(), F_GETFL);
        if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) throw FileError(Reason(errno));
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) throw FileError(Reason(errno));
    if (S_ISDIR(st.st_mode)) throw FileError(Reason(EISDIR));
    if (st.st_size > 0 && std::size_t(st.st_size) > maxBytes) throw FileError(Tr("file too large"));
    const bool stream = !S_ISREG(st.st_mode);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(st.st_size > 0 ? std::size_t(st.st_size) : 0);
    std::uint8_t buf[65536];
    std::size_t nextAsk = 0;
    for (;;) {
        ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError(Reason(errno));
        }
        if (n == 0) break;
        if (bytes.size() + std::size_t(n) > maxBytes) throw FileError(Tr("file too large"));
        bytes.insert(bytes.end(), buf, buf + n);
        // Asked again only once the bytes have doubled, so a walk over many small pieces of the
        // data stays linear in its length, or once they reach an end the bytes already told.
        if (stream && needed && bytes.size() >= nextAsk) {
            nextAsk = bytes.size() * 2;
            const std::size_t want = needed(bytes);
            if (want <= bytes.size()) {
                bytes.resize(want);
                break;
            }
            nextAsk = std::min(nextAsk, want);
        }
    }
    return bytes;
}

std::optional<std::vector<std::uint8_t>> ReadFileHead(const std::string& path, std::size_t count) {
    // Looked at before it is opened: opening a named pipe would let its writer go on, and
    // closing it again would cut the writer off before the real read.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) throw FileError(Reason(errno));
    if (S_ISDIR(st.st_mode)) throw FileError(Reason(EISDIR));
    if (!S_ISREG(st.st_mode)) return std::nullopt;
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) throw FileError(Reason(errno));
    if (::fstat(fd.get(), &st) != 0) throw FileError(Reason(errno));
    if (!S_ISREG(st.st_mode)) return std::nullopt;
    std::vector<std::uint8_t> head(count);
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = ::read(fd.get(), head.data() + got, count - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw FileError(Reason(errno));
        if (n == 0) break;
        got += std::size_t(n);
    }
    head.resize(got);
    return head;
}

namespace {

// Our temporary files and locks beside the files they become:
//   ".veskel-XXXXXX.tmp"           a single save's file, locked by its writer while it lives;
//   ".veskel-<id>-XXXXXX.tmp"      a file staged by a batch, the writer <id>;
//   ".veskel-writers/<id>"         the lock of writer <id>, held while any of its staged files
//                                  waits; the folder goes with the last lock.
// A batch stages its files unlocked (a lock on each would hold a descriptor per file until its
// rename), so it stands for them with one lock per folder. The locks have a small folder of their
// own, so that a save finds every dead batch by reading that folder instead of its whole own
// folder, which it reads only when a dead batch left something there. Earlier versions kept the
// lock beside the files as ".veskel-<id>.lock" with <id> 0 to 3; those are still honoured.
constexpr std::string_view kTempPrefix = ".veskel-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::string_view kLockSuffix = ".lock";
constexpr const char* kWritersFolder = ".veskel-writers";
constexpr std::size_t kTempRandomChars = 6;
constexpr int kOldFixedWriterIds = 4;
constexpr char kNameChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

enum class NameKind { Other, Temporary, Staged, Lock };

bool IsWriterId(std::string_view id) {
    return (id.size() == 1 || id.size() == kTempRandomChars) &&
           std::all_of(id.begin(), id.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

// What a name in a folder is to us; for staged files and locks, `writer` receives the writer's id.
NameKind ParseName(std::string_view name, std::string_view& writer) {
    if (!name.starts_with(kTempPrefix)) return NameKind::Other;
    name.remove_prefix(kTempPrefix.size());
    if (name.ends_with(kLockSuffix)) {
        writer = name.substr(0, name.size() - kLockSuffix.size());
        return IsWriterId(writer) ? NameKind::Lock : NameKind::Other;
    }
    if (!name.ends_with(kTempSuffix)) return NameKind::Other;
    name.remove_suffix(kTempSuffix.size());
    if (name.size() == kTempRandomChars) return NameKind::Temporary;
    const std::size_t dash = name.find('-');
    if (dash == std::string_view::npos || name.size() - dash - 1 != kTempRandomChars) return NameKind::Other;
    writer = name.substr(0, dash);
    return IsWriterId(writer) ? NameKind::Staged : NameKind::Other;
}

std::string LockName(std::string_view writer) {
    return std::string(kTempPrefix).append(writer).append(kLockSuffix);
}

std::string RandomChars(std::size_t count) {
    // Random bytes from the kernel: std::random_device would first probe the processor, which
    // costs more than the whole name inside a virtual machine.
    std::uint8_t bytes[16];
    count = std::min(count, sizeof bytes);
#ifdef __EMSCRIPTEN__
    const bool random = ::getentropy(bytes, count) == 0;  // the browser's random numbers
#else
    const bool random = ::getrandom(bytes, count, GRND_NONBLOCK) == ssize_t(count);
#endif
    if (!random) {
        // No entropy yet (early boot): the time and the process make the name unlikely to clash,
        // and a clash only means another try.
        static std::atomic<std::uint64_t> counter{0};
        std::uint64_t v = std::uint64_t(::getpid()) * 0x9E3779B97F4A7C15ull ^ std::uint64_t(std::time(nullptr)) ^
                          (counter.fetch_add(1) * 0xBF58476D1CE4E5B9ull);
        for (std::size_t i = 0; i < count; ++i) bytes[i] = std::uint8_t(v >>= 7);
    }
    std::string chars;
    for (std::size_t i = 0; i < count; ++i) chars += kNameChars[bytes[i] % (sizeof kNameChars - 1)];
    return chars;
}

// The first tries at a single save's temporary name for `path` take their characters from its
// file name, so the next save of the same file finds what a dead save of it left without reading
// the whole folder; later tries, after clashes, are random.
constexpr int kDerivedTries = 4;

std::string TempNameFor(const std::string& path, int attempt) {
    std::string name(kTempPrefix);
    if (attempt >= kDerivedTries) return name.append(RandomChars(kTempRandomChars)).append(kTempSuffix);
    const std::size_t slash = path.find_last_of('/');
    std::uint64_t h = 0xcbf29ce484222325ull;  // FNV-1a over the file name and the try
    for (std::size_t i = slash == std::string::npos ? 0 : slash + 1; i < path.size(); ++i)
        h = (h ^ std::uint8_t(path[i])) * 0x100000001b3ull;
    h = (h ^ std::uint64_t(attempt)) * 0x100000001b3ull;
    for (std::size_t i = 0; i < kTempRandomChars; ++i, h /= sizeof kNameChars - 1)
        name += kNameChars[h % (sizeof kNameChars - 1)];
    return name.append(kTempSuffix);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

Fd OpenFolder(const std::string& dir) { return Fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); }

Fd OpenForCheck(int dirFd, const char* name) {
    return Fd(::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
}

// Whether `name` in `dirFd` still names the open file `fd`: a cleaner unlinks only the file it
// checked, not one that has taken its name since.
bool StillNamed(int dirFd, const char* name, int fd) {
    struct stat opened {}, named {};
    return ::fstat(fd, &opened) == 0 && opened.st_nlink > 0 &&
           ::fstatat(dirFd, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_ino == opened.st_ino &&
           named.st_dev == opened.st_dev;
}

// Removes a single save's temporary file if its save is dead: a living save holds a lock on its
// file, so a file whose lock can be taken has no owner any more.
void RemoveIfDead(int dirFd, const char* name) {
    Fd fd = OpenForCheck(dirFd, name);
    struct stat opened {};
    if (fd.get() < 0 || ::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode)) return;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return;  // its save is alive
    if (StillNamed(dirFd, name, fd.get())) ::unlinkat(dirFd, name, 0);
}

enum class WriterState { Missing, Living, Gone };

// The state of the lock `name` in `dirFd`. A lock that could be taken but whose name has moved to
// another file meanwhile counts as living: only a writer that is provably gone loses its files.
WriterState StateOfLock(int dirFd, const char* name) {
    if (dirFd < 0) return WriterState::Missing;
    Fd fd = OpenForCheck(dirFd, name);
    if (fd.get() < 0) return errno == ENOENT ? WriterState::Missing : WriterState::Living;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return WriterState::Living;
    return StillNamed(dirFd, name, fd.get()) ? WriterState::Gone : WriterState::Living;
}

Fd OpenWriters(int dirFd) {
    return Fd(::openat(dirFd, kWritersFolder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

// Writer `id`'s state: its lock in the writers' folder, or where an earlier version put it.
WriterState StateOfWriter(int dirFd, int writersFd, std::string_view id) {
    const WriterState state = StateOfLock(writersFd, std::string(id).c_str());
    if (state == WriterState::Living) return state;
    const WriterState old = StateOfLock(dirFd, LockName(id).c_str());
    return old == WriterState::Missing ? state : old;
}

// The names in a folder, but "." and "..".
std::vector<std::string> Names(int dirFd) {
    std::vector<std::string> names;
    DIR* listing = ::fdopendir(::dup(dirFd));
    if (!listing) return names;
    while (const dirent* e = ::readdir(listing))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.emplace_back(e->d_name);
    ::closedir(listing);
    return names;
}

// Removes the lock `name` of `dirFd` if its writer is gone.
void RemoveLockIfDead(int dirFd, const char* name) {
    Fd fd = OpenForCheck(dirFd, name);
    if (fd.get() >= 0 && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 && StillNamed(dirFd, name, fd.get()))
        ::unlinkat(dirFd, name, 0);
}

// Removes everything that dead writers left in `dir`, reading the whole folder: single saves'
// files whose lock is free, staged files whose writer is gone, and then those writers' locks.
// A writer's lock exists before its first staged file and goes only after its last, so a staged
// file without a lock is left over too.
void RemoveDeadSavesIn(int dirFd) {
    std::vector<std::string> temporaries, staged, locks;
    for (std::string& name : Names(dirFd)) {
        std::string_view writer;
        switch (ParseName(name, writer)) {
            case NameKind::Temporary: temporaries.push_back(std::move(name)); break;
            case NameKind::Staged: staged.push_back(std::move(name)); break;
            case NameKind::Lock: locks.push_back(std::move(name)); break;
            case NameKind::Other: break;
        }
    }
    for (const std::string& name : temporaries) RemoveIfDead(dirFd, name.c_str());
    const Fd writers = OpenWriters(dirFd);
    std::map<std::string, bool, std::less<>> gone;
    for (const std::string& name : staged) {
        Fd fd = OpenForCheck(dirFd, name.c_str());
        if (fd.get() < 0) continue;
        std::string_view writer;
        ParseName(name, writer);
        auto at = gone.find(writer);
        if (at == gone.end())
            at = gone.emplace(writer, StateOfWriter(dirFd, writers.get(), writer) != WriterState::Living).first;
        if (at->second && StillNamed(dirFd, name.c_str(), fd.get())) ::unlinkat(dirFd, name.c_str(), 0);
    }
    for (const std::string& name : locks) RemoveLockIfDead(dirFd, name.c_str());
    if (writers.get() < 0) return;
    for (const std::string& name : Names(writers.get())) RemoveLockIfDead(writers.get(), name.c_str());
    ::unlinkat(dirFd, kWritersFolder, AT_REMOVEDIR);  // only when empty
}

// Before a single save: removes what dead saves of `path` left beside it under the names they took
// first, and where a batch died in the folder, everything dead writers left there. Only the small
// folder of the batches' locks is read for that.
void RemoveDeadSavesBefore(int dirFd, const std::string& path) {
    for (int attempt = 0; attempt < kDerivedTries; ++attempt)
        RemoveIfDead(dirFd, TempNameFor(path, attempt).c_str());
    bool dead = false;
    if (const Fd writers = OpenWriters(dirFd); writers.get() >= 0)
        for (const std::string& name : Names(writers.get()))
            dead = dead || StateOfLock(writers.get(), name.c_str()) == WriterState::Gone;
    for (int id = 0; id < kOldFixedWriterIds && !dead; ++id)
        dead = StateOfLock(dirFd, LockName(std::string(1, char('0' + id))).c_str()) == WriterState::Gone;
    if (dead) RemoveDeadSavesIn(dirFd);
}

// The first batch file of a process into a folder reads the folder once, so what every kind of
// dead writer left there goes; later files of the batch do not read it again.
void RemoveDeadSavesOnce(const std::string& dir) {
    static std::mutex mutex;
    static std::set<std::string> done;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!done.insert(dir).second) return;
    }
    if (Fd dirFd = OpenFolder(dir); dirFd.get() >= 0) RemoveDeadSavesIn(dirFd.get());
}

// The locks this process holds as a batch writer, one per folder while any of its staged files
// waits there.
class WriterLocks {
public:
    // The id under which to stage a file in `dir`, taking the folder's lock first where none is
    // held. Each call is matched by one Release once the file is in place or removed.
    std::string Acquire(const std::string& dir) {
        std::lock_guard<std::mutex> guard(mutex_);
        auto [at, fresh] = held_.try_emplace(dir);
        if (fresh) {
            try {
                Take(dir, at->second);
            } catch (...) {
                held_.erase(at);
                throw;
            }
        }
        ++at->second.users;
        return at->second.id;
    }

    void Release(const std::string& dir) {
        std::lock_guard<std::mutex> guard(mutex_);
        const auto at = held_.find(dir);
        if (at == held_.end() || --at->second.users > 0) return;
        // Unlinked while still locked, so that no cleaner sees it free before it is gone; the
        // writers' folder goes with its last lock.
        const std::string writers = dir + "/" + kWritersFolder;
        ::unlink((writers + "/" + at->second.id).c_str());
        ::rmdir(writers.c_str());
        held_.erase(at);
    }

private:
    struct Held {
        std::string id;
        Fd lock{-1};
        int users = 0;
    };

    static void Take(const std::string& dir, Held& held) {
        Fd dirFd = OpenFolder(dir);
        if (dirFd.get() < 0) throw FileError(Reason(errno));
        for (int attempt = 0;; ++attempt) {
            // Another writer may remove the writers' folder, empty, between its creation and ours.
            if (::mkdirat(dirFd.get(), kWritersFolder, 0777) != 0 && errno != EEXIST) throw FileError(Reason(errno));
            const Fd writers = OpenWriters(dirFd.get());
            const std::string id = RandomChars(kTempRandomChars);
            Fd fd(writers.get() < 0 ? -1
                                    : ::openat(writers.get(), id.c_str(), O_CREAT | O_EXCL | O_RDONLY | O_CLOEXEC, 0666));
            if (fd.get() < 0) {
                if ((errno != EEXIST && errno != ENOENT) || attempt >= 100) throw FileError(Reason(errno));
                continue;
            }
            // A cleaner may have taken the new lock between its creation and ours: then try again.
            struct stat st {};
            if (::flock(fd.get(), LOCK_EX) == 0 && ::fstat(fd.get(), &st) == 0 && st.st_nlink > 0) {
                held.id = id;
                held.lock = std::move(fd);
                return;
            }
        }
    }

    std::mutex mutex_;
    std::map<std::string, Held> held_;
};

WriterLocks& Writers() {
    static WriterLocks locks;
    return locks;
}

// ---- what a save replaces

// Where a save puts its file: `path` itself, or for a symbolic link the file at the end of its
// chain of links, so that the link stays a link. An existing device, pipe or socket is written
// into instead (renaming over /dev/null would put a file in its place), and so is a descriptor of
// this process named through /proc (/dev/stdout): the shell opened it, so it is written where the
// shell left it, never cut short. Any other regular file, whatever path leads to it, is replaced.
enum class SaveKind { Replace, WriteThrough, Descriptor };

struct SaveTarget {
    std::string path;
    SaveKind kind = SaveKind::Replace;
    int descriptor = -1;  // for SaveKind::Descriptor
};

// For a descriptor's link ("/proc/<pid>/fd/<n>", also of one of its threads): <n>, and in `own`
// whether <pid> is this process; -1 for other paths.
int ProcDescriptor(std::string_view link, bool& own) {
    const std::size_t fd = link.rfind("/fd/");
    if (!link.starts_with("/proc/") || fd == std::string_view::npos) return -1;
    const std::string_view number = link.substr(fd + 4);
    int n = -1;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), n);
    if (ec != std::errc() || end != number.data() + number.size() || n < 0) return -1;
    own = false;
    for (const std::string& who : {std::string("self"), std::string("thread-self"), std::to_string(::getpid())})
        own = own || link.substr(6).starts_with(who + "/");
    return n;
}

// A link of /proc met on the way to `path`, whose end `end` is an existing regular file: this
// process's descriptor is written where it stands; any other is written through its link.
SaveTarget ThroughProc(const std::string& path, const std::string& link, const struct stat& end) {
    bool own = false;
    struct stat open {};
    if (const int fd = ProcDescriptor(link, own);
        fd >= 0 && own && ::fstat(fd, &open) == 0 && open.st_dev == end.st_dev && open.st_ino == end.st_ino)
        return {path, SaveKind::Descriptor, fd};
    return {path, SaveKind::WriteThrough};
}

// `at` with its folder's links resolved ("/dev/fd/1" is "/proc/<pid>/fd/1"), or `at` itself.
std::string WithRealFolder(const std::string& at) {
    char real[PATH_MAX];
    const std::size_t slash = at.find_last_of('/');
    if (slash == std::string::npos || !::realpath(FolderOf(at).c_str(), real)) return at;
    return std::string(real) + at.substr(slash);
}

std::string ReadLink(const std::string& path) {
    std::string target(PATH_MAX, '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0) throw FileError(Reason(errno));
    if (std::size_t(n) >= target.size()) throw FileError(Reason(ENAMETOOLONG));
    target.resize(std::size_t(n));
    return target;
}

SaveTarget ResolveTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) throw FileError(Reason(errno));
        return {path};  // a new file; a missing folder is reported by the write itself
    }
    if (!S_ISLNK(st.st_mode)) {
        if (S_ISDIR(st.st_mode)) throw FileError(Reason(EISDIR));
        return {path, S_ISREG(st.st_mode) ? SaveKind::Replace : SaveKind::WriteThrough};
    }
    struct stat end {};
    const bool exists = ::stat(path.c_str(), &end) == 0;
    if (!exists && errno != ENOENT) throw FileError(Reason(errno));
    if (exists && S_ISDIR(end.st_mode)) throw FileError(Reason(EISDIR));
    if (exists && !S_ISREG(end.st_mode)) return {path, SaveKind::WriteThrough};
    std::string at = path;
    for (int links = 0; links < 40; ++links) {
        // Links of /proc name open files, not places (/dev/stdout, /dev/fd/1).
        if (const std::string real = WithRealFolder(at); real.starts_with("/proc/")) {
            if (!exists) throw FileError(Reason(ENOENT));
            return ThroughProc(path, real, end);
        }
        const std::string target = ReadLink(at);
        if (target.empty()) throw FileError(Reason(ENOENT));
        const std::size_t slash = at.find_last_of('/');  // a relative link is read from its own folder
        at = target.front() == '/' || slash == std::string::npos ? target : at.substr(0, slash + 1) + target;
        if (::lstat(at.c_str(), &st) != 0) {
            if (errno != ENOENT) throw FileError(Reason(errno));
            if (exists) return {path, SaveKind::WriteThrough};  // the link changed meanwhile: write where it leads
            // A dangling link names the file to create, in a folder that must exist.
            struct stat folder {};
            if (::stat(FolderOf(at).c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode))
                throw FileError(Tr("the symbolic link points to \"{1}\", whose folder does not exist", {at}));
            return {at};
        }
        if (!S_ISLNK(st.st_mode)) {
            if (exists && (st.st_ino != end.st_ino || st.st_dev != end.st_dev)) return {path, SaveKind::WriteThrough};
            return {at};
        }
    }
    throw FileError(Reason(ELOOP));
}

void WriteAll(int fd, std::span<const std::uint8_t> data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError(Reason(errno));
        }
        done += std::size_t(n);
    }
}

// While it lives, a pipe whose reader has gone makes write() fail with EPIPE on this thread
// instead of ending the whole program with SIGPIPE (in the window, losing the open design).
class PipeSignalHeld {
public:
    PipeSignalHeld() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        ::pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
    }
    ~PipeSignalHeld() {
        if (sigismember(&old_, SIGPIPE)) return;
        const timespec now{};
        while (::sigtimedwait(&pipe_, nullptr, &now) > 0) {
        }
        ::pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }

private:
    sigset_t pipe_{}, old_{};
};

// Writes into an existing file that is not to be replaced (see SaveTarget). A pipe without a
// reader waits for one, as a shell's redirection does.
void WriteThrough(const std::string& path, std::span<const std::uint8_t> data) {
    const PipeSignalHeld noSignal;
    Fd fd(::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        const int err = errno;
        struct stat st {};
        if (err == ENXIO && ::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
            throw FileError(Tr("it is a socket, which cannot be written as a file"));
        throw FileError(Reason(err));
    }
    WriteAll(fd.get(), data);
    // Devices and pipes cannot be flushed; a file reached through /proc can.
    if (::fsync(fd.get()) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP) throw FileError(Reason(errno));
    if (::close(fd.release()) != 0) throw FileError(Reason(errno));
}

// Writes into a regular file's descriptor that this process was given, where the shell left it:
// at its offset, or after its end where it appends; nothing in it is cut. The room is taken
// before the first byte, so a full disk refuses the write with the file as it was.
void WriteIntoDescriptor(int fd, std::span<const std::uint8_t> data) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0) throw FileError(Reason(errno));
    if ((flags & O_ACCMODE) == O_RDONLY) throw FileError(Reason(EBADF));
    struct stat st {};
    if (::fstat(fd, &st) != 0) throw FileError(Reason(errno));
    const bool appends = (flags & O_APPEND) != 0;
    const off_t at = appends ? st.st_size : ::lseek(fd, 0, SEEK_CUR);
    if (at < 0) throw FileError(Reason(errno));
#if defined(FALLOC_FL_KEEP_SIZE) && !defined(__EMSCRIPTEN__)
    if (!data.empty() && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, at, off_t(data.size())) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS)
        throw FileError(Reason(errno));
#endif
    try {
        WriteAll(fd, data);
    } catch (const FileError&) {
        // Where the room could not be taken beforehand: an append is taken back whole.
        if (appends && ::ftruncate(fd, st.st_size) == 0) ::lseek(fd, st.st_size, SEEK_SET);
        throw;
    }
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP) throw FileError(Reason(errno));
}

// Writes `data` into a target that is not replaced.
void WriteInto(const SaveTarget& target, std::span<const std::uint8_t> data) {
    if (target.kind == SaveKind::Descriptor) return WriteIntoDescriptor(target.descriptor, data);
    WriteThrough(target.path, data);
}

// The permissions the file gets: an existing target's own, otherwise those of an ordinary new
// file (0666 less the umask, applied by open itself).
void KeepPermissions(int fd, const std::string& path) {
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode) && ::fchmod(fd, old.st_mode & 07777) != 0)
        throw FileError(Reason(errno));
}

// Writes into an unnamed file of `dir` and links it in as `path`. Returns false when the file
// system offers no unnamed files (nothing has been written then).
bool WriteAnonymous(const std::string& dir, const std::string& path, std::span<const std::uint8_t> data) {
    Fd fd(::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (fd.get() < 0) {
        if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) return false;
        throw FileError(Reason(errno));
    }
    KeepPermissions(fd.get(), path);
    WriteAll(fd.get(), data);
    if (::fsync(fd.get()) != 0) throw FileError(Reason(errno));
    // Held until the end, so that while the file has a temporary name no cleaner takes it.
    if (::flock(fd.get(), LOCK_EX) != 0) throw FileError(Reason(errno));
    const std::string self = "/proc/self/fd/" + std::to_string(fd.get());
    // A new file is linked in under its own name at once, in one step.
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    if (errno == ENOENT && ::access("/proc/self/fd", X_OK) != 0) return false;  // no /proc: the named way
    if (errno != EEXIST) throw FileError(Reason(errno));
    // Replacing: a name of our own form beside it, renamed over the old file. A kill between the
    // two steps leaves that name, which the next save of the file removes.
    for (int attempt = 0;; ++attempt) {
        const std::string tmp = dir + "/" + TempNameFor(path, attempt);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, tmp.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST && attempt < 100) continue;
            throw FileError(Reason(errno));
        }
        if (::rename(tmp.c_str(), path.c_str()) != 0) {
            const int err = errno;
            ::unlink(tmp.c_str());
            throw FileError(Reason(err));
        }
        return true;
    }
}

// Creates a file of our temporary-name form for `path` in `dir`, locked so that no cleaner takes
// it while this process lives, and stores its name in `tmp`.
Fd CreateLockedTemporary(const std::string& dir, const std::string& path, std::string& tmp) {
    for (int attempt = 0;; ++attempt) {
        tmp = dir + "/" + TempNameFor(path, attempt);
        Fd created(::open(tmp.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666));
        if (created.get() < 0) {
            if (errno == EEXIST && attempt < 100) continue;
            throw FileError(Reason(errno));
        }
        struct stat st {};
        // A cleaner may have taken the file between its creation and the lock: then start over.
        if (::flock(created.get(), LOCK_EX) == 0 && ::fstat(created.get(), &st) == 0 && st.st_nlink > 0)
            return created;
        if (attempt >= 100) throw FileError(Reason(EAGAIN));
    }
}

void WriteNamed(const std::string& dir, const std::string& path, std::span<const std::uint8_t> data) {
    std::string tmp;
    Fd fd = CreateLockedTemporary(dir, path, tmp);
    try {
        KeepPermissions(fd.get(), path);
        WriteAll(fd.get(), data);
        if (::fsync(fd.get()) != 0) throw FileError(Reason(errno));
        if (::rename(tmp.c_str(), path.c_str()) != 0) throw FileError(Reason(errno));
    } catch (...) {
        ::unlink(tmp.c_str());
        throw;
    }
}

// Creates a staged file of writer `id` in `dir` and stores its name in `tmp`.
Fd CreateStaged(const std::string& dir, const std::string& id, std::string& tmp) {
    for (int attempt = 0;; ++attempt) {
        tmp = dir + "/" + std::string(kTempPrefix) + id + "-" + RandomChars(kTempRandomChars) + std::string(kTempSuffix);
        Fd created(::open(tmp.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666));
        if (created.get() >= 0) return created;
        if (errno != EEXIST || attempt >= 100) throw FileError(Reason(errno));
    }
}

// Puts a staged file in place under `path`, or writes it into a device that has taken that name
// since it was staged. Throws FileError.
void PutInPlace(const std::string& temporary, const std::string& path) {
    const SaveTarget target = ResolveTarget(path);
    if (target.kind != SaveKind::Replace) {
        WriteInto(target, ReadFileBytes(temporary));
        ::unlink(temporary.c_str());
    } else if (::rename(temporary.c_str(), target.path.c_str()) != 0) {
        throw FileError(Reason(errno));
    }
}

}  // namespace

void WriteFileAtomic(const std::string& path, std::span<const std::uint8_t> data, TempFileKind kind) {
    const SaveTarget target = ResolveTarget(path);
    if (target.kind != SaveKind::Replace) return WriteInto(target, data);
    const std::string dir = FolderOf(target.path);
    Fd dirFd = OpenFolder(dir);
    if (dirFd.get() >= 0) RemoveDeadSavesBefore(dirFd.get(), target.path);
    if (kind != TempFileKind::Anonymous || !WriteAnonymous(dir, target.path, data)) WriteNamed(dir, target.path, data);
    // Make the new name durable; a failure here no longer endangers either file.
    if (dirFd.get() >= 0) ::fsync(dirFd.get());
}

std::string WriteTemporaryBeside(const std::string& path, std::span<const std::uint8_t> data) {
    const SaveTarget target = ResolveTarget(path);
    if (target.kind != SaveKind::Replace) {
        // One at a time, so that two banners for one pipe do not mix.
        static std::mutex mutex;
        std::lock_guard<std::mutex> lock(mutex);
        WriteInto(target, data);
        return "";
    }
    const std::string dir = FolderOf(target.path);
    RemoveDeadSavesOnce(dir);
    const std::string id = Writers().Acquire(dir);
    std::string tmp;
    try {
        Fd fd = CreateStaged(dir, id, tmp);
        try {
            KeepPermissions(fd.get(), target.path);
            WriteAll(fd.get(), data);
            if (::close(fd.release()) != 0) throw FileError(Reason(errno));
        } catch (...) {
            ::unlink(tmp.c_str());
            throw;
        }
    } catch (...) {
        Writers().Release(dir);
        throw;
    }
    return tmp;
}

std::vector<std::string> FlushAndRename(const std::vector<StagedFile>& files) {
    std::vector<std::string> reasons(files.size());
    // One flush per file system: syncfs writes out every file of it, these among them. Where it
    // fails, each file is flushed on its own, which also tells which of them failed.
    std::vector<dev_t> flushed, failed;
    for (const StagedFile& f : files) {
        struct stat st {};
        if (f.temporary.empty() || ::stat(f.temporary.c_str(), &st) != 0) continue;  // reported below
        const auto seen = [&](const std::vector<dev_t>& v) { return std::find(v.begin(), v.end(), st.st_dev) != v.end(); };
        if (seen(flushed) || seen(failed)) continue;
        Fd dir = OpenFolder(FolderOf(f.temporary));
        if (dir.get() >= 0 && ::syncfs(dir.get()) == 0)
            flushed.push_back(st.st_dev);
        else
            failed.push_back(st.st_dev);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const StagedFile& f = files[i];
        if (f.temporary.empty()) continue;  // written into a device or pipe when it was staged
        try {
            struct stat st {};
            if (::stat(f.temporary.c_str(), &st) != 0) throw FileError(Reason(errno));
            if (std::find(flushed.begin(), flushed.end(), st.st_dev) == flushed.end()) {
                Fd fd(::open(f.temporary.c_str(), O_RDONLY | O_CLOEXEC));
                if (fd.get() < 0 || ::fsync(fd.get()) != 0) throw FileError(Reason(errno));
            }
            PutInPlace(f.temporary, f.path);
        } catch (const FileError& e) {
            reasons[i] = e.what();
            ::unlink(f.temporary.c_str());
        }
        Writers().Release(FolderOf(f.temporary));
    }
    return reasons;
}

void SyncFolders(const std::vector<std::string>& paths) {
    std::vector<std::string> done;
    for (const std::string& p : paths) {
        std::string dir = FolderOf(p);
        if (std::find(done.begin(), done.end(), dir) != done.end()) continue;
        Fd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (fd.get() >= 0) ::fsync(fd.get());
        done.push_back(std::move(dir));
    }
}

std::string LowerExtension(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return ext;
}

std::string WithExtension(const std::string& path, const std::string& extension) {
    return LowerExtension(path) == LowerExtension(extension) ? path : path + extension;
}

}  // namespace veskel
