#pragma once
// The designs the service answers from: every .vzk project in one folder, read at start and read
// again when the folder's listing changes or on demand (SIGHUP). A reload builds a whole new set
// and swaps it in at once, so a request sees either the old set or the new one, never a mix.
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "banner/BannerDocument.h"
#include "serve/Request.h"

namespace veskel::serve {

struct Design {
    std::string name;     // the file's name without ".vzk"
    std::string hash;     // of the file's bytes, in hex
    BannerDocument base;  // the opened project
};

using DesignSet = std::map<std::string, std::shared_ptr<const Design>, std::less<>>;

class DesignStore {
public:
    explicit DesignStore(std::string folder) : folder_(std::move(folder)) {}

    // Reads the folder and swaps in the new set. A file that cannot be opened keeps the design it
    // replaces, if any (a file caught half-written stays served as it was). Returns one message per
    // design added, changed, dropped or refused. Throws FileError when the folder cannot be listed.
    std::vector<std::string> Reload();
    // Whether the folder's listing (names, sizes, modification times) differs from the last Reload.
    bool ListingChanged() const;

    std::shared_ptr<const Design> Find(std::string_view name) const;
    // Grows with every reload that changed the set: answers cached by their address as sent are
    // keyed with it, so that none outlives the designs it was drawn from.
    std::uint64_t Generation() const { return generation_.load(std::memory_order_acquire); }
    std::size_t Count() const;

private:
    std::string Listing() const;

    const std::string folder_;
    mutable std::mutex mutex_;
    std::shared_ptr<const DesignSet> set_ = std::make_shared<DesignSet>();
    std::string listing_;
    std::atomic<std::uint64_t> generation_{0};
};

// 128 bits of a non-cryptographic hash, in hex: ETags and design identities.
std::string HashHex(std::string_view bytes);

// The encoded banner for `request` over `base` (a design, or a new document for a record). Throws
// RequestProblem 400 for a refused text or a record the renderer cannot draw. PNG is written at
// `pngLevel`; the pixels are those veskel-render writes for the same design and edits.
std::string RenderAnswer(const BannerDocument* base, const BannerRequest& request, int pngLevel);

// "image/png", "image/jpeg", "image/gif", "image/bmp".
const char* ContentTypeOf(ExportFormat format);

}  // namespace veskel::serve
