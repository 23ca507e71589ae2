#include "platform/lang/MoCatalog.h"

#include <cstdint>
#include <fstream>
#include <iterator>

namespace veskel {

MoCatalog::MoCatalog(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string mo{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // Words are in the byte order of the machine that wrote the file, told by the magic number.
    bool bigEndian = false;
    auto word = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const std::size_t byte = at + std::size_t(bigEndian ? i : 3 - i);
            v = v << 8 | std::uint8_t(mo[byte]);
        }
        return std::size_t(v);
    };
    if (mo.size() < 28) return;
    if (word(0) != 0x950412de) {
        bigEndian = true;
        if (word(0) != 0x950412de) return;
    }
    const std::size_t count = word(8), originals = word(12), translations = word(16);
    if (count > mo.size() / 16 || originals > mo.size() - 8 * count || translations > mo.size() - 8 * count) return;
    // A text ends at its first NUL: an entry with plural forms holds the plural id, and its
    // translation the further forms, after it; a lookup by the singular finds the first form.
    auto text = [&](std::size_t table, std::size_t i, std::string& out) {
        const std::size_t length = word(table + 8 * i), offset = word(table + 8 * i + 4);
        if (offset >= mo.size() || length >= mo.size() - offset || mo[offset + length] != '\0') return false;
        out.assign(mo.c_str() + offset);
        return true;
    };
    texts_.reserve(count);
    std::string original, translation;
    for (std::size_t i = 0; i < count; ++i)
        if (text(originals, i, original) && text(translations, i, translation)) texts_.emplace(original, translation);
}

const char* MoCatalog::Find(const char* text) const {
    const auto it = texts_.find(text);
    return it == texts_.end() ? nullptr : it->second.c_str();
}

}  // namespace veskel
