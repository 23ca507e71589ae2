#include "platform/Resources.h"

#include <algorithm>
#include <stdexcept>

#include "platform/ResourceTable.h"

namespace veskel {

std::span<const std::uint8_t> FindResource(std::string_view name) {
    for (const detail::EmbeddedFile* f = detail::kEmbeddedFiles; f->name; ++f) {
        if (name == f->name) return {f->data, static_cast<size_t>(*f->size)};
    }
    return {};
}

std::span<const std::uint8_t> Resource(std::string_view name) {
    for (const detail::EmbeddedFile* f = detail::kEmbeddedFiles; f->name; ++f) {
        if (name == f->name) return {f->data, static_cast<size_t>(*f->size)};
    }
    throw std::runtime_error("built-in resource missing: " + std::string(name));
}

std::vector<std::string> ResourceNames() {
    std::vector<std::string> names;
    for (const detail::EmbeddedFile* f = detail::kEmbeddedFiles; f->name; ++f) names.emplace_back(f->name);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace veskel
