// Build-time tool: writes a C++ source that holds one file as a byte array.
// Usage: veskel_embed INPUT SYMBOL OUTPUT.cpp
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: veskel_embed INPUT SYMBOL OUTPUT\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "veskel_embed: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    FILE* out = std::fopen(argv[3], "w");
    if (!out) {
        std::fprintf(stderr, "veskel_embed: cannot write %s\n", argv[3]);
        return 1;
    }
    std::fprintf(out, "// Generated from %s\n", argv[1]);
    std::fprintf(out, "extern const unsigned char %s[];\nextern const unsigned long %s_size;\n", argv[2], argv[2]);
    std::fprintf(out, "alignas(16) const unsigned char %s[] = {", argv[2]);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i % 24 == 0) std::fputs("\n", out);
        std::fprintf(out, "%u,", bytes[i]);
    }
    // A trailing zero keeps empty files legal and text files usable as C strings.
    std::fprintf(out, "0\n};\nconst unsigned long %s_size = %zu;\n", argv[2], bytes.size());
    return std::fclose(out) == 0 ? 0 : 1;
}
