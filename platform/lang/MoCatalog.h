#pragma once
// A compiled message catalog (a .mo file as GNU msgfmt writes it) read into memory: the lookup
// that Tr uses where the C library has no working gettext (the browser build's).
#include <string>
#include <unordered_map>

namespace veskel {

class MoCatalog {
public:
    // Reads `file`; a missing, short or damaged file gives an empty catalog (every text is then
    // shown as written, as gettext does without a catalog).
    explicit MoCatalog(const std::string& file);

    // The translation of `text`, or nullptr when the catalog holds none. The pointer stays valid
    // while the catalog lives.
    const char* Find(const char* text) const;
    // Every text and its translation.
    const std::unordered_map<std::string, std::string>& Texts() const { return texts_; }

private:
    std::unordered_map<std::string, std::string> texts_;
};

}  // namespace veskel
