#pragma once
// Files embedded into the program at build time, looked up by their path relative to the
// repository root, e.g. "resources/fonts/VisitorTT2BRK.ttf" or "Components/SGlassButton/res/normal.png".
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace veskel {

// The bytes of an embedded file, or an empty span when there is none of that name.
std::span<const std::uint8_t> FindResource(std::string_view name);

// The bytes of an embedded file; throws std::runtime_error naming the file when it is missing
// (a missing built-in resource is a build fault, not a user error).
std::span<const std::uint8_t> Resource(std::string_view name);

// Every embedded file name, sorted.
std::vector<std::string> ResourceNames();

}  // namespace veskel
