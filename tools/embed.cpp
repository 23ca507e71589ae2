// Build-time tool: writes a C++ source that holds one file as a byte array.
// Usage: veskel_embed INPUT SYMBOL OUTPUT.cpp
//        veskel_embed --pixels INPUT.png SYMBOL OUTPUT.cpp
// With --pixels the PNG is decoded here, once, and the array holds its pixels ready to use: the
// width and height (32-bit little-endian), then every pixel as blue, green, red, top row first,
// then every pixel's alpha. Layers the renderer needs in every run then cost no decoding at run
// time.
#include <png.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

bool DecodeToPixels(const char* path, std::vector<unsigned char>& out) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) {
        std::fprintf(stderr, "veskel_embed: %s: %s\n", path, image.message);
        return false;
    }
    image.format = PNG_FORMAT_BGRA;
    std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        std::fprintf(stderr, "veskel_embed: %s: %s\n", path, image.message);
        return false;
    }
    for (png_uint_32 v : {image.width, image.height})
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
    // The colour plane, then the alpha plane: the layout of the program's own pictures.
    for (std::size_t i = 0; i < pixels.size(); i += 4) out.insert(out.end(), &pixels[i], &pixels[i] + 3);
    for (std::size_t i = 3; i < pixels.size(); i += 4) out.push_back(pixels[i]);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const bool pixels = argc == 5 && std::string(argv[1]) == "--pixels";
    if (argc != 4 && !pixels) {
        std::fprintf(stderr, "usage: veskel_embed [--pixels] INPUT SYMBOL OUTPUT\n");
        return 2;
    }
    const char* input = argv[argc - 3];
    const char* symbol = argv[argc - 2];
    const char* output = argv[argc - 1];
    std::vector<unsigned char> bytes;
    if (pixels) {
        if (!DecodeToPixels(input, bytes)) return 1;
    } else {
        std::ifstream in(input, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "veskel_embed: cannot read %s\n", input);
            return 1;
        }
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    FILE* out = std::fopen(output, "w");
    if (!out) {
        std::fprintf(stderr, "veskel_embed: cannot write %s\n", output);
        return 1;
    }
    std::fprintf(out, "// Generated from %s\n", input);
    std::fprintf(out, "extern const unsigned char %s[];\nextern const unsigned long %s_size;\n", symbol, symbol);
    std::fprintf(out, "alignas(16) const unsigned char %s[] = {", symbol);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i % 24 == 0) std::fputs("\n", out);
        std::fprintf(out, "%u,", bytes[i]);
    }
    // A trailing zero keeps empty files legal and text files usable as C strings.
    std::fprintf(out, "0\n};\nconst unsigned long %s_size = %zu;\n", symbol, bytes.size());
    return std::fclose(out) == 0 ? 0 : 1;
}
