#include "serve/Designs.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "cli/DesignEdit.h"
#include "platform/codecs/Codecs.h"
#include "platform/io/Files.h"
#include "project/GifReduction.h"
#include "project/ProjectFile.h"

namespace veskel::serve {
namespace {

constexpr std::string_view kExtension = ".vzk";

bool IsProjectName(const std::string& file) {
    return file.size() > kExtension.size() && file[0] != '.' &&
           file.compare(file.size() - kExtension.size(), kExtension.size(), kExtension) == 0;
}

std::uint64_t Mix(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}

// One lane of the hash: every 8 bytes mixed into the state with the lane's own constants.
std::uint64_t Lane(std::string_view bytes, std::uint64_t seed, std::uint64_t multiplier) {
    std::uint64_t h = seed ^ (bytes.size() * multiplier);
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t k;
        std::memcpy(&k, bytes.data() + i, 8);
        h = (h ^ Mix(k * multiplier)) * 0x9e3779b97f4a7c15ULL + seed;
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, bytes.data() + i, bytes.size() - i);
    h ^= Mix(tail ^ multiplier);
    return Mix(h);
}

}  // namespace

std::string HashHex(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    const std::uint64_t lanes[2] = {Lane(bytes, 0x243f6a8885a308d3ULL, 0x87c37b91114253d5ULL),
                                    Lane(bytes, 0x13198a2e03707344ULL, 0x4cf5ad432745937fULL)};
    std::string out;
    for (std::uint64_t lane : lanes)
        for (int shift = 60; shift >= 0; shift -= 4) out += kHex[(lane >> shift) & 15];
    return out;
}

std::string DesignStore::Listing() const {
    DIR* dir = ::opendir(folder_.c_str());
    if (!dir) throw FileError("cannot list \"" + folder_ + "\": " + std::strerror(errno));
    std::vector<std::string> rows;
    while (const dirent* e = ::readdir(dir)) {
        const std::string file = e->d_name;
        if (!IsProjectName(file)) continue;
        struct stat st {};
        if (::stat((folder_ + "/" + file).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        rows.push_back(file + "\t" + std::to_string(st.st_size) + "\t" + std::to_string(st.st_mtim.tv_sec) + "." +
                       std::to_string(st.st_mtim.tv_nsec) + "\t" + std::to_string(st.st_ino));
    }
    ::closedir(dir);
    std::sort(rows.begin(), rows.end());
    std::string out;
    for (const std::string& row : rows) out += row + "\n";
    return out;
}

bool DesignStore::ListingChanged() const {
    const std::string now = Listing();
    std::lock_guard lock(mutex_);
    return now != listing_;
}

std::vector<std::string> DesignStore::Reload() {
    const std::string listing = Listing();
    std::shared_ptr<const DesignSet> old;
    {
        std::lock_guard lock(mutex_);
        old = set_;
    }
    auto fresh = std::make_shared<DesignSet>();
    std::vector<std::string> messages;
    std::size_t start = 0;
    for (std::size_t end; (end = listing.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string file = listing.substr(start, listing.find('\t', start) - start);
        const std::string name = file.substr(0, file.size() - kExtension.size());
        const auto before = old->find(name);
        try {
            const std::vector<std::uint8_t> bytes = ReadFileBytes(folder_ + "/" + file, kMaxProjectFileBytes);
            const std::string hash = HashHex(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
            if (before != old->end() && before->second->hash == hash) {
                fresh->emplace(name, before->second);
                continue;
            }
            auto design = std::make_shared<Design>();
            design->name = name;
            design->hash = hash;
            design->base.NewDocument();
            OpenProjectBytes(design->base, bytes, file);
            design->base.RenderBanner();  // a pattern it cannot draw is refused now, not per request
            fresh->emplace(name, std::move(design));
            messages.push_back((before == old->end() ? "design added: " : "design changed: ") + name);
        } catch (const std::exception& e) {
            messages.push_back("design refused: " + file + ": " + e.what() +
                               (before != old->end() ? " (the previous version is still served)" : ""));
            if (before != old->end()) fresh->emplace(name, before->second);
        }
    }
    for (const auto& [name, design] : *old)
        if (!fresh->count(name)) messages.push_back("design dropped: " + name);
    std::lock_guard lock(mutex_);
    set_ = std::move(fresh);
    listing_ = listing;
    if (!messages.empty()) generation_.fetch_add(1, std::memory_order_release);
    return messages;
}

std::shared_ptr<const Design> DesignStore::Find(std::string_view name) const {
    std::shared_ptr<const DesignSet> set;
    {
        std::lock_guard lock(mutex_);
        set = set_;
    }
    const auto it = set->find(name);
    return it == set->end() ? nullptr : it->second;
}

std::size_t DesignStore::Count() const {
    std::lock_guard lock(mutex_);
    return set_->size();
}

std::string RenderAnswer(const BannerDocument* base, const BannerRequest& request, int pngLevel) {
    BannerDocument doc;
    try {
        if (base) {
            doc = *base;
        } else {
            doc.NewDocument();
            OpenProjectBytes(doc, request.record, "the record");
        }
        if (request.text) {
            std::string reason;
            if (!doc.SetText(*request.text, &reason)) throw RequestProblem{400, "the text is refused: " + reason};
            doc.ResetTextPosition();
        }
        for (const auto& [name, value] : request.fields) doc.SetFromText(name, value);
        doc.RenderBanner();
    } catch (const RequestProblem&) {
        throw;
    } catch (const ProjectError& e) {
        throw RequestProblem{400, e.Reason().empty() ? e.what() : e.Reason()};
    } catch (const std::exception& e) {
        throw RequestProblem{400, e.what()};
    }
    std::vector<std::uint8_t> bytes;
    if (request.format == ExportFormat::Png) {
        PngOptions options;
        options.compressionLevel = pngLevel;
        bytes = EncodePng(doc.BannerImage(), options);
    } else {
        bytes = EncodeExport(doc.BannerImage(), request.format);
    }
    return std::string(bytes.begin(), bytes.end());
}

const char* ContentTypeOf(ExportFormat format) {
    switch (format) {
        case ExportFormat::Png: return "image/png";
        case ExportFormat::Jpeg: return "image/jpeg";
        case ExportFormat::Gif: return "image/gif";
        case ExportFormat::Bmp: return "image/bmp";
    }
    return "application/octet-stream";
}

}  // namespace veskel::serve
