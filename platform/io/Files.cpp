#include "platform/io/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace veskel {
namespace {

std::string Reason(int err) { return std::strerror(err); }

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
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

std::vector<std::uint8_t> ReadFileBytes(const std::string& path, std::size_t maxBytes) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) throw FileError(Reason(errno));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) throw FileError(Reason(errno));
    if (S_ISDIR(st.st_mode)) throw FileError(Reason(EISDIR));
    if (st.st_size > 0 && std::size_t(st.st_size) > maxBytes) throw FileError("file too large");
    std::vector<std::uint8_t> bytes;
    bytes.reserve(st.st_size > 0 ? std::size_t(st.st_size) : 0);
    std::uint8_t buf[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError(Reason(errno));
        }
        if (n == 0) break;
        if (bytes.size() + std::size_t(n) > maxBytes) throw FileError("file too large");
        bytes.insert(bytes.end(), buf, buf + n);
    }
    return bytes;
}

void WriteFileAtomic(const std::string& path, std::span<const std::uint8_t> data) {
    std::string tmpl = path + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int raw = ::mkstemp(name.data());
    if (raw < 0) throw FileError(Reason(errno));
    Fd fd(raw);
    std::string tmp(name.data());
    auto fail = [&](int err) {
        ::unlink(tmp.c_str());
        throw FileError(Reason(err));
    };
    // mkstemp creates 0600; give the file the permissions an ordinary new file gets.
    mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat old {};
    mode_t mode = (::stat(path.c_str(), &old) == 0) ? (old.st_mode & 07777) : (0666 & ~mask);
    if (::fchmod(fd.get(), mode) != 0) fail(errno);
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd.get(), data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        done += std::size_t(n);
    }
    if (::fsync(fd.get()) != 0) fail(errno);
    if (::close(fd.release()) != 0) fail(errno);
    if (::rename(tmp.c_str(), path.c_str()) != 0) fail(errno);
    // Make the rename itself durable; a failure here no longer endangers either file.
    std::size_t slash = path.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    Fd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() >= 0) ::fsync(dirFd.get());
}

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

// The process's file-creation mask, read once: reading it means setting it, which must not race
// with threads creating files.
mode_t CreationMask() {
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return mask;
}

}  // namespace

std::string WriteTemporaryBeside(const std::string& path, std::span<const std::uint8_t> data) {
    std::string tmpl = path + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const mode_t mask = CreationMask();
    Fd fd(::mkostemp(name.data(), O_CLOEXEC));
    if (fd.get() < 0) throw FileError(Reason(errno));
    const std::string tmp(name.data());
    auto fail = [&](int err) {
        ::unlink(tmp.c_str());
        throw FileError(Reason(err));
    };
    // mkostemp creates 0600; give the file the permissions an ordinary new file gets, or those
    // of the file it will replace.
    struct stat old {};
    const mode_t mode = (::stat(path.c_str(), &old) == 0) ? (old.st_mode & 07777) : (0666 & ~mask);
    if (::fchmod(fd.get(), mode) != 0) fail(errno);
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd.get(), data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        done += std::size_t(n);
    }
    if (::close(fd.release()) != 0) fail(errno);
    return tmp;
}

std::vector<std::string> FlushAndRename(const std::vector<StagedFile>& files) {
    std::vector<std::string> reasons(files.size());
    // One flush per file system: syncfs writes out every file of it, these among them. Where it
    // fails, each file is flushed on its own, which also tells which of them failed.
    std::vector<dev_t> flushed, failed;
    for (const StagedFile& f : files) {
        struct stat st {};
        if (::stat(f.temporary.c_str(), &st) != 0) continue;  // reported when it is flushed or renamed
        const auto seen = [&](const std::vector<dev_t>& v) { return std::find(v.begin(), v.end(), st.st_dev) != v.end(); };
        if (seen(flushed) || seen(failed)) continue;
        Fd dir(::open(FolderOf(f.temporary).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.get() >= 0 && ::syncfs(dir.get()) == 0)
            flushed.push_back(st.st_dev);
        else
            failed.push_back(st.st_dev);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const StagedFile& f = files[i];
        struct stat st {};
        if (::stat(f.temporary.c_str(), &st) != 0) {
            reasons[i] = Reason(errno);
            continue;
        }
        if (std::find(flushed.begin(), flushed.end(), st.st_dev) == flushed.end()) {
            Fd fd(::open(f.temporary.c_str(), O_RDONLY | O_CLOEXEC));
            if (fd.get() < 0 || ::fsync(fd.get()) != 0) {
                reasons[i] = Reason(errno);
                ::unlink(f.temporary.c_str());
                continue;
            }
        }
        if (::rename(f.temporary.c_str(), f.path.c_str()) != 0) {
            reasons[i] = Reason(errno);
            ::unlink(f.temporary.c_str());
        }
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

}  // namespace veskel
