#pragma once
// The generated table of embedded files (see cmake/Embed.cmake). Use platform/Resources.h.
namespace veskel::detail {
struct EmbeddedFile {
    const char* name;
    const unsigned char* data;
    const unsigned long* size;
};
extern const EmbeddedFile kEmbeddedFiles[];
}  // namespace veskel::detail
